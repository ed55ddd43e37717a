#include "toolbox/BackupListDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "form/Named.h"
#include "form/Utf8Text.h"
#include "toolbox/JournalEntryText.h"

BackupListDialog::BackupListDialog(const QString& journalPath, QWidget* parent) : QDialog(parent) {
    setWindowTitle(Text("되돌리기"));
    setObjectName(QStringLiteral("backupListDialog"));
    m_intro = Named(new QLabel(Text("작업 기록에서 드라이브를 읽은 기록을 찾는 중..."), this),
                    "backupIntro");
    m_intro->setWordWrap(true);
    auto* where = new QLabel(Text("작업 기록: %1").arg(journalPath), this);
    where->setWordWrap(true);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_table = Named(new QTableWidget(0, kColumns, this), "backupTable");
    m_table->setHorizontalHeaderLabels(
        {Text("시각"), Text("국번"), Text("포트"), Text("마지막 읽기와 다른 항목")});
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(this);
    m_choose = Named(buttons->addButton(Text("비교 후 되돌리기..."), QDialogButtonBox::AcceptRole),
                     "backupChoose");
    m_save = Named(buttons->addButton(Text("파일로 저장..."), QDialogButtonBox::ActionRole),
                   "backupSave");
    buttons->addButton(Text("닫기"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &BackupListDialog::Choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, &BackupListDialog::Save);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &BackupListDialog::UpdateButtons);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &BackupListDialog::Choose);
    UpdateButtons();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_intro);
    layout->addWidget(where);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(560, 420);
}

void BackupListDialog::ShowItems(const std::vector<Item>& items, bool more) {
    m_items = items;
    QString intro =
        items.empty()
            ? Text(
                  "작업 기록에 드라이브를 끝까지 읽은 기록이 없습니다. 드라이브를 읽으면 "
                  "그 값이 기록되고, 여기서 되돌릴 수 있습니다.")
            : Text(
                  "작업 기록에 남은, 드라이브를 끝까지 읽은 값입니다. 되돌릴 읽기를 고르면 "
                  "드라이브와 비교한 뒤 고른 항목을 전송합니다.");
    if (more) {
        intro += Text(" 최근 %1개만 보입니다. 그보다 오래된 읽기는 \"작업 기록\"에서 찾으십시오.")
                     .arg(kMaxListed);
    }
    m_intro->setText(intro);
    m_table->setRowCount(static_cast<int>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) AddRow(static_cast<int>(i), items[i]);
    // Not the last, which stretches: resizeColumnsToContents would take its stretch away.
    for (int column = 0; column < kDiffer; ++column) m_table->resizeColumnToContents(column);
    // Another drive's read only by the operator's own pick.
    auto likely =
        std::find_if(items.begin(), items.end(), [](const Item& item) { return item.likely; });
    if (likely != items.end()) m_table->selectRow(static_cast<int>(likely - items.begin()));
}

void BackupListDialog::AddRow(int row, const Item& item) {
    const JournalEntry& read = item.read;
    auto* when = new QTableWidgetItem(JournalEntryText::LocalTime(read.time));
    when->setToolTip(JournalEntryText::Label(read));
    m_table->setItem(row, kWhen, when);
    m_table->setItem(
        row, kStation,
        new QTableWidgetItem(read.station ? QString::number(*read.station) : Text("없음")));
    m_table->setItem(
        row, kPort,
        new QTableWidgetItem(read.port.empty() ? Text("기록 없음") : QString::fromUtf8(read.port)));
    m_table->setItem(row, kDiffer, new QTableWidgetItem(item.differ));
}

void BackupListDialog::ShowFailure(const QString& reason) {
    m_items.clear();
    m_table->setRowCount(0);
    m_intro->setText(reason);
    UpdateButtons();
}

QString BackupListDialog::Intro() const { return m_intro->text(); }

void BackupListDialog::UpdateButtons() {
    bool chosen = Selected() != nullptr;
    m_choose->setEnabled(chosen);
    m_save->setEnabled(chosen);
}

const BackupListDialog::Item* BackupListDialog::Selected() const {
    int row = m_table->currentRow();
    if (m_table->selectedItems().isEmpty() || row < 0 || row >= static_cast<int>(m_items.size())) {
        return nullptr;
    }
    return &m_items[static_cast<size_t>(row)];
}

void BackupListDialog::Choose() {
    const Item* selected = Selected();
    if (!selected) return;
    // A copy: the dialog goes once it is accepted.
    Item item = *selected;
    accept();
    emit Chosen(item);
}

void BackupListDialog::Save() {
    if (const Item* selected = Selected()) emit SaveRequested(*selected);
}
