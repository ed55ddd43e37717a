// The application shell as the operator meets it: caption, menus, tool bar,
// status bar, about box, the recent-file list and the command line.
#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <csignal>

#include "MessageBoxAnswerer.h"
#include "app/CMainFrame.h"
#include "app/CVELD_Host_ParaApp.h"
#include "form/CVELD_Host_ParaView.h"
#include "journal/Journal.h"
#include "serial/PortMap.h"
#include "support/PtyPair.h"
#include "support/ScopedEnv.h"

class ShellTest : public QObject {
    Q_OBJECT
  public:
    explicit ShellTest(CVELD_Host_ParaApp& app) : m_app(app) {}

  private slots:
    void cleanup() {
        m_app.ExitInstance();
        QSettings settings;
        settings.clear();
        PortMap::Clear();
    }

    void startUpShowsCaptionMenusAndToolBarAndExitAsksNothing() {
        QVERIFY(m_app.InitInstance({}));
        CMainFrame* frame = m_app.MainFrame();
        QCOMPARE(frame->windowTitle(), "VELD설정프로그램(V1.0), MERO SYSTEMS");
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->StatusText(), "준비");

        QList<QMenu*> menus;
        for (QAction* action : frame->menuBar()->actions()) menus.append(action->menu());
        QCOMPARE(menus.size(), 4);

        // Commands nobody handles are disabled; the recent-file placeholder is greyed.
        for (QAction* action : menus[1]->actions())
            QVERIFY(action->isSeparator() || !action->isEnabled());
        QVERIFY(!frame->Command(57616)->isEnabled());
        QVERIFY(!frame->Command(57607)->isEnabled());

        for (QAction* action : frame->ToolBar()->actions()) {
            if (!action->isSeparator()) QVERIFY(!action->icon().isNull());
        }

        // Exit closes without asking anything.
        MessageBoxAnswerer answerer;
        frame->Command(57665)->trigger();
        QTRY_VERIFY(!frame->isVisible());
        QVERIFY(answerer.Texts().isEmpty());
    }

    // Without a journal no write goes out: the operator is told so in a box at the start.
    void aJournalThatCannotBeOpenedIsToldInABox() {
        ScopedEnv journal("VELD_JOURNAL", "/proc/veld/journal.sqlite3");
        MessageBoxAnswerer answerer;
        QVERIFY(m_app.InitInstance({}));
        QTRY_COMPARE(answerer.Texts().size(), 1);
        QVERIFY(answerer.Texts()[0].startsWith("작업 기록을 열 수 없습니다:\n"));
        QVERIFY(answerer.Texts()[0].contains("/proc/veld"));
    }

    // SIGTERM closes the program as its close button does, and the session under
    // way records how it ended.
    void aStopSignalClosesTheWindowAndIsRecorded() {
        QTemporaryDir dir;
        std::string path = dir.filePath("journal.sqlite3").toStdString();
        ScopedEnv journal("VELD_JOURNAL", path.c_str());
        PtyPair pty;
        QVERIFY(
            m_app.InitInstance({"--port-map", QString::fromStdString("COM15=" + pty.SlavePath())}));
        CMainFrame* frame = m_app.MainFrame();
        frame->View()->OnConnect();
        QVERIFY(frame->View()->Session().IsConnected());
        std::raise(SIGTERM);
        QTRY_VERIFY(!frame->isVisible());
        m_app.ExitInstance();
        std::string error;
        std::unique_ptr<Journal> opened = Journal::Open(path, error);
        QVERIFY2(opened, error.c_str());
        std::vector<JournalEntry> entries;
        QVERIFY(opened->Entries(JournalFilter{}, entries));
        QStringList kinds;
        for (const JournalEntry& entry : entries) kinds << JournalEntry::KindName(entry.kind);
        QCOMPARE(kinds, QStringList({"connect", "failure", "disconnect"}));
        QVERIFY(entries[1].payload["what"] == "stopped by a signal");
        QVERIFY(entries[1].payload["signal"] == SIGTERM);
    }

    // Qt's own buttons and dialogs are translated as well.
    void qtsOwnDialogsSpeakKorean() {
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.buttons().first()->text(), "취소");
    }

    void fileOnTheCommandLineIsListedLoadsNothingAndTheListKeepsFour() {
        QString path = QDir::current().absoluteFilePath("named.par");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("   20,             가속시간,        777 \r\n\r\n");
        file.close();
        QVERIFY(m_app.InitInstance({path}));
        CMainFrame* frame = m_app.MainFrame();
        QVERIFY(!frame->Command(57616)->isVisible());
        auto* entry = frame->findChild<QAction*>("recentFile1");
        QVERIFY(entry);
        QCOMPARE(entry->text(), "&1 " + path);
        QCOMPARE(ParamTable::Instance().GetParamValue(20), 0);
        m_app.ExitInstance();

        // The list is kept between runs.
        QVERIFY(m_app.InitInstance({}));
        QCOMPARE(m_app.RecentFiles().Entries(), QStringList({path}));
        QFile::remove(path);

        // Four at most, the newest first.
        RecentFileList list;
        for (const char* name : {"/a.par", "/b.par", "/c.par", "/d.par", "/e.par", "/c.par"})
            list.Add(name);
        QCOMPARE(list.Entries(), QStringList({"/c.par", "/e.par", "/d.par", "/b.par"}));
    }

    // A bad command line ends the start-up; port mappings given on it win over the
    // environment's.
    void commandLineIsCheckedAndItsMappingsWin() {
        QVERIFY(!m_app.InitInstance({"--port-map", "nonsense"}));
        QVERIFY(!m_app.InitInstance({"a.par", "b.par"}));
        qputenv("VELD_PORT_MAP", "COM15=/dev/env15;COM3=/dev/env3");
        QVERIFY(m_app.InitInstance({"--port-map", "COM15=/dev/cli15"}));
        QCOMPARE(PortMap::Resolve("COM15"), std::string("/dev/cli15"));
        QCOMPARE(PortMap::Resolve("COM3"), std::string("/dev/env3"));
        qunsetenv("VELD_PORT_MAP");
    }

  private:
    CVELD_Host_ParaApp& m_app;
};

int main(int argc, char** argv) {
    CVELD_Host_ParaApp app(argc, argv);
    ShellTest test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "ShellTest.moc"
