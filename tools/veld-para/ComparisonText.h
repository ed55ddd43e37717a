#pragma once

#include <string>

#include "params/ParamComparison.h"

// A comparison row as veld-para prints it: number, name, the two values ("-"
// where a side lacks the parameter) and, where one applies, a note, all
// separated by tabs.
class ComparisonText {
  public:
    static std::string Line(const ParamComparison::Row& row);
    // "70000 does not fit in 16 bits: the drive keeps 4464", "bits 0, 2
    // differ"; empty when nothing needs saying.
    static std::string Note(const ParamComparison::Row& row);
    // The line of each differing row, on stdout.
    static void PrintDiffering(const ParamComparison& comparison);
};
