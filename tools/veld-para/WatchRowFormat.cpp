#include "WatchRowFormat.h"

#include <nlohmann/json.hpp>

#include "JsonReport.h"
#include "protocol/PollRecorder.h"

std::string WatchRowFormat::Header() const {
    return m_kind == Kind::kCsv ? PollRecorder::kCsvHeader : "";
}

std::string WatchRowFormat::Row(const PollMonitor::Row& row) const {
    const ReplyParser::ReplyLine& reply = row.reply;
    switch (m_kind) {
        case Kind::kCsv:
            return PollRecorder::CsvRow(row);
        case Kind::kJson: {
            nlohmann::ordered_json object = {
                {"ms", row.ms},
                {"time", PollRecorder::IsoTime(row.wall)},
                {"station", std::string(1, reply.station)},
                {"code", reply.code},
                {"fields", reply.values},
            };
            return JsonReport::Dump(object, -1);
        }
        case Kind::kText:
            break;
    }
    std::string line = std::to_string(row.ms) + " " + reply.code;
    for (int32_t value : reply.values) line += " " + std::to_string(value);
    return line;
}
