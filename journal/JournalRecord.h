#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "journal/JournalEntry.h"
#include "params/ParamSet.h"
#include "protocol/ReadBackReport.h"
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
    // The kinds whose document is their recorder's own (a version reply, a scan's result).
    static JournalRecord Other(JournalEntry::Kind kind, std::optional<int32_t> station,
                               nlohmann::ordered_json payload);

    // The values of a read's document; nullopt when it is no read's.
    static std::optional<ParamSet> ReadValues(const nlohmann::ordered_json& payload);
    // The values of a complete read; nullopt for any other entry.
    static std::optional<ParamSet> CompleteReadValues(const JournalEntry& entry);
};
