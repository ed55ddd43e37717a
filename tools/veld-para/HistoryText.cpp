#include "HistoryText.h"

#include "JsonReport.h"
#include "journal/JournalTime.h"
#include "params/ParamTable.h"

namespace {

using Json = nlohmann::ordered_json;
using Kind = JournalEntry::Kind;

std::string Station(const JournalEntry& entry) {
    return entry.station ? "station " + std::to_string(*entry.station) : "no station";
}

// A value of a document: a number, or "-" where it is null.
std::string Value(const Json& value) { return value.is_null() ? "-" : JsonReport::Dump(value, -1); }

std::string Name(const Json& number) {
    int64_t n = number.is_number_integer() ? number.get<int64_t>() : -1;
    return n >= 0 && n < ParamTable::kCount
               ? ParamTable::Instance().Entry(static_cast<int32_t>(n)).name
               : "";
}

size_t CountOf(const Json& list, const char* key, const char* value) {
    size_t count = 0;
    for (const Json& item : list) {
        if (item.value(key, "") == value) ++count;
    }
    return count;
}

// Each item of the document's `list` as a line of its `keys`, after the parameter's name.
std::string Rows(const Json& payload, const char* list, std::initializer_list<const char*> keys) {
    std::string text;
    for (const Json& item : payload.value(list, Json::array())) {
        std::string line =
            Value(item.value("number", Json())) + "\t" + Name(item.value("number", Json()));
        for (const char* key : keys) line += "\t" + Value(item.value(key, Json()));
        text += line + "\n";
    }
    return text;
}

}  // namespace

std::string HistoryText::Line(const JournalEntry& entry) {
    std::string line = std::to_string(entry.id) + "\t" + JournalTime::Local(entry.time) + "\t" +
                       JournalEntry::KindName(entry.kind) + "\t" + entry.port + "\t" +
                       Station(entry) + "\t" + entry.program + " " + entry.version + "\t" +
                       entry.user + "@" + entry.host;
    std::string summary = Summary(entry);
    return summary.empty() ? line : line + "\t" + summary;
}

std::string HistoryText::Summary(const JournalEntry& entry) {
    const Json& payload = entry.payload;
    switch (entry.kind) {
        case Kind::kRead:
            return std::string(payload.value("complete", false) ? "complete" : "incomplete") +
                   ", " + std::to_string(payload.value("values", Json::object()).size()) +
                   " values";
        case Kind::kWrite: {
            Json lines = payload.value("lines", Json::array());
            return std::to_string(payload.value("parameters", Json::array()).size()) +
                   " parameters, " + std::to_string(CountOf(lines, "fate", "sent")) + " of " +
                   std::to_string(lines.size()) + " lines sent, " +
                   (payload.value("saved", false) ? "saved" : "not saved");
        }
        case Kind::kReadBack:
            return payload.value("result", "");
        default:
            return payload.empty() ? "" : JsonReport::Dump(payload, -1);
    }
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
    // The other kinds' documents follow whole.
    if (entry.kind == Kind::kRead || entry.kind == Kind::kWrite || entry.kind == Kind::kReadBack) {
        text += "result\t" + Summary(entry) + "\n";
    }
    return text + Contents(entry);
}

std::string HistoryText::Contents(const JournalEntry& entry) {
    const Json& payload = entry.payload;
    switch (entry.kind) {
        case Kind::kRead: {
            std::string text = "\nnumber\tname\tvalue\n";
            Json values = payload.value("values", Json::object());
            for (const auto& [number, value] : values.items()) {
                text += number + "\t" + Name(Json::parse(number, nullptr, false)) + "\t" +
                        Value(value) + "\n";
            }
            return text;
        }
        case Kind::kWrite: {
            std::string text = "\nnumber\tname\tbefore\tsent\n" +
                               Rows(payload, "parameters", {"before", "sent"}) + "\nline\tfate\n";
            for (const Json& line : payload.value("lines", Json::array())) {
                text += line.value("line", "") + "\t" + line.value("fate", "") + "\n";
            }
            return text;
        }
        case Kind::kReadBack:
            return "\nnumber\tname\tsent\tdrive\n" + Rows(payload, "parameters", {"sent", "drive"});
        default:
            return payload.empty() ? "" : "\n" + JsonReport::Dump(payload, 2) + "\n";
    }
}
