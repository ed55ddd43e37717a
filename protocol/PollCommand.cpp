#include "protocol/PollCommand.h"

#include <algorithm>
#include <sstream>

#include "params/ParamTable.h"
#include "protocol/TxQueue.h"

std::optional<PollCommand> PollCommand::Parse(const std::string& text) {
    std::istringstream in(text);
    std::string code;
    std::vector<std::string> args;
    in >> code;
    for (std::string arg; in >> arg;) args.push_back(arg);
    if (code == kReadOne && args.size() == 1) {
        const std::string& digits = args[0];
        if (digits.empty() || digits.size() > 3 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return std::nullopt;
        }
        int32_t number = std::stoi(digits);
        if (number >= ParamTable::kCount) return std::nullopt;
        return ReadOne(number);
    }
    if (!args.empty()) return std::nullopt;
    for (const char* known : kCodes) {
        if (code == known) return Code(code);
    }
    return std::nullopt;
}

std::string PollCommand::Name() const {
    return m_nNumber < 0 ? m_code : m_code + " " + std::to_string(m_nNumber);
}

std::string PollCommand::Line(int32_t station) const {
    return TxQueue::CommandLine(station, m_code.c_str(),
                                m_nNumber < 0 ? "" : std::to_string(m_nNumber));
}

bool PollCommand::IsAnsweredBy(const ReplyParser::ReplyLine& reply) const {
    if (reply.code != m_code) return false;
    return m_nNumber < 0 || (!reply.values.empty() && reply.values[0] == m_nNumber);
}

std::vector<int32_t> PollCommand::Values(const ReplyParser::ReplyLine& reply) const {
    size_t skipped = m_nNumber < 0 ? 0 : std::min<size_t>(1, reply.values.size());
    return {reply.values.begin() + static_cast<long>(skipped), reply.values.end()};
}
