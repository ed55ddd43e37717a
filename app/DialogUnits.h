#pragma once

#include <QFont>
#include <QRect>

// Dialog layouts are given in dialog units of their font: a horizontal unit is a
// quarter of the average character width, a vertical one an eighth of the height.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    QRect Rect(int x, int y, int width, int height) const;
    int X(int dluX) const { return dluX * m_nAvgCharWidth / 4; }
    int Y(int dluY) const { return dluY * m_nFontHeight / 8; }

    // The font of the forms and the about box: 굴림 9 pt where it exists, else
    // its Linux stand-ins.
    static QFont GulimFont();

  private:
    int m_nAvgCharWidth;
    int m_nFontHeight;
};
