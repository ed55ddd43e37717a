#include "form/FormFont.h"

#include <QStringList>

QFont FormFont::Gulim() {
    QFont font;
    font.setFamilies(QStringList{QString::fromUtf8("굴림"), QStringLiteral("Gulim"),
                                 QStringLiteral("NanumGothic")});
    font.setPointSize(9);
    return font;
}
