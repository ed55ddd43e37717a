#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/ReplyParser.h"

// One read command of a poll: a monitoring code (STA, MTP, MIO, MIE, MAL,
// MVW) or PRD with a parameter number.
class PollCommand {
  public:
    static constexpr const char* kCodes[] = {"STA", "MTP", "MIO", "MIE", "MAL", "MVW"};
    static constexpr const char* kReadOne = "PRD";

    static PollCommand Code(const std::string& code) { return PollCommand(code, -1); }
    static PollCommand ReadOne(int32_t number) { return PollCommand(kReadOne, number); }
    // "MVW", "PRD 20" (the number 0 to 109); nothing for anything else.
    static std::optional<PollCommand> Parse(const std::string& text);

    const std::string& CodeText() const { return m_code; }
    int32_t Number() const { return m_nNumber; }
    // "MVW", "PRD 20": the command as the operator names it.
    std::string Name() const;
    // The command line for `station`, carriage return included.
    std::string Line(int32_t station) const;
    // The reply is this command's: the same code and, for PRD, the number as
    // its first field.
    bool IsAnsweredBy(const ReplyParser::ReplyLine& reply) const;
    // The fields of a reply of this command that are values: for PRD those after
    // the number, which names the parameter.
    std::vector<int32_t> Values(const ReplyParser::ReplyLine& reply) const;

    bool operator==(const PollCommand&) const = default;

  private:
    PollCommand(std::string code, int32_t number) : m_code(std::move(code)), m_nNumber(number) {}

    std::string m_code;
    int32_t m_nNumber;
};
