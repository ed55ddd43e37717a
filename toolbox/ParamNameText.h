#pragma once

#include <QString>
#include <cstdint>

// A parameter's name in the windows of the "도구" menu: the table's name, and
// "예약" for a number the drive keeps no named parameter under (the table
// calls those "RESERVED", which files and veld-para keep).
class ParamNameText {
  public:
    static QString Of(int32_t number);
};
