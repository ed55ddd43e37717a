#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>

#include "serial/PortDoctor.h"

// The port doctor's examination of a port, for a window that must not wait:
// a network port's examination may try a connect (3 s at most), so it runs
// on a thread of its own; a device's opens nothing and is made at once. The
// report comes on the GUI thread through Examined, once for each Start.
class PortExamination : public QObject {
    Q_OBJECT
  public:
    explicit PortExamination(QObject* parent = nullptr);

    // Examines `port` (as the port combo names it) after an open that failed
    // with `openError`, or 0. False, and nothing starts, while one is under
    // way. A device's report is given before Start returns.
    bool Start(const PortDoctor& doctor, const QString& port, int openError = 0);
    bool IsRunning() const { return m_pending != nullptr; }

  signals:
    void Examined(const PortDoctor::Report& report);

  private:
    // What the examining thread hands over: the report, published by `ready`.
    struct Pending {
        PortDoctor::Report report;
        std::atomic<bool> ready{false};
    };

    // Looks at the pending examination: its report goes out once ready.
    void Poll();

    // Shared with the thread, which a window closed meanwhile neither waits
    // for nor hears from.
    std::shared_ptr<Pending> m_pending;
    QTimer m_poll;
};
