#include "toolbox/CHistoryWnd.h"

#include <QDate>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "form/MessageBox.h"
#include "form/Named.h"
#include "form/NumberList.h"
#include "form/ParamFileDialog.h"
#include "form/Utf8Text.h"
#include "journal/JournalRecord.h"
#include "journal/JournalSummary.h"
#include "journal/JournalTime.h"
#include "params/ParamComparison.h"
#include "params/ParamFile.h"
#include "protocol/ReplyStation.h"
#include "toolbox/CompareDialog.h"
#include "toolbox/JournalEntryText.h"

namespace {

void SetRow(QTableWidget* table, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column) {
        table->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
}

// Every column but the last, which stretches, as wide as its texts
// (resizeColumnsToContents would take the stretch away until the next resize).
void FitColumns(QTableWidget* table) {
    for (int column = 0; column + 1 < table->columnCount(); ++column) {
        table->resizeColumnToContents(column);
    }
}

}  // namespace

CHistoryWnd::CHistoryWnd(std::string journalPath, QWidget* parent)
    : QDialog(parent), m_query(std::make_unique<HistoryQuery>(std::move(journalPath))) {
    setObjectName(QStringLiteral("historyWnd"));
    setWindowTitle(Text("작업 기록"));
    m_collect = new QTimer(this);
    m_collect->setInterval(15);
    connect(m_collect, &QTimer::timeout, this, &CHistoryWnd::CollectAnswers);

    m_sessions = Named(MakeTable({Text("시작"), Text("포트"), Text("국번"), Text("프로그램"),
                                  Text("사용자"), Text("기록 수")}),
                       "historySessions");
    // Several sessions go into one report.
    m_sessions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_entries =
        Named(MakeTable({Text("번호"), Text("시각"), Text("종류"), Text("국번"), Text("내용")}),
              "historyEntries");
    m_entries->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_sessions, &QTableWidget::itemSelectionChanged, this, &CHistoryWnd::OnSessionSelected);
    connect(m_entries, &QTableWidget::itemSelectionChanged, this, &CHistoryWnd::UpdateButtons);

    auto* sessionsPart = new QWidget(this);
    auto* sessionsLayout = new QVBoxLayout(sessionsPart);
    sessionsLayout->setContentsMargins(0, 0, 0, 0);
    sessionsLayout->addWidget(m_sessions, 1);
    m_more = Named(new QPushButton(Text("더 보기"), this), "historyMore");
    m_more->setEnabled(false);
    connect(m_more, &QPushButton::clicked, this, [this] { RequestSessions(m_sessionList.size()); });
    auto* moreRow = new QHBoxLayout;
    m_status = Named(new QLabel(this), "historyStatus");
    m_status->setWordWrap(true);
    moreRow->addWidget(m_status, 1);
    moreRow->addWidget(m_more);
    sessionsLayout->addLayout(moreRow);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(sessionsPart);
    splitter->addWidget(m_entries);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(MakeFilterRow());
    layout->addWidget(splitter, 1);
    layout->addLayout(MakeButtonRow());
    resize(760, 540);
    UpdateButtons();
    Find();
}

// The query thread ends after the jobs asked for: a report asked for is
// written before the window goes.
CHistoryWnd::~CHistoryWnd() = default;

QHBoxLayout* CHistoryWnd::MakeFilterRow() {
    auto* layout = new QHBoxLayout;
    m_port = Named(new QLineEdit(this), "historyPort");
    m_port->setPlaceholderText(Text("모든 포트"));
    m_station = Named(new QLineEdit(this), "historyStation");
    m_station->setPlaceholderText(Text("전체"));
    m_station->setValidator(new QIntValidator(0, ReplyStation::kLast, m_station));
    m_since = Named(new QLineEdit(this), "historySince");
    m_since->setPlaceholderText(QDate::currentDate().toString(Qt::ISODate));
    m_text = Named(new QLineEdit(this), "historyText");
    m_text->setPlaceholderText(Text("사용자, 컴퓨터, 내용"));
    auto* find = Named(new QPushButton(Text("찾기"), this), "historyFind");
    connect(find, &QPushButton::clicked, this, &CHistoryWnd::Find);
    for (QLineEdit* edit : {m_port, m_station, m_since, m_text}) {
        connect(edit, &QLineEdit::returnPressed, this, &CHistoryWnd::Find);
    }
    layout->addWidget(new QLabel(Text("포트"), this));
    layout->addWidget(m_port, 2);
    layout->addWidget(new QLabel(Text("국번"), this));
    layout->addWidget(m_station, 1);
    layout->addWidget(new QLabel(Text("날짜부터"), this));
    layout->addWidget(m_since, 2);
    layout->addWidget(new QLabel(Text("검색어"), this));
    layout->addWidget(m_text, 3);
    layout->addWidget(find);
    return layout;
}

