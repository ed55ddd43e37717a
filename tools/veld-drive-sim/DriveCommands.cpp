#include "DriveCommands.h"

#include <cstdio>
#include <iterator>
#include <sstream>
#include <utility>

#include "common/NumberArg.h"
#include "protocol/ReplyStation.h"

namespace {

std::string Hex16(int32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(static_cast<uint16_t>(value)));
    return text;
}

// Negative values as their 32-bit two's complement.
std::string Hex32(uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

}  // namespace

DriveCommands::DriveCommands(DriveModel& model, int32_t station, std::string statePath)
    : m_model(model), m_station(station), m_statePath(std::move(statePath)) {}

std::vector<std::string> DriveCommands::Handle(const std::string& line) {
    size_t dot = line.find('.');
    int32_t station = 0;
    if (line.empty() || line[0] != '#' || dot == std::string::npos ||
        !NumberArg::Parse(std::string_view(line).substr(1, dot - 1), INT32_MIN, INT32_MAX,
                          station) ||
        station != m_station) {
        return {};
    }
    std::vector<std::string> words = Words(line.substr(dot + 1));
    if (words.empty()) return {Error("")};
    std::string code = words.front();
    words.erase(words.begin());
    std::vector<std::string> replies = Answer(code, words);
    if (m_bSilent || (m_bNoAck && code != "PRA" && code != "FRD")) return {};
    return replies;
}

void DriveCommands::SetReadFaults(const std::vector<int32_t>& omit, int32_t misnumber) {
    for (int32_t number : omit) m_omitted.set(static_cast<size_t>(number));
    m_misnumbered = misnumber;
}

void DriveCommands::SetWriteFaults(const std::vector<int32_t>& readOnly, bool noAck) {
    for (int32_t number : readOnly) m_readOnly.set(static_cast<size_t>(number));
    m_bNoAck = noAck;
}

std::vector<std::string> DriveCommands::Answer(const std::string& code,
                                               const std::vector<std::string>& args) {
    if (code == "PRA") return ReadAll();
    if (code == "PWR") return {Write(args)};
    if (code == "COP") return {Acknowledge(code)};
    if (code == "PSV") return {Save()};
    if (code == "FRD") return {Version(args)};
    if (code == "PDF") {
        if (args.size() != 1 || args[0] != "ALL") return {Error(code)};
        m_model.RestoreDefaults();
        return {Acknowledge(code)};
    }
    if (code == "PRD") return {ReadOne(args)};
    std::string fields = Monitor(code);
    if (fields.empty()) return {Error(code)};
    return {Reply(code, fields)};
}

std::string DriveCommands::Monitor(const std::string& code) {
    if (code == "MIE" || code == "MAL") return Hex32(0u);  // no I/O error, no alarm
    MotorModel::Reading motor = m_motor.Read(MotorModel::Clock::now());
    if (code == "STA") return Hex32(motor.status);
    if (code == "MTP") return Hex32(motor.temperature);
    if (code == "MIO") return Hex32(motor.io);
    if (code == "MVW") {
        return Hex32(motor.speed) + " " + Hex32(motor.current) + " " + Hex32(motor.dcLink) + " " +
               Hex32(motor.temperature);
    }
    return "";
}

std::vector<std::string> DriveCommands::ReadAll() const {
    std::vector<std::string> lines;
    for (int32_t first = 0; first < ParamTable::kCount; first += kPairsPerLine) {
        std::string fields;
        for (int32_t n = first; n < first + kPairsPerLine && n < ParamTable::kCount; ++n) {
            if (m_omitted.test(static_cast<size_t>(n))) continue;
            int32_t shown = n == m_misnumbered ? ParamTable::kCount : n;
            fields += (fields.empty() ? "" : " ") + Hex16(shown) + " " + Hex16(m_model.Value(n));
        }
        lines.push_back(Reply("PRA", fields));
    }
    return lines;
}

std::string DriveCommands::Write(const std::vector<std::string>& args) {
    int32_t number = 0;
    int32_t value = 0;
    if (args.size() != 2 || !NumberArg::Parse(args[0], 0, ParamTable::kCount - 1, number) ||
        !NumberArg::Parse(args[1], INT32_MIN, INT32_MAX, value)) {
        return Error("PWR");
    }
    if (!m_readOnly.test(static_cast<size_t>(number))) m_model.Store(number, value);
    return Acknowledge("PWR");
}

std::string DriveCommands::ReadOne(const std::vector<std::string>& args) const {
    int32_t number = 0;
    if (args.size() != 1 || !NumberArg::Parse(args[0], 0, ParamTable::kCount - 1, number)) {
        return Error("PRD");
    }
    return Reply("PRD", Hex32(number) + " " + Hex32(m_model.Value(number)));
}

std::string DriveCommands::Version(const std::vector<std::string>& args) const {
    if (args.size() == 1 && args[0] == "0")
        return Reply("FRD", std::string("0 ") + kFirmwareVersion);
    if (args.size() == 1 && args[0] == "1")
        return Reply("FRD", std::string("1 ") + kHardwareRevision);
    return Error("FRD");
}

std::string DriveCommands::Save() {
    if (!m_statePath.empty() && !m_model.SaveState(m_statePath)) return Error("PSV");
    return Acknowledge("PSV");
}

std::string DriveCommands::Reply(const std::string& code, const std::string& fields) const {
    std::string line = std::string("#") + ReplyStation::CharOf(m_station) + "." + code;
    return fields.empty() ? line : line + " " + fields;
}
