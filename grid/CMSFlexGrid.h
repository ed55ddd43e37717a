#pragma once

#include <QTableWidget>
#include <QTableWidgetItem>

// The parameter grid: the few operations and two events the form uses, over a
// QTableWidget. Sizes are in twips (1440 to the inch); fixed rows and columns
// are drawn like headers. Cells are never edited in place.
class CMSFlexGrid : public QTableWidget {
    Q_OBJECT
  public:
    static constexpr int kTwipsPerInch = 1440;
    static constexpr int kDefaultRowTwips = 240;

    explicit CMSFlexGrid(QWidget* parent = nullptr);

    void SetRows(int rows);
    void SetCols(int cols);
    void SetRowHeight(int row, int twips);
    void SetColWidth(int col, int twips);
    void SetTextMatrix(int row, int col, const QString& text);
    void SetCol(int col);
    void SetRow(int row);
    void SetText(const QString& text);
    int GetCol() const { return m_nCol; }
    int GetRow() const { return m_nRow; }

    // The text of a cell, for the form's readers and tests.
    QString TextMatrix(int row, int col) const;

  signals:
    // Raised after the pressed cell has become the current cell.
    void MouseDown(short button, short shift, int x, int y);
    void DblClick();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    int TwipsToPixels(int twips) const;
    QTableWidgetItem* Cell(int row, int col);
    void ShadeFixedCells();
    bool IsFixed(int row, int col) const { return row < m_nFixedRows || col < m_nFixedCols; }

    int m_nFixedRows = 1;
    int m_nFixedCols = 2;
    int m_nRow = 0;
    int m_nCol = 0;
};
