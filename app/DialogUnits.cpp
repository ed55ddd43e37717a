#include "app/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    m_nAvgCharWidth = metrics.averageCharWidth();
    m_nFontHeight = metrics.height();
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

QFont DialogUnits::GulimFont() {
    QFont font;
    font.setFamilies(QStringList{QString::fromUtf8("굴림"), QStringLiteral("Gulim"),
                                 QStringLiteral("NanumGothic")});
    font.setPointSize(9);
    return font;
}
