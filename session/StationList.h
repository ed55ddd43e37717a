#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// A list of stations as an operator types it: "3,7", "1-8", "1-3,7", blanks
// around the numbers allowed. Each station 0 to 35 (the stations a reply's one
// character can name) once; the list comes out in station order.
class StationList {
  public:
    // False, with `stations` untouched, for an empty list, a station outside
    // 0 to 35, a range that runs backwards, or a station named twice.
    static bool Parse(std::string_view text, std::vector<int32_t>& stations);
};
