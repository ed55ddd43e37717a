#include "toolbox/CompareDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "form/MessageBox.h"
#include "form/Named.h"
#include "form/Utf8Text.h"
#include "toolbox/ParamNameText.h"

namespace {

const QColor kDifferent(255, 236, 204);
const QColor kConfirmed(214, 240, 214);
const QColor kMismatch(250, 205, 205);

// A value as the row shows it; a bit field also bit by bit.
QString ValueText(bool has, int32_t value, bool bitField, uint32_t otherBits) {
    if (!has) return Text("없음");
    if (!bitField) return QString::number(value);
    uint32_t bits = static_cast<uint32_t>(value);
    int width = 4;
    while (width < 32 && ((bits | otherBits) >> width) != 0) width += 4;
    QString binary = QString::number(bits, 2).rightJustified(width, '0');
    for (int at = width - 4; at > 0; at -= 4) binary.insert(at, ' ');
    return QStringLiteral("%1 (%2)").arg(value).arg(binary);
}

QString DifferenceText(const ParamComparison::Row& row, const QString& a, const QString& b) {
    if (!row.differ) return QString();
    if (!row.hasA) return Text("%1에 없음").arg(a);
    if (!row.hasB) return Text("%1에 없음").arg(b);
    QStringList parts;
    if (!ParamComparison::Fits16(row.a)) {
        parts << Text("16비트를 넘는 값: 드라이브는 %1로 저장").arg(ParamComparison::Kept16(row.a));
    }
    for (int bit : row.DifferingBits()) {
        parts << Text("비트 %1: %2→%3").arg(bit).arg((row.a >> bit) & 1).arg((row.b >> bit) & 1);
    }
    return parts.isEmpty() ? Text("다름") : parts.join(", ");
}

}  // namespace

CompareDialog::CompareDialog(const QString& source, QWidget* parent)
    : QDialog(parent), m_nameA(Text("파일")), m_nameB(Text("드라이브")) {
    setWindowTitle(Text("드라이브와 비교"));
    setObjectName(QStringLiteral("compareDialog"));
    m_source = new QLabel(source, this);
    m_source->setWordWrap(true);
    m_summary = Named(new QLabel(this), "compareSummary");
    m_summary->setWordWrap(true);
    m_table = Named(new QTableWidget(0, kColumns, this), "compareTable");
    m_table->setHorizontalHeaderLabels({Text("번호"), Text("이름"), Text("파일"), Text("드라이브"),
                                        Text("차이 (파일→드라이브)"), Text("결과")});
    m_table->verticalHeader()->hide();
    // Rows as high as their text, so that many fit.
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Headers whole while the drive is read; the rows widen them later.
    m_table->resizeColumnsToContents();
    m_status = Named(new QLabel(this), "compareStatus");
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(m_status->sizeHint().height());
    auto* buttons = new QDialogButtonBox(this);
    m_send = Named(buttons->addButton(Text("선택 항목 전송"), QDialogButtonBox::ActionRole),
                   "compareSend");
    m_send->setEnabled(false);
    QPushButton* close =
        Named(buttons->addButton(Text("닫기"), QDialogButtonBox::RejectRole), "compareClose");
    // Enter closes; only a deliberate press sends to the drive.
    m_send->setAutoDefault(false);
    close->setDefault(true);
    connect(m_send, &QPushButton::clicked, this, [this] {
        if (!ConfirmBeyond16Bits()) return;
        m_bSent = true;
        UpdateSendButton();
        emit SendRequested(Chosen());
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::itemChanged, this, &CompareDialog::UpdateSendButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_source);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_status, 1);
    progressRow->addWidget(m_progress);
    layout->addLayout(progressRow);
    layout->addWidget(buttons);
    resize(680, 560);
}

void CompareDialog::ShowReading() { ShowBusy(Text("드라이브를 읽는 중...")); }

void CompareDialog::ShowBusy(const QString& text) {
    m_status->setText(text);
    SetBusy(true);
}

void CompareDialog::SetBusy(bool busy) {
    m_bBusy = busy;
    m_progress->setVisible(busy);
    UpdateSendButton();
}

void CompareDialog::ShowFailure(const QString& text) {
    m_status->setText(text);
    m_bSent = true;
    SetBusy(false);
}

void CompareDialog::ShowComparison(const ParamComparison& comparison, int32_t station) {
    Fill(comparison, station, ParamSet());
    m_status->setText(QString());
}

void CompareDialog::ShowDifferences(const ParamComparison& comparison, const QString& a,
                                    const QString& b) {
    setWindowTitle(Text("기록 비교"));
    m_bReadOnly = true;
    m_nameA = a;
    m_nameB = b;
    m_table->setHorizontalHeaderLabels(
        {Text("번호"), Text("이름"), a, b, Text("차이 (%1→%2)").arg(a, b), QString()});
    m_table->hideColumn(kResult);
    m_send->hide();
    FillRows(comparison, ParamSet());
    int differ = comparison.Differences();
    m_summary->setText(differ == 0
                           ? Text("%1개 항목이 모두 같습니다.").arg(m_rows.size())
                           : Text("%1개 항목 중 %2개가 다릅니다.").arg(m_rows.size()).arg(differ));
    m_status->setText(QString());
    SetBusy(false);
}

void CompareDialog::Fill(const ParamComparison& comparison, int32_t station, const ParamSet& sent) {
    FillRows(comparison, sent);
    int differ = comparison.Differences();
    int total = static_cast<int>(m_rows.size());
    m_summary->setText(
        differ == 0
            ? Text("국번 %1 드라이브: %2개 항목이 모두 파일과 같습니다.").arg(station).arg(total)
            : Text("국번 %1 드라이브: %2개 항목 중 %3개가 파일과 다릅니다. "
                   "체크한 항목만 전송합니다.")
                  .arg(station)
                  .arg(total)
                  .arg(differ));
    m_bSent = false;
    SetBusy(false);
}

