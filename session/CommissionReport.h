#pragma once

#include <cstdint>
#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "journal/JournalRecord.h"
#include "params/ParamSet.h"
#include "session/CommissionTarget.h"
#include "session/Commissioning.h"

// The record of a commissioning run: STAMP-commission.json and a printable
// STAMP-commission.html in the report folder (STAMP: the local date and time
// of the start, 20261207-143015), each station's backup beside them
// (20261207-143015-id3.par). Both files are made before the run starts, so a
// folder that cannot be written is found before anything is sent, and are
// rewritten as stations finish, so a run cut short leaves its record. Neither
// ever replaces a file of an earlier run.
class CommissionReport {
  public:
    // $XDG_DATA_HOME/VELD_Host_Para/reports; ~/.local/share/... when
    // XDG_DATA_HOME is unset, empty or not an absolute path.
    static std::string DefaultFolder();

    // `portText`: the port text opened ("\\.\COM15:115200,N,8,0").
    CommissionReport(std::string folder, const CommissionTarget& target,
                     const std::string& portText, std::time_t start);

    // Makes the folder when missing and the two files under names not yet
    // taken; false when they cannot be made.
    bool Create();
    // Saves `set` as the backup of `station` beside the report: its path, or empty.
    std::string SaveBackup(const ParamSet& set, int32_t station) const;
    // Rewrites both files with the run as it stands, and with `end` once it is
    // over; false when either could not be written.
    bool Save(const Commissioning& run, std::optional<std::time_t> end = std::nullopt);
    // The document of the JSON file.
    nlohmann::ordered_json Document(const Commissioning& run) const;
    // The run for the journal: {"file", "sha256", "mode", "stopped", "report",
    // "stations": [{"station", "result", "version"}]}.
    JournalRecord Record(const Commissioning& run) const;

    const std::string& Folder() const { return m_folder; }
    const std::string& JsonPath() const { return m_jsonPath; }
    const std::string& HtmlPath() const { return m_htmlPath; }

    // ISO 8601 with the offset: "2026-12-07T14:30:15+09:00".
    static std::string LocalTime(std::time_t when);

  private:
    static nlohmann::ordered_json Values(const std::optional<ParamSet>& values);
    static nlohmann::ordered_json StationJson(const Commissioning::Station& station);

    std::string m_folder;
    std::string m_file;
    std::string m_sha256;
    std::string m_port;
    std::string m_line;
    std::string m_user;
    std::string m_host;
    std::time_t m_start;
    std::optional<std::time_t> m_end;
    std::string m_jsonPath;
    std::string m_htmlPath;
};
