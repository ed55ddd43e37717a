#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Turns the dialog units of a dialog layout into pixels of the dialog's own font:
// a horizontal unit is a quarter of the average character width, a vertical unit an
// eighth of the font's pixel size (its em). The em, not the line spacing: a Korean
// font's line is taller than its em, and would make every dialog taller than its frame.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const { return units * m_nCharWidth / 4; }
    int Y(int units) const { return units * m_nCharHeight / 8; }
    QSize Size(int width, int height) const;
    QRect Rect(int x, int y, int width, int height) const;

  private:
    int m_nCharWidth;
    int m_nCharHeight;
};