QHBoxLayout* CHistoryWnd::MakeButtonRow() {
    auto* layout = new QHBoxLayout;
    m_restore = Named(new QPushButton(Text("이 값으로 되돌리기"), this), "historyRestore");
    m_restore->setToolTip(
        Text("드라이브를 먼저 읽고 이 기록의 값과 비교한 뒤 고른 항목만 보냅니다"));
    connect(m_restore, &QPushButton::clicked, this, &CHistoryWnd::Restore);
    m_compare = Named(new QPushButton(Text("비교..."), this), "historyCompare");
    auto* menu = new QMenu(m_compare);
    connect(menu->addAction(Text("다른 읽기 기록과...")), &QAction::triggered, this,
            &CHistoryWnd::AskCompareWithEntry);
    connect(menu->addAction(Text("파라미터 파일과...")), &QAction::triggered, this,
            &CHistoryWnd::AskCompareWithFile);
    m_compare->setMenu(menu);
    m_report = Named(new QPushButton(Text("보고서 저장..."), this), "historyReport");
    m_report->setToolTip(Text("고른 작업의 서비스 보고서를 HTML 파일로 저장합니다"));
    connect(m_report, &QPushButton::clicked, this, &CHistoryWnd::AskSaveReport);
    auto* close = new QPushButton(Text("닫기"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(m_restore);
    layout->addWidget(m_compare);
    layout->addWidget(m_report);
    layout->addStretch(1);
    layout->addWidget(close);
    return layout;
}

QTableWidget* CHistoryWnd::MakeTable(const QStringList& headers) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), this);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    // The last column takes the room left.
    table->horizontalHeader()->setSectionResizeMode(static_cast<int>(headers.size()) - 1,
                                                    QHeaderView::Stretch);
    return table;
}

template <typename Query>
quint64 CHistoryWnd::Post(Query query) {
    quint64 request = ++m_nRequest;
    m_query->Post([query, request](HistoryQuery& each) { query(each, request); });
    ++m_nDue;
    m_collect->start();
    return request;
}

std::optional<JournalFilter> CHistoryWnd::FilterOfFields() {
    JournalFilter filter;
    filter.port = m_port->text().trimmed().toStdString();
    if (m_station->hasAcceptableInput()) filter.station = m_station->text().toInt();
    filter.text = m_text->text().trimmed().toStdString();
    QString since = m_since->text().trimmed();
    if (!since.isEmpty()) {
        std::optional<std::string> start = JournalTime::FromLocalText(since.toStdString());
        if (!start) {
            SetStatus(Text("날짜를 알아볼 수 없습니다: %1 (예: 2026-12-09 또는 2026-12-09 17:10)")
                          .arg(since),
                      false);
            return std::nullopt;
        }
        filter.since = *start;
    }
    return filter;
}

void CHistoryWnd::Find() {
    std::optional<JournalFilter> filter = FilterOfFields();
    if (!filter) return;
    m_filter = *filter;
    m_sessionList.clear();
    m_sessions->setRowCount(0);
    m_entryList.clear();
    m_entries->setRowCount(0);
    RequestSessions(0);
}

void CHistoryWnd::RequestSessions(size_t offset) {
    SetStatus(Text("작업 기록을 찾는 중..."), true);
    m_nSessionsRequest = Post([filter = m_filter, offset](HistoryQuery& query, quint64 request) {
        query.FindSessions(filter, offset, kPageSize, request);
    });
}

