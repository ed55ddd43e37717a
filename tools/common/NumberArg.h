#pragma once

#include <cstdint>
#include <string_view>

// A number given on the command line: the whole text must be a decimal
// integer (an optional sign, then digits) within the given bounds. Unlike the
// core's decimal reader, nothing saturates: a number beyond them is refused.
class NumberArg {
  public:
    static bool Parse(std::string_view text, int32_t minimum, int32_t maximum, int32_t& value);
};
