// veld-drive-sim: a simulated VELD drive on a pseudo-terminal, a serial device or a TCP port.
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <string>

#include "DriveCommands.h"
#include "DriveModel.h"
#include "SimLink.h"
#include "SimOptions.h"
#include "SimServer.h"
#include "WireLog.h"
#include "serial/ExclusiveRelease.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& what) {
    std::fprintf(stderr, "veld-drive-sim: %s: %s\n", what.c_str(), std::strerror(errno));
    return kExitFailure;
}

// SIGINT and SIGTERM end the service through a descriptor the loop polls.
int StopSignalFd() {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigprocmask(SIG_BLOCK, &stops, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return signalfd(-1, &stops, SFD_CLOEXEC);
}

}  // namespace

int main(int argc, char** argv) {
    ExclusiveRelease::Install();
    SimOptions options;
    std::string text;
    switch (options.Parse(argc, argv, text)) {
        case SimOptions::Outcome::kHelp:
        case SimOptions::Outcome::kVersion:
            std::fputs(text.c_str(), stdout);
            return 0;
        case SimOptions::Outcome::kUsageError:
            std::fprintf(stderr, "veld-drive-sim: %s\n(see veld-drive-sim --help)\n", text.c_str());
            return kExitUsage;
        case SimOptions::Outcome::kRun:
            break;
    }
    int stopFd = StopSignalFd();
    if (stopFd < 0) return Fail("signalfd");

    // Each drive on the line with its own parameters; only a single one has a state file.
    std::deque<DriveModel> models(options.stations.size());
    std::error_code error;
    // A state file that does not exist yet is made by the first PSV.
    if (!options.statePath.empty() && std::filesystem::exists(options.statePath, error) &&
        !models.front().LoadState(options.statePath)) {
        return Fail("cannot read " + options.statePath);
    }
    WireLog log;
    if (!options.logPath.empty() && !log.Open(options.logPath)) {
        return Fail("cannot write " + options.logPath);
    }
    SimLink link;
    std::string terminalPath = options.device;
    if (!options.listen.empty()) {
        if (!link.Listen(options.listen, terminalPath)) {
            return Fail("cannot listen on " + options.listen);
        }
    } else if (!(options.device.empty()
                     ? link.OpenPty(terminalPath)
                     : link.OpenDevice(options.device, static_cast<uint32_t>(options.baud)))) {
        return Fail("cannot open " + (terminalPath.empty() ? "a pseudo-terminal" : terminalPath));
    }
    if (!options.link.empty()) {
        // A stale link from an earlier run is replaced; any other file is kept.
        if (std::filesystem::is_symlink(options.link, error)) {
            std::filesystem::remove(options.link, error);
        }
        if (::symlink(terminalPath.c_str(), options.link.c_str()) != 0) {
            return Fail("cannot link " + options.link);
        }
    }
    std::printf("%s\n", terminalPath.c_str());
    std::fflush(stdout);

    // Each drive with the faults the options give it.
    std::deque<DriveCommands> drives;
    for (size_t i = 0; i < options.stations.size(); ++i) {
        int32_t station = options.stations[i];
        DriveCommands& drive = drives.emplace_back(models[i], station, options.statePath);
        drive.SetReadFaults(options.omit, options.misnumber);
        drive.SetWriteFaults(options.ReadOnlyOf(station), options.noAck);
        drive.SetSilent(options.Silent(station));
        drive.SetRunCycle(options.runCycle);
    }
    SimServer(link, drives, log, options).Serve(stopFd);
    if (!options.link.empty()) ::unlink(options.link.c_str());
    return 0;
}
