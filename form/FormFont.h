#pragma once

#include <QFont>

// The font of the form and the about box (9 pt) and of the value dialogs
// (10 pt): 굴림 where it exists, else its Linux stand-ins.
class FormFont {
  public:
    static QFont Gulim(int pointSize = 9);
};
