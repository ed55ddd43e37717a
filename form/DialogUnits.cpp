#include "form/DialogUnits.h"

#include <QFontInfo>
#include <QFontMetrics>

DialogUnits::DialogUnits(const QFont& font) {
    m_nCharWidth = QFontMetrics(font).averageCharWidth();
    m_nCharHeight = QFontInfo(font).pixelSize();
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}
