#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

// The kinds of option and value the programs take, each with one rule
// wherever it stands. `names` as CLI11 takes them: "-w,--wait"; a name without
// a hyphen is a value.
class OptionKinds {
  public:
    // On when given alone; --NAME=VALUE takes 1, true, yes, on or 0, false, no,
    // off, and nothing else.
    static CLI::Option* Flag(CLI::App& app, const std::string& names, bool& on,
                             const std::string& description);
    // A decimal number (an optional sign, then digits) from `low` to `high`,
    // handed to `take`; any other text is refused, none is read in octal or hex.
    static CLI::Option* Number(CLI::App& app, const std::string& names, const std::string& typeName,
                               int32_t low, int32_t high, std::function<void(int32_t)> take,
                               const std::string& description);
    // A name that cannot be empty: a file, a folder.
    static CLI::Option* Text(CLI::App& app, const std::string& names, const std::string& typeName,
                             std::string& text, const std::string& description);
    // The command's values, from `least` to `most` of them (-1: no limit).
    static CLI::Option* Values(CLI::App& app, const std::string& name,
                               std::vector<std::string>& values, int least, int most,
                               const std::string& description);
    // Stations as StationList reads them ("3,7", "1-8", "1-3,7"), in station order.
    static CLI::Option* Stations(CLI::App& app, const std::string& names,
                                 std::vector<int32_t>& stations, const std::string& description);

    // "--NAME=" with nothing after the "=", before a "--" that ends the
    // options, said as a problem; "" when there is none. CLI11 would take the
    // word after it as the value.
    static std::string EmptyValue(int argc, char** argv);
};
