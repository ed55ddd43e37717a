#include "form/FormFont.h"

#include "form/GulimFamilies.h"

QFont FormFont::Gulim() {
    QFont font;
    font.setFamilies(GulimFamilies::List());
    font.setPointSize(9);
    return font;
}
