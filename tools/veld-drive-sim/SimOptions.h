#pragma once

#include <cstdint>
#include <string>
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
    bool silent = false;
    // Faults of the PRA reply: parameters left out; one sent under number 110.
    std::vector<int32_t> omit;
    int32_t misnumber = -1;
    bool noRead = false;            // never read the line, so the client's writes stall
    bool noAck = false;             // answer PRA and FRD only
    std::vector<int32_t> readOnly;  // parameters whose writes change nothing
    bool runCycle = false;          // the motor runs its RUN cycle

    Outcome Parse(int argc, char** argv, std::string& error);
    static std::string Help();
};
