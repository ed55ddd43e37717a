#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "journal/JournalEntry.h"
#include "params/ParamSet.h"
#include "protocol/PollSchedule.h"
#include "protocol/ReadBackReport.h"
#include "protocol/StationScan.h"
#include "protocol/TxLineWriter.h"

// What happened, before the journal stamps it with time, origin and session:
// its kind, its station and its document. The builders give each kind one
// shape, whoever records it.
struct JournalRecord {
    JournalEntry::Kind kind = JournalEntry::Kind::kConnect;
    std::optional<int32_t> station;
    nlohmann::ordered_json payload = nlohmann::ordered_json::object();

    // {"complete": true, "values": {"20": 500, ...}}: every value the station reported.
    static JournalRecord Read(int32_t station, const ParamSet& values, bool complete);
    // {"parameters": [{"number", "before", "sent"}], "lines": [{"line", "fate"}], "saved"}:
    // `before` from the last complete read (null where it lacks the number, or
    // without one); a line without its carriage return; `saved`: COP and PSV went.
    static JournalRecord Write(int32_t station, const ParamSet& sent,
                               const std::optional<ParamSet>& before,
                               const std::vector<TxLineWriter::Gone>& lines, bool saved);
    // {"result": "confirmed"|"mismatch"|"no complete reply",
    //  "parameters": [{"number", "sent", "drive"}]}: drive null where it did not come back.
    static JournalRecord ReadBack(int32_t station, const ReadBackReport& report);
    // {"action", "path", "sha256"}: a parameter file "opened", "saved" or
    // "sent from", with the fingerprint of its bytes as they are now (null
    // when it cannot be read).
    static JournalRecord File(const std::string& action, const std::string& path);
    // {"what": "port lost"|"write failed"|"stopped by a signal", ...`details`}.
    static JournalRecord Failure(std::optional<int32_t> station, const std::string& what,
                                 nlohmann::ordered_json details = nlohmann::ordered_json::object());
    // {"what": "stopped by a signal", "signal"}: the program ended by `signal`.
    static JournalRecord StoppedBy(int signal);
    // {"first", "last", "result": "finished"|"cancelled"|"port lost",
    //  "answers": [{"station", "version"}]}: a scan as it ended.
    static JournalRecord Scan(const StationScan& scan);
    // {"action": "start", "commands": ["STA", "PRD 20"], "interval_ms"}, or
    // {"action": "stop", "rounds_sent", "rounds_answered", "rounds_unanswered"}.
    static JournalRecord MonitorStart(int32_t station, const PollSchedule& schedule);
    static JournalRecord MonitorStop(int32_t station, const PollSchedule& schedule);
    // The kinds whose document is their recorder's own (a version reply, a commissioning run).
    static JournalRecord Other(JournalEntry::Kind kind, std::optional<int32_t> station,
                               nlohmann::ordered_json payload);

    // [{"line", "fate"}]: each line without its carriage return, with its fate.
    static nlohmann::ordered_json LineFates(const std::vector<TxLineWriter::Gone>& lines);
    // A line as the journal keeps it: without its carriage return.
    static std::string LineText(std::string line);

    // The values of a read's document; nullopt when it is no read's.
    static std::optional<ParamSet> ReadValues(const nlohmann::ordered_json& payload);
    // The values of a complete read; nullopt for any other entry.
    static std::optional<ParamSet> CompleteReadValues(const JournalEntry& entry);
};
