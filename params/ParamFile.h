#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"

// The parameter file (*.par): CP949 text, one "%5d, %20s, %10d \r\n" record
// per listed parameter, then CR LF. Reading takes fields by the file rules and
// needs no record structure.
class ParamFile {
  public:
    static constexpr size_t kMaxFileBytes = size_t{1} << 20;
    static constexpr size_t kMaxFieldBytes = 63;

    // The CP949 text of a save.
    static std::string Format(const ParamTable& table);
    // Replaces the file atomically; false (the caller shows "File Error") when
    // the target can be neither written nor created. A failed save leaves the
    // old file as it was.
    static bool Write(const std::string& path, const ParamTable& table);
    // Reads the whole file and applies it; false ("File Error") when it is no
    // regular file, cannot be read or is larger than 1 MiB, and then the table
    // is unchanged.
    static bool Read(const std::string& path, ParamTable& table, RefreshFlag& refresh);
    // The field rules: a comma or a line feed ends a field, blanks and carriage
    // returns are dropped, fields cycle number / name / value.
    static void Parse(std::string_view content, ParamTable& table);

  private:
    static std::string Record(int32_t number, const std::string& name, int32_t value);
};
