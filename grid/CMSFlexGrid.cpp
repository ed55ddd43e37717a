#include "grid/CMSFlexGrid.h"

#include <QHeaderView>
#include <QMouseEvent>

CMSFlexGrid::CMSFlexGrid(QWidget* parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(TwipsToPixels(kDefaultRowTwips));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    // Writing a cell makes it current; that must not scroll the view about.
    setAutoScroll(false);
    // The state the form finds before its set-up changes it.
    SetRows(2);
    SetCols(3);
}

int CMSFlexGrid::TwipsToPixels(int twips) const {
    return (twips * logicalDpiY() + kTwipsPerInch / 2) / kTwipsPerInch;
}

void CMSFlexGrid::SetRows(int rows) {
    setRowCount(rows);
    ShadeFixedCells();
}

void CMSFlexGrid::SetCols(int cols) {
    setColumnCount(cols);
    ShadeFixedCells();
}

void CMSFlexGrid::SetRowHeight(int row, int twips) { setRowHeight(row, TwipsToPixels(twips)); }

void CMSFlexGrid::SetColWidth(int col, int twips) { setColumnWidth(col, TwipsToPixels(twips)); }

void CMSFlexGrid::SetTextMatrix(int row, int col, const QString& text) {
    if (QTableWidgetItem* cell = Cell(row, col)) cell->setText(text);
}

void CMSFlexGrid::SetCol(int col) { m_nCol = col; }

void CMSFlexGrid::SetRow(int row) {
    m_nRow = row;
    setCurrentCell(m_nRow, m_nCol);
}

void CMSFlexGrid::SetText(const QString& text) { SetTextMatrix(m_nRow, m_nCol, text); }

QString CMSFlexGrid::TextMatrix(int row, int col) const {
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->text() : QString();
}

QTableWidgetItem* CMSFlexGrid::Cell(int row, int col) {
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return nullptr;
    QTableWidgetItem* cell = item(row, col);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (IsFixed(row, col)) cell->setBackground(palette().button());
        setItem(row, col, cell);
    }
    return cell;
}

void CMSFlexGrid::ShadeFixedCells() {
    for (int row = 0; row < rowCount(); ++row) {
        for (int col = 0; col < columnCount(); ++col) Cell(row, col);
    }
}

void CMSFlexGrid::mousePressEvent(QMouseEvent* event) {
    QTableWidget::mousePressEvent(event);
    QModelIndex pressed = indexAt(event->position().toPoint());
    if (pressed.isValid()) {
        m_nRow = pressed.row();
        m_nCol = pressed.column();
    }
    emit MouseDown(static_cast<short>(event->button()),
                   static_cast<short>((event->modifiers() >> 25) & 7),
                   event->position().toPoint().x(), event->position().toPoint().y());
}

void CMSFlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    emit DblClick();
}
