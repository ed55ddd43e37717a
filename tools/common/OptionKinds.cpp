#include "common/OptionKinds.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string_view>

#include "common/NumberArg.h"
#include "session/StationList.h"

namespace {

// The words CLI11 reads as on and off; any other value of a flag would be
// read as a number ("2" as on), so it is refused instead.
const char* const kFlagWords[] = {"1", "true", "yes", "on", "0", "false", "no", "off"};

std::string FlagValueProblem(const std::string& value) {
    if (std::ranges::count(kFlagWords, CLI::detail::to_lower(value)) > 0) return "";
    return "a flag takes 1, true, yes, on or 0, false, no, off, not " + value;
}

}  // namespace

CLI::Option* OptionKinds::Flag(CLI::App& app, const std::string& names, bool& on,
                               const std::string& description) {
    return app.add_flag(names, on, description)->check(FlagValueProblem);
}

CLI::Option* OptionKinds::Number(CLI::App& app, const std::string& names,
                                 const std::string& typeName, int32_t low, int32_t high,
                                 std::function<void(int32_t)> take,
                                 const std::string& description) {
    auto problem = [low, high](const std::string& text) {
        int32_t value = 0;
        if (NumberArg::Parse(text, low, high, value)) return std::string();
        return "a decimal number from " + std::to_string(low) + " to " + std::to_string(high) +
               " expected, not " + text;
    };
    // Each value in turn, once checked: the last one counts, or each one for an option
    // that takes every value given.
    auto taken = [low, high, take](const std::string& text) {
        int32_t value = 0;
        NumberArg::Parse(text, low, high, value);
        take(value);
    };
    return app.add_option(names, description)->check(problem)->each(taken)->type_name(typeName);
}

CLI::Option* OptionKinds::Text(CLI::App& app, const std::string& names, const std::string& typeName,
                               std::string& text, const std::string& description) {
    return app.add_option(names, text, description)
        ->type_name(typeName)
        ->check([typeName](const std::string& value) {
            return value.empty() ? typeName + " expected, not an empty word" : std::string();
        });
}

CLI::Option* OptionKinds::Values(CLI::App& app, const std::string& name,
                                 std::vector<std::string>& values, int least, int most,
                                 const std::string& description) {
    // Too few or too many values are refused, never cut to size.
    return app.add_option(name, values, description)
        ->expected(least, most)
        ->required()
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw)
        ->type_name("");
}

CLI::Option* OptionKinds::Stations(CLI::App& app, const std::string& names,
                                   std::vector<int32_t>& stations, const std::string& description) {
    auto problem = [](const std::string& text) {
        std::vector<int32_t> parsed;
        return StationList::Parse(text, parsed)
                   ? std::string()
                   : "stations (3,7 or 1-8 or 1-3,7, each once) within 0-35 expected, not " + text;
    };
    // The check has refused what does not parse by the time the list is taken.
    auto taken = [&stations](const std::string& text) { StationList::Parse(text, stations); };
    return app.add_option_function<std::string>(names, taken, description)
        ->check(problem)
        ->type_name("LIST");
}

std::string OptionKinds::EmptyValue(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--") break;
        if (word.size() > 3 && word.starts_with("--") && word.ends_with('=')) {
            return std::string(word) + " gives no value: write it after the \"=\"";
        }
    }
    return "";
}
