#include "form/PortExamination.h"

#include <string>
#include <thread>

#include "session/DriveSession.h"

namespace {

// How often the GUI thread looks for the report: a connect tried takes longer.
constexpr int kPollMs = 20;

}  // namespace

PortExamination::PortExamination(QObject* parent) : QObject(parent) {
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &PortExamination::Poll);
}

bool PortExamination::Start(const PortDoctor& doctor, const QString& port, int openError) {
    if (IsRunning()) return false;
    std::string name = port.toStdString();
    if (!DriveSession::IsNetworkPort(name)) {
        emit Examined(doctor.Examine(name, openError));
        return true;
    }
    m_pending = std::make_shared<Pending>();
    // The thread owns what it uses; nothing of Qt crosses to it or from it.
    std::thread([doctor, name, openError, pending = m_pending] {
        pending->report = doctor.Examine(name, openError);
        pending->ready.store(true, std::memory_order_release);
    }).detach();
    m_poll.start();
    return true;
}

void PortExamination::Poll() {
    if (!m_pending->ready.load(std::memory_order_acquire)) return;
    m_poll.stop();
    std::shared_ptr<Pending> done = std::move(m_pending);
    emit Examined(done->report);
}
