#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "ToolProcess.h"

// The real veld-drive-sim on the port "COM15" opens, in a folder of the test's
// own, logging every line it receives.
class SimulatedDrive {
  public:
    explicit SimulatedDrive(const std::vector<std::string>& options = {});
    ~SimulatedDrive();

    // False when the simulator did not come up.
    bool Started() const { return !m_pty.empty(); }
    const std::string& Pty() const { return m_pty; }
    QString FilePath(const QString& name) const { return m_dir.filePath(name); }
    // The lines the drive received, as logged, without their times.
    QStringList WireLines() const;
    // veld-para -q on the drive's port with `args`; its exit code.
    int Para(const std::vector<std::string>& args);
    // The drive goes away with `signal`.
    void Signal(int signal) { m_sim->Signal(signal); }

  private:
    QTemporaryDir m_dir;
    std::unique_ptr<ToolProcess> m_sim;
    std::string m_pty;
};
