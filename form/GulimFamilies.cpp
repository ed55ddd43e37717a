#include "form/GulimFamilies.h"

#include <QFontDatabase>

const QStringList& GulimFamilies::List() {
    static const QStringList families = [] {
        const QStringList gulim{QString::fromUtf8("굴림"), QStringLiteral("Gulim")};
        for (const QString& family : gulim) {
            if (QFontDatabase::hasFamily(family)) return gulim + QStringList{"NanumGothic"};
        }
        return QStringList{QStringLiteral("NanumGothic")};
    }();
    return families;
}
