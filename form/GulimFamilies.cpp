#include "form/GulimFamilies.h"

#include <fontconfig/fontconfig.h>

#include <future>

namespace {

const char* const kGulim[] = {"굴림", "Gulim"};

bool Installed(const char* family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* properties = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, properties);
    bool installed = fonts && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(properties);
    FcPatternDestroy(pattern);
    return installed;
}

bool GulimInstalled() {
    for (const char* family : kGulim) {
        if (Installed(family)) return true;
    }
    return false;
}

std::future<bool>& Pending() {
    static std::future<bool> pending;
    return pending;
}

}  // namespace

void GulimFamilies::LookUpEarly() { Pending() = std::async(std::launch::async, GulimInstalled); }

const QStringList& GulimFamilies::List() {
    static const QStringList families = [] {
        const bool gulim = Pending().valid() ? Pending().get() : GulimInstalled();
        QStringList list;
        if (gulim) list = {QString::fromUtf8(kGulim[0]), QString::fromUtf8(kGulim[1])};
        return list << QStringLiteral("NanumGothic");
    }();
    return families;
}
