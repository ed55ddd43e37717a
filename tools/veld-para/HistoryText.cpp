#include "HistoryText.h"

#include <algorithm>
#include <iterator>

#include "JsonReport.h"
#include "journal/JournalTime.h"
#include "journal/ReportHtml.h"
#include "params/ParamTable.h"

namespace {

using Json = nlohmann::ordered_json;
using Kind = JournalEntry::Kind;

// A document's field, null where there is none: a document changed by hand
// is shown as it stands, never taken for the shape it should have.
constexpr auto Field = &ReportHtml::Field;

constexpr auto List = &ReportHtml::List;

// A value of a document: a string as it is, anything else as JSON, "-" where null.
std::string Value(const Json& value) {
    if (value.is_null()) return "-";
    return value.is_string() ? value.get<std::string>() : JsonReport::Dump(value, -1);
}

// The document's `key` as Value shows it.
std::string Text(const Json& object, const char* key) { return Value(Field(object, key)); }

std::string Name(const Json& number) {
    int64_t n = number.is_number_integer() ? number.get<int64_t>() : -1;
    return n >= 0 && n < ParamTable::kCount
               ? ParamTable::Instance().Entry(static_cast<int32_t>(n)).name
               : "";
}

// The items of `list`, joined by ", ".
std::string Joined(const Json& list) {
    std::string text;
    for (const Json& item : list) text += (text.empty() ? "" : ", ") + Value(item);
    return text;
}

// Each item of the document's `list` as a line of its `keys`, after the parameter's name.
std::string Rows(const Json& payload, const char* list, std::initializer_list<const char*> keys) {
    std::string text;
    for (const Json& item : List(payload, list)) {
        std::string line = Text(item, "number") + "\t" + Name(Field(item, "number"));
        for (const char* key : keys) line += "\t" + Text(item, key);
        text += line + "\n";
    }
    return text;
}

std::string ReadSummary(const Json& payload) {
    const Json& values = Field(payload, "values");
    return std::string(Field(payload, "complete") == true ? "complete" : "incomplete") + ", " +
           std::to_string(values.is_object() ? values.size() : 0) + " values";
}

std::string WriteSummary(const Json& payload) {
    const Json& lines = List(payload, "lines");
    auto sent = std::ranges::count_if(
        lines, [](const Json& line) { return Field(line, "fate") == "sent"; });
    return std::to_string(List(payload, "parameters").size()) + " parameters, " +
           std::to_string(sent) + " of " + std::to_string(lines.size()) + " lines sent, " +
           (Field(payload, "saved") == true ? "saved" : "not saved");
}

// Lines sent and what came back: "#0.FRD 0 (sent) -> #0.FRD 0 0105".
std::string LinesSummary(const Json& payload) {
    std::string text;
    for (const Json& line : List(payload, "lines")) {
        text += (text.empty() ? "" : ", ") + Text(line, "line") + " (" + Text(line, "fate") + ")";
    }
    const Json& replies = List(payload, "replies");
    if (!replies.empty()) text += " -> " + Joined(replies);
    return text;
}

std::string ScanSummary(const Json& payload) {
    std::string text = "stations " + Text(payload, "first") + " to " + Text(payload, "last") +
                       ", " + Text(payload, "result") + ": " +
                       std::to_string(List(payload, "answers").size()) + " answered";
    for (const Json& answer : List(payload, "answers")) {
        text += ", " + Text(answer, "station") + " (" + Text(answer, "version") + ")";
    }
    return text;
}

std::string MonitorSummary(const Json& payload) {
    if (Field(payload, "action") == "start") {
        return "start: " + Joined(List(payload, "commands")) + " every " +
               Text(payload, "interval_ms") + " ms";
    }
    return Text(payload, "action") + ": " + Text(payload, "rounds_sent") + " rounds, " +
           Text(payload, "rounds_answered") + " answered";
}

std::string CommissionSummary(const Json& payload) {
    std::string text = Text(payload, "mode") + " " + Text(payload, "file");
    for (const Json& station : List(payload, "stations")) {
        text += ", station " + Text(station, "station") + " " + Text(station, "result");
    }
    if (!Field(payload, "stopped").is_null()) text += "; stopped: " + Text(payload, "stopped");
    return text + "; report " + Text(payload, "report");
}

// The first field's value (`what` or `action`), then every other field as "key value".
std::string Fields(const Json& payload) {
    std::string text = Value(payload.begin().value());
    for (auto field = std::next(payload.begin()); field != payload.end(); ++field) {
        text += " " + field.key() + " " + Value(field.value());
    }
    return text;
}

}  // namespace

