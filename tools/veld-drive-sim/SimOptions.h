#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The command line of veld-drive-sim.
class SimOptions {
  public:
    enum class Outcome { kRun, kHelp, kVersion, kUsageError };

    std::string device;  // empty: a pseudo-terminal, or TCP with `listen`
    std::string listen;  // "HOST:PORT" to serve raw TCP on
    std::string link;
    int32_t baud = 115200;
    // The drives on the line, as on one RS-485 bus; each answers for itself.
    std::vector<int32_t> stations;  // none given: station 0
    std::string statePath;
    std::string logPath;
    int32_t chunk = 0;  // 0: each reply in one write
    int32_t chunkDelayMs = 5;
    int32_t replyDelayMs = 0;
    bool crlf = false;
    bool silent = false;                  // --silent: no drive answers
    std::vector<int32_t> silentStations;  // --silent S: the drive S answers nothing
    // Faults of the PRA reply: parameters left out; one sent under number 110.
    std::vector<int32_t> omit;
    int32_t misnumber = -1;
    bool noRead = false;  // never read the line, so the client's writes stall
    bool noAck = false;   // answer PRA and FRD only
    // Parameters whose writes change nothing, of one drive (--read-only S:N)
    // or of every drive (--read-only N: station -1).
    struct ReadOnly {
        int32_t station = -1;
        int32_t number = 0;
    };
    std::vector<ReadOnly> readOnly;
    bool runCycle = false;  // the motor runs its RUN cycle

    // With kHelp, kVersion and kUsageError, `text` is what to print.
    Outcome Parse(int argc, char** argv, std::string& text);
    // The parameters whose writes the drive `station` ignores.
    std::vector<int32_t> ReadOnlyOf(int32_t station) const;
    bool Silent(int32_t station) const;

  private:
    // "N" or "S:N"; false for anything else.
    bool AddReadOnly(std::string_view text);
    // What is decided by the whole line: the stations, the way the line is served.
    void Settle(const std::vector<std::string>& stationLists, bool servesTcp);
};
