#include "journal/JournalRecord.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "params/ParamTable.h"
#include "params/Sha256.h"

namespace {

using Json = nlohmann::ordered_json;
using Kind = JournalEntry::Kind;

}  // namespace

JournalRecord JournalRecord::Read(int32_t station, const ParamSet& values, bool complete) {
    Json numbers = Json::object();
    for (int32_t number : values.Numbers()) numbers[std::to_string(number)] = values.Value(number);
    return {Kind::kRead, station, Json{{"complete", complete}, {"values", std::move(numbers)}}};
}

JournalRecord JournalRecord::Write(int32_t station, const ParamSet& sent,
                                   const std::optional<ParamSet>& before,
                                   const std::vector<TxLineWriter::Gone>& lines, bool saved) {
    Json parameters = Json::array();
    for (int32_t number : sent.Numbers()) {
        bool known = before && before->Has(number);
        parameters.push_back({{"number", number},
                              {"before", known ? Json(before->Value(number)) : Json()},
                              {"sent", sent.Value(number)}});
    }
    return {
        Kind::kWrite, station,
        Json{{"parameters", std::move(parameters)}, {"lines", LineFates(lines)}, {"saved", saved}}};
}

JournalRecord JournalRecord::ReadBack(int32_t station, const ReadBackReport& report) {
    Json parameters = Json::array();
    for (const ParamComparison::Row& row : report.Comparison().Rows()) {
        parameters.push_back(
            {{"number", row.number}, {"sent", row.a}, {"drive", row.hasB ? Json(row.b) : Json()}});
    }
    return {Kind::kReadBack, station,
            Json{{"result", ReadBackReport::ResultName(report.Result())},
                 {"parameters", std::move(parameters)}}};
}

JournalRecord JournalRecord::File(const std::string& action, const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    Json sha = file ? Json(Sha256::Hex(bytes.str())) : Json();
    return {Kind::kFile, std::nullopt,
            Json{{"action", action}, {"path", path}, {"sha256", std::move(sha)}}};
}

JournalRecord JournalRecord::Failure(std::optional<int32_t> station, const std::string& what,
                                     Json details) {
    Json payload{{"what", what}};
    payload.update(details);
    return {Kind::kFailure, station, std::move(payload)};
}

JournalRecord JournalRecord::StoppedBy(int signal) {
    return Failure(std::nullopt, "stopped by a signal", Json{{"signal", signal}});
}

JournalRecord JournalRecord::Scan(const StationScan& scan) {
    Json answers = Json::array();
    for (const StationScan::Answer& answer : scan.Answers()) {
        answers.push_back({{"station", answer.station}, {"version", answer.version}});
    }
    const char* result = scan.GetState() == StationScan::State::kCancelled ? "cancelled"
                         : scan.GetState() == StationScan::State::kLost    ? "port lost"
                                                                           : "finished";
    return {Kind::kScan, std::nullopt,
            Json{{"first", scan.First()},
                 {"last", scan.Last()},
                 {"result", result},
                 {"answers", std::move(answers)}}};
}

JournalRecord JournalRecord::MonitorStart(int32_t station, const PollSchedule& schedule) {
    Json commands = Json::array();
    for (const PollCommand& command : schedule.Commands()) commands.push_back(command.Name());
    return {Kind::kMonitor, station,
            Json{{"action", "start"},
                 {"commands", std::move(commands)},
                 {"interval_ms", schedule.IntervalMs()}}};
}

JournalRecord JournalRecord::MonitorStop(int32_t station, const PollSchedule& schedule) {
    return {Kind::kMonitor, station,
            Json{{"action", "stop"},
                 {"rounds_sent", schedule.RoundsSent()},
                 {"rounds_answered", schedule.RoundsAnswered()},
                 {"rounds_unanswered", schedule.RoundsUnanswered()}}};
}

JournalRecord JournalRecord::Other(Kind kind, std::optional<int32_t> station, Json payload) {
    return {kind, station, std::move(payload)};
}

Json JournalRecord::LineFates(const std::vector<TxLineWriter::Gone>& lines) {
    Json fates = Json::array();
    for (const TxLineWriter::Gone& gone : lines) {
        fates.push_back(
            {{"line", LineText(gone.line)}, {"fate", TxLineWriter::FateName(gone.fate)}});
    }
    return fates;
}

std::string JournalRecord::LineText(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return line;
}

std::optional<ParamSet> JournalRecord::ReadValues(const Json& payload) {
    auto values = payload.find("values");
    if (values == payload.end() || !values->is_object()) return std::nullopt;
    ParamSet set;
    for (const auto& [key, value] : values->items()) {
        int32_t number = -1;
        auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), number);
        if (error != std::errc() || end != key.data() + key.size() || number < 0 ||
            number >= ParamTable::kCount || !value.is_number_integer() ||
            value.get<int64_t>() < INT32_MIN || value.get<int64_t>() > INT32_MAX) {
            return std::nullopt;
        }
        set.Set(number, static_cast<int32_t>(value.get<int64_t>()));
    }
    return set;
}

std::optional<ParamSet> JournalRecord::CompleteReadValues(const JournalEntry& entry) {
    auto complete = entry.payload.find("complete");
    if (entry.kind != Kind::kRead || complete == entry.payload.end() || *complete != true) {
        return std::nullopt;
    }
    return ReadValues(entry.payload);
}