void CHistoryWnd::CollectAnswers() {
    for (const HistoryQuery::Answer& answer : m_query->TakeAnswers()) {
        if (answer.kind != HistoryQuery::Answer::Kind::kPutAside) --m_nDue;
        Show(answer);
    }
    if (m_nDue <= 0) m_collect->stop();
}

void CHistoryWnd::Show(const HistoryQuery::Answer& answer) {
    using Kind = HistoryQuery::Answer::Kind;
    switch (answer.kind) {
        case Kind::kSessions:
            return ShowSessions(answer);
        case Kind::kEntries:
            return ShowEntries(answer);
        case Kind::kEntry:
            return ShowOtherRead(answer);
        case Kind::kReportSaved:
            SetStatus(Text("보고서를 저장했습니다: %1").arg(answer.text), false);
            break;
        case Kind::kFailed:
            SetStatus(answer.text, false);
            break;
        case Kind::kPutAside:
            MessageBox::Show(this, answer.text);
            return;
    }
    emit Answered();
}

void CHistoryWnd::ShowSessions(const HistoryQuery::Answer& answer) {
    if (answer.request != m_nSessionsRequest) return;
    const JournalSessions& sessions = answer.sessions;
    bool more = answer.more;
    int row = m_sessions->rowCount();
    m_sessions->setRowCount(row + static_cast<int>(sessions.size()));
    for (const Journal::SessionInfo& info : sessions) {
        SetRow(m_sessions, row++,
               {JournalEntryText::LocalTime(info.started), QString::fromUtf8(info.port),
                NumberList(info.stations), QString::fromUtf8(info.program + " " + info.version),
                QString::fromUtf8(info.user + "@" + info.host), QString::number(info.entries)});
        m_sessionList.push_back(info);
    }
    if (m_sessionList.size() == sessions.size()) FitColumns(m_sessions);
    m_more->setEnabled(more);
    SetStatus(m_sessionList.empty() ? Text("찾는 작업 기록이 없습니다.")
                                    : Text("작업 %1개%2")
                                          .arg(m_sessionList.size())
                                          .arg(more ? Text(" (더 있음)") : QString()),
              false);
    emit Answered();
}

void CHistoryWnd::OnSessionSelected() {
    m_nEntriesRequest = 0;  // an answer on its way is for the selection before
    m_entryList.clear();
    m_entries->setRowCount(0);
    UpdateButtons();
    int row = m_sessions->currentRow();
    if (row < 0 || row >= static_cast<int>(m_sessionList.size())) return;
    if (!m_sessions->selectionModel()->isRowSelected(row, QModelIndex())) return;
    int64_t session = m_sessionList[row].id;
    SetStatus(Text("기록을 읽는 중..."), true);
    m_nEntriesRequest = Post(
        [session](HistoryQuery& query, quint64 request) { query.FindEntries(session, request); });
}

void CHistoryWnd::ShowEntries(const HistoryQuery::Answer& answer) {
    if (answer.request != m_nEntriesRequest) return;
    const JournalEntries& entries = answer.entries;
    m_entryList = entries;
    m_entries->setRowCount(static_cast<int>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const JournalEntry& entry = entries[i];
        SetRow(m_entries, static_cast<int>(i),
               {QString::number(entry.id), JournalEntryText::LocalTime(entry.time),
                QString::fromUtf8(JournalSummary::KindText(entry.kind)),
                entry.station ? QString::number(*entry.station) : QString(),
                QString::fromUtf8(JournalSummary::Of(entry))});
    }
    FitColumns(m_entries);
    SetStatus(
        Text("작업 %1개, 고른 작업의 기록 %2개").arg(m_sessionList.size()).arg(entries.size()),
        false);
    UpdateButtons();
    emit Answered();
}

void CHistoryWnd::UpdateButtons() {
    bool read = SelectedRead().has_value();
    m_restore->setEnabled(read);
    m_compare->setEnabled(read);
    m_report->setEnabled(m_sessions->selectionModel()->hasSelection());
}

