#pragma once

#include <cstdint>

// The one character with which a reply line names its station: "0" to "9"
// for stations 0 to 9, then "A" to "Z" for 10 to 35.
class ReplyStation {
  public:
    static constexpr int32_t kFirst = 0;
    static constexpr int32_t kLast = 35;

    // The character of a station in 0..35.
    static char CharOf(int32_t station);
    // The station a character names, or -1.
    static int32_t StationOf(char c);
};
