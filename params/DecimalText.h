#pragma once

#include <cstdint>
#include <string_view>

// Reads a decimal number as the system reads every number typed or stored as
// text: leading white space skipped, one optional sign, the digits up to the
// first other character. No digit gives 0; a number beyond 32 bits saturates.
class DecimalText {
  public:
    static int32_t Parse(std::string_view text);
};