std::optional<ParamSet> CHistoryWnd::SelectedRead() const {
    int row = m_entries->currentRow();
    if (row < 0 || row >= static_cast<int>(m_entryList.size())) return std::nullopt;
    if (!m_entries->selectionModel()->isRowSelected(row, QModelIndex())) return std::nullopt;
    return JournalRecord::CompleteReadValues(m_entryList[row]);
}

void CHistoryWnd::Restore() {
    std::optional<ParamSet> values = SelectedRead();
    if (!values) return;
    const JournalEntry& read = m_entryList[m_entries->currentRow()];
    emit RestoreRequested(*values, JournalEntryText::Label(read), read.station.value_or(-1),
                          QString::fromUtf8(read.port));
}

void CHistoryWnd::AskCompareWithEntry() {
    bool ok = false;
    int id = QInputDialog::getInt(this, Text("기록과 비교"), Text("비교할 읽기 기록의 번호:"), 1, 1,
                                  INT32_MAX, 1, &ok);
    if (ok) CompareWithEntry(id);
}

void CHistoryWnd::AskCompareWithFile() {
    QString path = ParamFileDialog::Choose(this, false, true);
    if (!path.isEmpty()) CompareWithFile(path);
}

void CHistoryWnd::CompareWithEntry(int64_t id) {
    SetStatus(Text("기록 #%1을 읽는 중...").arg(id), true);
    m_nOtherRequest =
        Post([id](HistoryQuery& query, quint64 request) { query.FindEntry(id, request); });
}

void CHistoryWnd::ShowOtherRead(const HistoryQuery::Answer& answer) {
    if (answer.request != m_nOtherRequest) return;
    const JournalEntries& entry = answer.entries;
    std::optional<ParamSet> values;
    if (!entry.empty() && entry.front().kind == JournalEntry::Kind::kRead) {
        values = JournalRecord::ReadValues(entry.front().payload);
    }
    if (values) {
        SetStatus(QString(), false);
        ShowDiff(*values, JournalEntryText::Label(entry.front()));
    } else {
        SetStatus(Text("그 번호의 읽기 기록이 없습니다."), false);
    }
    emit Answered();
}

void CHistoryWnd::CompareWithFile(const QString& path) {
    ParamSet file;
    if (!ParamFile::Read(path.toStdString(), file)) {
        MessageBox::Show(this, Text("파라미터 파일을 읽지 못했습니다: %1").arg(path));
        return;
    }
    ShowDiff(file, Text("파일 %1").arg(path));
}

void CHistoryWnd::ShowDiff(const ParamSet& other, const QString& otherLabel) {
    std::optional<ParamSet> read = SelectedRead();
    if (!read) return;
    QString label = JournalEntryText::Label(m_entryList[m_entries->currentRow()]);
    if (m_diff) m_diff->close();
    m_diff = new CompareDialog(label + Text("\n과(와) ") + otherLabel, this);
    m_diff->setAttribute(Qt::WA_DeleteOnClose);
    m_diff->ShowDifferences(
        ParamComparison(*read, other, ParamComparison::NumbersOfEither(*read, other)), Text("기록"),
        Text("비교 대상"));
    m_diff->open();
}

void CHistoryWnd::AskSaveReport() {
    QString name = Text("서비스보고서-%1.html").arg(QDate::currentDate().toString("yyyyMMdd"));
    QString path =
        QFileDialog::getSaveFileName(this, Text("보고서 저장"), name, Text("HTML 문서 (*.html)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive)) path += ".html";
    SaveReport(path);
}

void CHistoryWnd::SaveReport(const QString& path) {
    JournalSessions chosen;
    for (const QModelIndex& index : m_sessions->selectionModel()->selectedRows()) {
        chosen.push_back(m_sessionList[index.row()]);
    }
    if (chosen.empty()) return;
    SetStatus(Text("보고서를 만드는 중..."), true);
    Post([chosen, path](HistoryQuery& query, quint64 request) {
        query.SaveReport(chosen, path, request);
    });
}

void CHistoryWnd::SetStatus(const QString& text, bool busy) {
    m_status->setText(text);
    setCursor(busy ? Qt::BusyCursor : Qt::ArrowCursor);
}

QString CHistoryWnd::Status() const { return m_status->text(); }
