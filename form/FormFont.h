#pragma once

#include <QFont>

// The font of the form and the about box: 굴림 9 pt where it exists, else its
// Linux stand-ins.
class FormFont {
  public:
    static QFont Gulim();
};
