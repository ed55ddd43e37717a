#include "form/DialogUnits.h"

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    m_nCharWidth = metrics.averageCharWidth();
    m_nCharHeight = metrics.height();
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}
