#include "protocol/SentCommand.h"

#include <charconv>

#include "params/ParamTable.h"

namespace {

bool WholeNumber(std::string_view text, int32_t& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

}  // namespace

bool SentCommand::Parse(std::string_view line, SentCommand& command) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t dot = line.find('.');
    SentCommand parsed;
    if (line.size() < 5 || line[0] != '#' || dot == std::string_view::npos ||
        !WholeNumber(line.substr(1, dot - 1), parsed.m_station) || line.size() < dot + 4) {
        return false;
    }
    parsed.m_code = std::string(line.substr(dot + 1, 3));
    std::string_view rest = line.substr(dot + 4);
    if (!rest.empty() && rest[0] != ' ') return false;
    while (!rest.empty()) {
        size_t start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        size_t end = rest.find(' ');
        parsed.m_args.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
    command = parsed;
    return true;
}

bool SentCommand::ParamWrite(int32_t& number, int32_t& value) const {
    return m_code == "PWR" && m_args.size() == 2 && WholeNumber(m_args[0], number) && number >= 0 &&
           number < ParamTable::kCount && WholeNumber(m_args[1], value);
}

bool SentCommand::Unanswered() const {
    return m_code == "PWR" || m_code == "COP" || m_code == "PSV" || m_code == "PDF";
}
