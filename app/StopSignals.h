#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT and SIGTERM reach the program on its GUI thread (a handler may only
// write to a pipe), so that it can end as its close button ends it: the lines
// not yet written are given up and the journal records how the session
// ended. One at a time: the handlers are the process's.
class StopSignals : public QObject {
    Q_OBJECT
  public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

  signals:
    void Received(int signal);

  private:
    static void Handle(int signal);
    void ReadPipe();

    QSocketNotifier* m_notifier = nullptr;
};