std::string HistoryText::Line(const JournalEntry& entry) {
    std::string line =
        std::to_string(entry.id) + "\t" + JournalTime::Local(entry.time) + "\t" +
        JournalEntry::KindName(entry.kind) + "\t" + entry.port + "\t" +
        (entry.station ? "station " + std::to_string(*entry.station) : "no station") + "\t" +
        entry.program + " " + entry.version + "\t" + entry.user + "@" + entry.host;
    std::string summary = Summary(entry);
    return summary.empty() ? line : line + "\t" + summary;
}

std::string HistoryText::Summary(const JournalEntry& entry) {
    const Json& payload = entry.payload;
    if (!payload.is_object()) return Value(payload);
    switch (entry.kind) {
        case Kind::kRead:
            return ReadSummary(payload);
        case Kind::kWrite:
        case Kind::kSetMode:
            return WriteSummary(payload);
        case Kind::kReadBack:
            return Text(payload, "result");
        case Kind::kInit:
        case Kind::kSend:
        case Kind::kVersion:
            return LinesSummary(payload);
        case Kind::kScan:
            return ScanSummary(payload);
        case Kind::kMonitor:
            return MonitorSummary(payload);
        case Kind::kCommission:
            return CommissionSummary(payload);
        case Kind::kFile:
        case Kind::kFailure:
            return payload.empty() ? "" : Fields(payload);
        case Kind::kConnect:
        case Kind::kDisconnect:
            break;
    }
    return payload.empty() ? "" : JsonReport::Dump(payload, -1);
}

std::string HistoryText::Details(const JournalEntry& entry) {
    std::string text = "entry\t" + std::to_string(entry.id) + "\n";
    text += "time\t" + JournalTime::Local(entry.time) + " (" + entry.time + ")\n";
    text += "kind\t" + std::string(JournalEntry::KindName(entry.kind)) + "\n";
    text += "program\t" + entry.program + " " + entry.version + "\n";
    text += "user\t" + entry.user + "@" + entry.host + "\n";
    text += "port\t" + entry.port + "\n";
    text += "station\t" + (entry.station ? std::to_string(*entry.station) : "-") + "\n";
    text += "session\t" + std::to_string(entry.session) + "\n";
    text += "hash\t" + entry.hash + "\n";
    std::string summary = Summary(entry);
    if (!summary.empty()) text += "result\t" + summary + "\n";
    return text + Contents(entry);
}

std::string HistoryText::Contents(const JournalEntry& entry) {
    const Json& payload = entry.payload;
    switch (entry.kind) {
        case Kind::kRead: {
            std::string text = "\nnumber\tname\tvalue\n";
            const Json& values = Field(payload, "values");
            if (!values.is_object()) return text;
            for (const auto& [number, value] : values.items()) {
                text += number + "\t" + Name(Json::parse(number, nullptr, false)) + "\t" +
                        Value(value) + "\n";
            }
            return text;
        }
        case Kind::kWrite:
        case Kind::kSetMode: {
            std::string text = "\nnumber\tname\tbefore\tsent\n" +
                               Rows(payload, "parameters", {"before", "sent"}) + "\nline\tfate\n";
            for (const Json& line : List(payload, "lines")) {
                text += Text(line, "line") + "\t" + Text(line, "fate") + "\n";
            }
            return text;
        }
        case Kind::kReadBack:
            return "\nnumber\tname\tsent\tdrive\n" + Rows(payload, "parameters", {"sent", "drive"});
        default:
            return payload.empty() ? "" : "\n" + JsonReport::Dump(payload, 2) + "\n";
    }
}
