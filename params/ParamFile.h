#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "params/ParamSet.h"
#include "params/ParamTable.h"
#include "params/RefreshFlag.h"

// The parameter file (*.par): CP949 text, one "%5d, %20s, %10d \r\n" record
// per listed parameter, then CR LF. Reading takes fields by the file rules and
// needs no record structure.
class ParamFile {
  public:
    static constexpr size_t kMaxFileBytes = size_t{1} << 20;
    static constexpr size_t kMaxFieldBytes = 63;

    // The CP949 text of a save: the listed parameters.
    static std::string Format(const ParamTable& table);
    // The same records for every number the set holds, ascending (a backup
    // keeps the whole set the drive reported; "열기" reads any number).
    static std::string Format(const ParamSet& set);
    // Replaces the file atomically; false (the caller shows "File Error") when
    // the target can be neither written nor created. A failed save leaves the
    // old file as it was.
    static bool Write(const std::string& path, const ParamTable& table);
    static bool Write(const std::string& path, const ParamSet& set);
    // A new file only: false, and nothing touched, when the name exists (a
    // dangling link too). For backups, which must never replace another.
    static bool Create(const std::string& path, const ParamSet& set);
    // Reads the whole file and applies it; false ("File Error") when it is no
    // regular file, cannot be read or is larger than 1 MiB, and then the table
    // is unchanged.
    static bool Read(const std::string& path, ParamTable& table, RefreshFlag& refresh);
    // The same into a set, which then tells which numbers the file carried.
    static bool Read(const std::string& path, ParamSet& set);
    // The field rules: a comma or a line feed ends a field, blanks and carriage
    // returns are dropped, fields cycle number / name / value.
    static void Parse(std::string_view content, ParamTable& table);
    static void Parse(std::string_view content, ParamSet& set);

  private:
    // Calls store(number, value) for each record numbered 0..109.
    template <class Store>
    static void ParseRecords(std::string_view content, Store store);
    static std::string Record(int32_t number, const std::string& name, int32_t value);
};