void CompareDialog::FillRows(const ParamComparison& comparison, const ParamSet& sent) {
    m_rows = comparison.DifferingFirst();
    std::stable_partition(m_rows.begin(), m_rows.end(), [&sent](const ParamComparison::Row& row) {
        return row.differ || sent.Has(row.number);
    });
    QSignalBlocker quiet(m_table);
    m_table->setRowCount(static_cast<int>(m_rows.size()));
    // Ticked at first; after a send the operator has chosen what goes.
    for (size_t i = 0; i < m_rows.size(); ++i) {
        AddRow(static_cast<int>(i), m_rows[i], sent.Empty());
    }
    m_table->resizeColumnsToContents();
}

void CompareDialog::AddRow(int index, const ParamComparison::Row& row, bool tick) {
    auto* number = new QTableWidgetItem(QString::number(row.number));
    number->setFlags(Qt::ItemIsEnabled);
    // A parameter the file does not hold has nothing to send. A value the
    // drive would not keep as it is goes only when the operator ticks it.
    if (row.differ && row.hasA && !m_bReadOnly) {
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        number->setCheckState(tick && ParamComparison::Fits16(row.a) ? Qt::Checked : Qt::Unchecked);
    }
    m_table->setItem(index, kNumber, number);
    m_table->setItem(index, kName, new QTableWidgetItem(ParamNameText::Of(row.number)));
    m_table->setItem(index, kFile,
                     new QTableWidgetItem(ValueText(row.hasA, row.a, row.bitField, row.bits)));
    m_table->setItem(index, kDrive,
                     new QTableWidgetItem(ValueText(row.hasB, row.b, row.bitField, row.bits)));
    m_table->setItem(index, kDifference,
                     new QTableWidgetItem(DifferenceText(row, m_nameA, m_nameB)));
    m_table->setItem(index, kResult, new QTableWidgetItem());
    if (!row.differ) return;
    for (int column = 0; column < kColumns; ++column) {
        QTableWidgetItem* item = m_table->item(index, column);
        item->setBackground(kDifferent);
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
    }
}

void CompareDialog::ShowSending(int count) {
    ShowBusy(Text("%1개 항목을 전송하고 드라이브를 다시 읽는 중...").arg(count));
}

void CompareDialog::ShowReadBack(const ParamComparison& comparison, int32_t station,
                                 const ReadBackReport& report) {
    ParamSet sent;
    for (const ParamComparison::Row& row : report.Comparison().Rows()) sent.Set(row.number, row.a);
    Fill(comparison, station, sent);
    MarkReadBack(report);
}

void CompareDialog::MarkReadBack(const ReadBackReport& report) {
    for (const ParamComparison::Row& sent : report.Comparison().Rows()) {
        auto at = std::find_if(m_rows.begin(), m_rows.end(), [&](const ParamComparison::Row& row) {
            return row.number == sent.number;
        });
        if (at == m_rows.end()) continue;
        QTableWidgetItem* result = m_table->item(static_cast<int>(at - m_rows.begin()), kResult);
        if (!sent.hasB) {
            result->setText(Text("응답 없음"));
        } else if (sent.differ) {
            result->setText(Text("불일치: 드라이브 %1").arg(sent.b));
            result->setBackground(kMismatch);
        } else {
            result->setText(Text("확인됨"));
            result->setBackground(kConfirmed);
        }
    }
    m_table->resizeColumnToContents(kResult);
    int confirmed = report.ConfirmedCount();
    int sent = report.SentCount();
    switch (report.Result()) {
        case ReadBackReport::Outcome::kConfirmed:
            m_status->setText(
                Text("전송한 %1개 항목을 드라이브가 모두 그대로 갖고 있습니다.").arg(sent));
            break;
        case ReadBackReport::Outcome::kMismatch:
            m_status->setText(Text("전송한 %1개 항목 중 %2개만 드라이브에 그대로 있습니다.")
                                  .arg(sent)
                                  .arg(confirmed));
            break;
        case ReadBackReport::Outcome::kNoCompleteReply:
            m_status->setText(Text("다시 읽기에 드라이브가 완전히 응답하지 않았습니다."));
            break;
    }
}

ParamSet CompareDialog::Chosen() const {
    ParamSet chosen;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        QTableWidgetItem* number = m_table->item(static_cast<int>(i), kNumber);
        if (m_rows[i].differ && m_rows[i].hasA && number->checkState() == Qt::Checked) {
            chosen.Set(m_rows[i].number, m_rows[i].a);
        }
    }
    return chosen;
}

bool CompareDialog::ConfirmBeyond16Bits() {
    ParamSet chosen = Chosen();
    QStringList beyond;
    for (int32_t number : chosen.Numbers()) {
        int32_t value = chosen.Value(number);
        if (ParamComparison::Fits16(value)) continue;
        beyond << Text("%1 %2: %3 → 드라이브는 %4로 저장")
                      .arg(number)
                      .arg(ParamNameText::Of(number))
                      .arg(value)
                      .arg(ParamComparison::Kept16(value));
    }
    if (beyond.isEmpty()) return true;
    return MessageBox::AskYesNo(
        this, Text("체크한 값 중 드라이브가 16비트로는 그대로 저장할 수 없는 값이 있습니다.\n") +
                  beyond.join('\n') + Text("\n\n그래도 전송하시겠습니까?"));
}

void CompareDialog::UpdateSendButton() {
    m_send->setEnabled(!m_bSent && !m_bBusy && !Chosen().Empty());
}

QString CompareDialog::Summary() const { return m_summary->text(); }

QString CompareDialog::Status() const { return m_status->text(); }
