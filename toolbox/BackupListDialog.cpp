#include "toolbox/BackupListDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "form/Utf8Text.h"

BackupListDialog::BackupListDialog(const std::vector<Item>& items, const QString& folder,
                                   QWidget* parent)
    : QDialog(parent), m_items(items) {
    setWindowTitle(Text("되돌리기"));
    setObjectName(QStringLiteral("backupListDialog"));
    auto* intro = new QLabel(
        items.empty()
            ? Text("백업이 없습니다. 드라이브를 읽은 뒤 처음 쓰기 전에 백업이 만들어집니다.")
            : Text("드라이브에 쓰기 전에 저장한 값입니다. 되돌릴 백업을 고르면 "
                   "드라이브와 비교한 뒤 고른 항목을 전송합니다."),
        this);
    intro->setWordWrap(true);
    auto* where = new QLabel(Text("백업 폴더: %1").arg(folder), this);
    where->setWordWrap(true);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_table = new QTableWidget(static_cast<int>(items.size()), kColumns, this);
    m_table->setObjectName(QStringLiteral("backupTable"));
    m_table->setHorizontalHeaderLabels(
        {Text("시각"), Text("국번"), Text("포트"), Text("마지막 읽기와 다른 항목")});
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (size_t i = 0; i < items.size(); ++i) {
        int row = static_cast<int>(i);
        auto* when = new QTableWidgetItem(items[i].when);
        when->setToolTip(items[i].path);
        m_table->setItem(row, kWhen, when);
        m_table->setItem(row, kStation, new QTableWidgetItem(QString::number(items[i].station)));
        m_table->setItem(row, kPort, new QTableWidgetItem(items[i].port));
        auto* differ = new QTableWidgetItem(items[i].differ);
        differ->setToolTip(items[i].differTip);
        m_table->setItem(row, kDiffer, differ);
    }
    m_table->resizeColumnsToContents();
    auto* buttons = new QDialogButtonBox(this);
    m_choose = buttons->addButton(Text("비교 후 되돌리기..."), QDialogButtonBox::AcceptRole);
    m_choose->setObjectName(QStringLiteral("backupChoose"));
    m_choose->setEnabled(false);
    buttons->addButton(Text("닫기"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &BackupListDialog::Choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::itemSelectionChanged, this,
            [this] { m_choose->setEnabled(!m_table->selectedItems().isEmpty()); });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &BackupListDialog::Choose);
    // Another drive's backup, or a damaged one, only by the operator's own pick.
    auto likely =
        std::find_if(items.begin(), items.end(), [](const Item& item) { return item.likely; });
    if (likely != items.end()) m_table->selectRow(static_cast<int>(likely - items.begin()));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(where);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(520, 420);
}

void BackupListDialog::Choose() {
    int row = m_table->currentRow();
    if (m_table->selectedItems().isEmpty() || row < 0) return;
    accept();
    emit Chosen(m_items[static_cast<size_t>(row)].path);
}
