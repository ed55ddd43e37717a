#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "protocol/PollCommand.h"

// What the command line asks for: the options of every command, the command,
// and what its own options and values gave. Each command's definition in
// ParaCommandList fills the members it takes; the rest keep their defaults.
struct ParaArgs {
    static constexpr int32_t kDefaultWaitMs = 500;

    // Options of every command.
    std::string port = "COM15";
    bool portGiven = false;  // history filters by a port only when one is named
    std::string baud = "115200";
    std::string id = "0";
    int32_t waitMs = kDefaultWaitMs;
    bool waitGiven = false;  // the scan has a default of its own
    bool quiet = false;
    // The journal: another file than the default (empty: the default), or none at all.
    std::string journalPath;
    bool noJournal = false;

    std::string command;
    // The command's values as given: FILE, FILE_A FILE_B, LINE..., PORT.
    std::vector<std::string> values;

    // --json: read, verify, diff, ports, doctor, scan, watch and the write commands.
    bool json = false;
    // The write commands: write, set, setup, setmode, restore (init: --backup).
    bool noVerify = false;
    std::string backupPath;  // empty: no backup
    // read
    std::string outPath;  // -o; empty: print
    bool all = false;
    // set: its pairs of number and value; setup: its mode.
    std::vector<std::pair<int32_t, int32_t>> pairs;
    int32_t mode = 0;
    // watch
    std::vector<PollCommand> pollCommands;
    int32_t intervalMs = 1000;
    int32_t count = 0;  // 0: until interrupted
    bool csv = false;
    // commission, and scan (a run of them; none given: every station)
    std::vector<int32_t> stations;
    std::string reportFolder;  // empty: the default folder
    bool compareOnly = false;
    // history: its filters (--port too, when given); the since as a journal time.
    std::optional<int32_t> station;
    std::string since;
    int32_t last = 0;  // 0: every entry
};
