#include "form/FormFont.h"

#include "form/GulimFamilies.h"

QFont FormFont::Gulim(int pointSize) {
    QFont font;
    font.setFamilies(GulimFamilies::List());
    font.setPointSize(pointSize);
    return font;
}
