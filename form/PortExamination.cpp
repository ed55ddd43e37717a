#include "form/PortExamination.h"

#include <QThread>
#include <atomic>
#include <memory>
#include <string>

#include "session/DriveSession.h"

namespace {

// A report made on the examination's thread. It reaches the GUI thread
// through `ready`, which the sanitizer sees; Qt's own queue it does not.
struct Examination {
    PortDoctor::Report report;
    std::atomic<bool> ready{false};
};

}  // namespace

bool PortExamination::Start(const PortDoctor& doctor, const QString& port, int openError) {
    if (m_bRunning) return false;
    std::string name = port.toStdString();
    if (!DriveSession::IsNetworkPort(name)) {
        emit Examined(doctor.Examine(name, openError));
        return true;
    }
    m_bRunning = true;
    // The thread owns what it examines and goes by itself: a window closed
    // meanwhile neither waits for it nor hears from it.
    auto result = std::make_shared<Examination>();
    QThread* thread = QThread::create([doctor, name, openError, result] {
        result->report = doctor.Examine(name, openError);
        result->ready.store(true, std::memory_order_release);
    });
    connect(thread, &QThread::finished, this, [this, result] {
        m_bRunning = false;
        if (result->ready.load(std::memory_order_acquire)) emit Examined(result->report);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return true;
}
