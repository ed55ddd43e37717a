#pragma once

#include <QObject>
#include <QWidget>
#include <string>

#include "session/DriveSession.h"

// The GUI's side of the journal: opens it for the drive session as the
// program starts, tells the operator once of a damaged file put aside or of
// a journal that cannot be opened (no write is then sent), and
// says why a write was not sent when the journal could not record what came
// before it.
class JournalTools : public QObject, private DriveSession::Listener {
    Q_OBJECT
  public:
    static constexpr const char* kProgram = "VELD_Host_Para";

    JournalTools(DriveSession& session, QWidget* window);
    ~JournalTools() override;

  private:
    void OnJournalRefused(const std::string& reason) override;
    void ShowNotice();

    DriveSession& m_session;
    QWidget* m_window;
};
