#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QSize>

// Turns the dialog units of a dialog layout into pixels of the dialog's own font:
// a horizontal unit is a quarter of the average character width, a vertical unit an
// eighth of the font height.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    QSize Size(int width, int height) const;
    QRect Rect(int x, int y, int width, int height) const;

  private:
    int X(int units) const { return units * m_nCharWidth / 4; }
    int Y(int units) const { return units * m_nCharHeight / 8; }

    int m_nCharWidth;
    int m_nCharHeight;
};
