#include "form/PortExamination.h"

#include <QThread>
#include <memory>
#include <string>

#include "session/DriveSession.h"

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
    auto report = std::make_shared<PortDoctor::Report>();
    QThread* thread = QThread::create(
        [doctor, name, openError, report] { *report = doctor.Examine(name, openError); });
    connect(thread, &QThread::finished, this, [this, report] {
        m_bRunning = false;
        emit Examined(*report);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return true;
}
