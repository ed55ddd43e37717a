#include "toolbox/JournalTools.h"

#include <QTimer>

#include "form/MessageBox.h"
#include "form/Utf8Text.h"
#include "journal/JournalPath.h"

JournalTools::JournalTools(DriveSession& session, QWidget* window)
    : QObject(window), m_session(session), m_window(window) {
    m_session.Journal().Open(kProgram, JournalPath::Default());
    m_session.AddListener(this);
    // After the window shows: a box before it would stand alone on the screen.
    QTimer::singleShot(0, this, &JournalTools::ShowNotice);
}

JournalTools::~JournalTools() { m_session.RemoveListener(this); }

void JournalTools::ShowNotice() {
    SessionJournal& journal = m_session.Journal();
    if (std::optional<Journal::Notice> notice = journal.TakeNotice()) {
        MessageBox::Show(m_window, QString::fromStdString(notice->korean));
    } else if (!journal.Recording()) {
        // A box, not the status bar: the next status message would hide why no write goes.
        MessageBox::Show(m_window, Text("작업 기록을 열 수 없습니다:\n%1\n\n드라이브에 쓰는 "
                                        "명령은 전송되지 않습니다.")
                                       .arg(QString::fromStdString(journal.Reason())));
    }
}

void JournalTools::OnJournalRefused(const std::string& reason) {
    MessageBox::Show(m_window, Text("작업 기록에 쓰기 전 상태를 기록할 수 없어 아무것도 전송하지 "
                                    "않았습니다.\n%1")
                                   .arg(QString::fromStdString(reason)));
}
