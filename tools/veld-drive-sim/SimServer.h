#pragma once

#include <deque>
#include <string>

#include "DriveCommands.h"
#include "SimLink.h"
#include "SimOptions.h"
#include "WireLog.h"

// Serves the line: splits what arrives into lines at each carriage return,
// logs them and writes the answers, with the fault options applied. A line
// longer than a drive's buffer (DriveCommands::kMaxLine) is cut there and not answered.
class SimServer {
  public:
    // The drives on the line; a line is answered by the drive it addresses.
    SimServer(SimLink& link, std::deque<DriveCommands>& drives, WireLog& log,
              const SimOptions& options);

    // Returns when `stopFd` (a signalfd) becomes readable.
    void Serve(int stopFd);

  private:
    void Take(const std::string& bytes);
    void Answer(const std::string& line);
    void Send(const std::string& bytes);

    SimLink& m_link;
    std::deque<DriveCommands>& m_drives;
    WireLog& m_log;
    const SimOptions& m_options;
    std::string m_pending;
    size_t m_nDropped = 0;  // bytes of the pending line beyond DriveCommands::kMaxLine
};
