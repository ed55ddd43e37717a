#include "SimulatedDrive.h"

#include "FormFixture.h"
#include "serial/PortMap.h"

using namespace std::chrono_literals;

SimulatedDrive::SimulatedDrive(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {VELD_DRIVE_SIM_PATH, "--log",
                                     FilePath("wire.log").toStdString()};
    argv.insert(argv.end(), options.begin(), options.end());
    m_sim = std::make_unique<ToolProcess>(argv, FilePath("sim").toStdString());
    if (!m_sim->WaitForStdout("\n", 10s)) return;
    m_pty = m_sim->Stdout().substr(0, m_sim->Stdout().find('\n'));
    PortMap::Clear();
    PortMap::AddMapping("COM15=" + m_pty);
}

SimulatedDrive::~SimulatedDrive() {
    m_sim.reset();
    PortMap::Clear();
}

QStringList SimulatedDrive::WireLines() const {
    QStringList lines;
    for (const QByteArray& line : FileContents(FilePath("wire.log")).split('\n')) {
        if (!line.isEmpty()) lines << QString::fromUtf8(line.mid(line.indexOf(' ') + 1));
    }
    return lines;
}

int SimulatedDrive::Para(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {VELD_PARA_PATH, "-q", "-p", m_pty};
    argv.insert(argv.end(), args.begin(), args.end());
    ToolProcess para(argv, FilePath("para").toStdString());
    return para.Wait(30s);
}
