#pragma once

#include <QStringList>

// The font families that stand for 굴림, the described platform's Korean font:
// 굴림 itself where it is installed, else the NanumGothic of Debian's fonts-nanum,
// named directly. Looking up a family that is not installed makes Qt sort every
// installed font for fallbacks, once for each font asked for.
class GulimFamilies {
  public:
    // Starts the look-up on a thread of its own, before the application object:
    // fontconfig's set-up (reading its configuration, about 6 ms) then overlaps
    // the application's connection to the display instead of following it.
    static void LookUpEarly();
    static const QStringList& List();
};
