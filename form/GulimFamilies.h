#pragma once

#include <QStringList>

// The font families that stand for 굴림, the described platform's Korean font:
// 굴림 itself where it is installed, else the NanumGothic of Debian's fonts-nanum,
// named directly. Looking up a family that is not installed makes Qt sort every
// installed font for fallbacks, once for each font asked for.
class GulimFamilies {
  public:
    static const QStringList& List();
};
