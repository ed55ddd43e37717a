// "작업 기록" over a real journal file the test records through the journal:
// the sessions found by each filter and a page at a time, a session's
// entries in Korean words, a recorded read offered for restoring and
// compared, and the service report saved.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "FormFixture.h"
#include "Legibility.h"
#include "MessageBoxAnswerer.h"
#include "app/CMainFrame.h"
#include "journal/Journal.h"
#include "journal/JournalPath.h"
#include "params/ParamFile.h"
#include "toolbox/CHistoryWnd.h"

namespace {

using Json = nlohmann::ordered_json;
using Kind = JournalEntry::Kind;

constexpr int kTimeoutMs = 10000;

// Records one entry with the given time, port, station and session.
void Record(Journal& journal, int64_t session, const std::string& time, const std::string& port,
            int32_t station, Kind kind, Json payload) {
    JournalEntry entry;
    entry.time = time;
    entry.program = "VELD_Host_Para";
    entry.version = "1.0.0.1";
    entry.user = session == 3 ? "lee" : "kim";
    entry.host = "bench";
    entry.port = port;
    entry.station = station;
    entry.kind = kind;
    entry.session = session;
    entry.payload = std::move(payload);
    QVERIFY2(journal.Append(entry), journal.Error().c_str());
}

Json ReadOf(int accel) { return {{"complete", true}, {"values", {{"20", accel}, {"21", 600}}}}; }

QString Cell(QTableWidget* table, int row, int column) {
    QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

// The row of the entries table whose summary holds `text`; -1 when none.
int EntryRow(CHistoryWnd& window, const QString& text) {
    for (int row = 0; row < window.Entries()->rowCount(); ++row) {
        if (Cell(window.Entries(), row, CHistoryWnd::kSummary).contains(text)) return row;
    }
    return -1;
}

}  // namespace

class CHistoryWndTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    QString m_path;
    int64_t m_otherRead = 0;  // session 2's read

    bool Answered(CHistoryWnd& window, const std::function<void()>& act) {
        QSignalSpy answered(&window, &CHistoryWnd::Answered);
        act();
        return answered.count() > 0 || answered.wait(kTimeoutMs);
    }

    // Opens the window and waits for its first page.
    std::unique_ptr<CHistoryWnd> Open() {
        auto window = std::make_unique<CHistoryWnd>(m_path.toStdString());
        QSignalSpy answered(window.get(), &CHistoryWnd::Answered);
        window->show();
        if (!answered.wait(kTimeoutMs)) return nullptr;
        return window;
    }

    void Filter(CHistoryWnd& window, const QString& port, int station, const QString& since,
                const QString& text) {
        window.findChild<QLineEdit*>("historyPort")->setText(port);
        window.findChild<QLineEdit*>("historyStation")
            ->setText(station < 0 ? QString() : QString::number(station));
        window.findChild<QLineEdit*>("historySince")->setText(since);
        window.findChild<QLineEdit*>("historyText")->setText(text);
        QVERIFY(Answered(window, [&] { window.Find(); }));
    }

    void SelectSession(CHistoryWnd& window, int row) {
        QVERIFY(Answered(window, [&] { window.Sessions()->selectRow(row); }));
    }

  private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath("journal.sqlite3");
        std::string error;
        std::unique_ptr<Journal> journal = Journal::Open(m_path.toStdString(), error);
        QVERIFY2(journal, error.c_str());
        // Session 1 changes station 3 on COM3; session 2 loses /dev/ttyUSB0;
        // session 3, months before, is lee's on COM3.
        Record(*journal, 1, "2026-12-09T08:00:00.000Z", "COM3", 3, Kind::kConnect, Json::object());
        Record(*journal, 1, "2026-12-09T08:01:00.000Z", "COM3", 3, Kind::kRead, ReadOf(500));
        Record(*journal, 1, "2026-12-09T08:02:00.000Z", "COM3", 3, Kind::kWrite,
               {{"parameters", {{{"number", 20}, {"before", 500}, {"sent", 300}}}},
                {"lines", {{{"line", "#3.PWR 20 300"}, {"fate", "sent"}}}},
                {"saved", true}});
        Record(*journal, 1, "2026-12-09T08:03:00.000Z", "COM3", 3, Kind::kReadBack,
               {{"result", "confirmed"},
                {"parameters", {{{"number", 20}, {"sent", 300}, {"drive", 300}}}}});
        Record(*journal, 2, "2026-12-09T09:00:00.000Z", "/dev/ttyUSB0", 7, Kind::kRead,
               ReadOf(250));
        m_otherRead = journal->Entry(5) ? 5 : 0;
        Record(*journal, 2, "2026-12-09T09:01:00.000Z", "/dev/ttyUSB0", 7, Kind::kFailure,
               {{"what", "port lost"}});
        Record(*journal, 3, "2026-06-01T08:00:00.000Z", "COM3", 5, Kind::kConnect, Json::object());
        QVERIFY(m_otherRead != 0);
    }

    // Each filter finds its sessions, newest first; a date that is none is said.
    void theFiltersFindTheirSessionsNewestFirst() {
        auto window = Open();
        QVERIFY(window);
        QStringList problems = Legibility::WindowProblems(window.get());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
        struct Case {
            const char* port;
            int station;
            const char* since;
            const char* text;
            QStringList ports;
        };
        const Case kCases[] = {
            {"", -1, "", "", {"/dev/ttyUSB0", "COM3", "COM3"}},
            {"COM3", -1, "", "", {"COM3", "COM3"}},
            {"", 7, "", "", {"/dev/ttyUSB0"}},
            {"", -1, "2026-12-01", "", {"/dev/ttyUSB0", "COM3"}},
            {"", -1, "", "lee", {"COM3"}},
            {"", -1, "", "port lost", {"/dev/ttyUSB0"}},
            {"COM4", -1, "", "", {}},
        };
        for (const Case& c : kCases) {
            Filter(*window, c.port, c.station, c.since, c.text);
            QStringList ports;
            for (int row = 0; row < window->Sessions()->rowCount(); ++row) {
                ports << Cell(window->Sessions(), row, CHistoryWnd::kPort);
            }
            QCOMPARE(ports, c.ports);
        }
        QCOMPARE(window->Status(), "찾는 작업 기록이 없습니다.");
        window->findChild<QLineEdit*>("historySince")->setText("9 December");
        window->Find();
        QVERIFY(window->Status().contains("날짜를 알아볼 수 없습니다"));
        window->resize(800, 600);
        QCOMPARE(Legibility::WindowProblems(window.get()), QStringList());
    }

    // A session's entries in Korean words; a complete read is restored with a
    // label naming it, and compared with another read and with a file.
    void aRecordedReadIsRestoredAndCompared() {
        auto window = Open();
        QVERIFY(window);
        SelectSession(*window, 1);  // session 1, the older of the two today
        QCOMPARE(window->Entries()->rowCount(), 4);
        QCOMPARE(Cell(window->Entries(), 2, CHistoryWnd::kKind), "쓰기");
        QVERIFY(EntryRow(*window, "20 가속시간 500 → 300") >= 0);
        QVERIFY(EntryRow(*window, "확인됨 (1개)") >= 0);
        auto* restore = window->findChild<QPushButton*>("historyRestore");
        window->Entries()->selectRow(EntryRow(*window, "20 가속시간"));
        QVERIFY(!restore->isEnabled());
        window->Entries()->selectRow(EntryRow(*window, "읽기 2개 (완료)"));
        QVERIFY(restore->isEnabled());

        QSignalSpy restored(window.get(), &CHistoryWnd::RestoreRequested);
        QTest::mouseClick(restore, Qt::LeftButton);
        QCOMPARE(restored.count(), 1);
        auto values = restored.at(0).at(0).value<ParamSet>();
        QCOMPARE(values.Value(20), 500);
        QCOMPARE(values.Size(), size_t{2});
        QVERIFY(restored.at(0).at(1).toString().contains("기록 #2"));
        QCOMPARE(restored.at(0).at(2).toInt(), 3);
        QCOMPARE(restored.at(0).at(3).toString(), "COM3");

        QVERIFY(Answered(*window, [&] { window->CompareWithEntry(m_otherRead); }));
        QVERIFY(window->Comparison());
        QTableWidget* diff = window->Comparison()->Table();
        QCOMPARE(diff->rowCount(), 2);
        QCOMPARE(Cell(diff, 0, CompareDialog::kNumber), "20");
        QCOMPARE(Cell(diff, 0, CompareDialog::kFile), "500");
        QCOMPARE(Cell(diff, 0, CompareDialog::kDrive), "250");
        QVERIFY(window->Comparison()->Summary().contains("2개 항목 중 1개가 다릅니다"));

        QVERIFY(Answered(*window, [&] { window->CompareWithEntry(4); }));  // a read-back
        QCOMPARE(window->Status(), "그 번호의 읽기 기록이 없습니다.");

        ParamSet file;
        file.Set(20, 500);
        file.Set(21, 700);
        QString par = m_dir.filePath("drive.par");
        QVERIFY(ParamFile::Write(par.toStdString(), file));
        window->CompareWithFile(par);
        QVERIFY(window->Comparison());
        diff = window->Comparison()->Table();
        QCOMPARE(Cell(diff, 0, CompareDialog::kNumber), "21");
        QCOMPARE(Cell(diff, 0, CompareDialog::kDrive), "700");
    }

    // The report of the sessions selected, written where the operator says.
    void theReportOfTheSelectedSessionsIsSaved() {
        auto window = Open();
        QVERIFY(window);
        SelectSession(*window, 0);
        // The first stays the current one, whose entries show again.
        QVERIFY(Answered(*window, [&] { window->Sessions()->selectAll(); }));
        QString report = m_dir.filePath("report.html");
        QVERIFY(Answered(*window, [&] { window->SaveReport(report); }));
        QVERIFY2(window->Status().contains("보고서를 저장했습니다"), qPrintable(window->Status()));
        QFile file(report);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString html = QString::fromUtf8(file.readAll());
        for (const char* text :
             {"서비스 보고서", "COM3", "/dev/ttyUSB0", "가속시간", "포트 연결이 끊어짐"}) {
            QVERIFY2(html.contains(QString::fromUtf8(text)), text);
        }
        QVERIFY(Answered(*window, [&] { window->SaveReport(m_dir.filePath("none/report.html")); }));
        QVERIFY(window->Status().contains("저장하지 못했습니다"));
    }

    // A long list comes a page at a time.
    void sessionsComeAPageAtATime() {
        {
            std::string error;
            std::unique_ptr<Journal> journal = Journal::Open(m_path.toStdString(), error);
            QVERIFY2(journal, error.c_str());
            for (int i = 0; i < 130; ++i) {
                Record(*journal, 100 + i, "2026-12-08T10:00:00.000Z", "COM9", 1, Kind::kConnect,
                       Json::object());
            }
        }
        auto window = Open();
        QVERIFY(window);
        Filter(*window, "COM9", -1, "", "");
        QCOMPARE(window->Sessions()->rowCount(), int(CHistoryWnd::kPageSize));
        auto* more = window->findChild<QPushButton*>("historyMore");
        QVERIFY(more->isEnabled());
        QVERIFY(Answered(*window, [&] { QTest::mouseClick(more, Qt::LeftButton); }));
        QCOMPARE(window->Sessions()->rowCount(), 130);
        QVERIFY(!more->isEnabled());
    }

    // The menu opens it on the data folder's journal; with none there it
    // shows none and makes none.
    void theMenuOpensItOnTheProgramsJournal() {
        FormFixture f;
        QAction* action = f.Frame().findChild<QAction*>("toolHistory");
        QVERIFY(action);
        action->trigger();
        auto* window = f.Frame().findChild<CHistoryWnd*>();
        QVERIFY(window);
        QTRY_COMPARE_WITH_TIMEOUT(window->Status(), QString("찾는 작업 기록이 없습니다."),
                                  kTimeoutMs);
        // The program made the journal as it started; nothing is in it yet.
        QVERIFY(QFile::exists(QString::fromStdString(JournalPath::Default())));

        // A journal that cannot be opened (a folder) is said, not shown as empty.
        CHistoryWnd folder(m_dir.path().toStdString());
        QTRY_VERIFY_WITH_TIMEOUT(folder.Status().contains("작업 기록을 읽지 못했습니다"),
                                 kTimeoutMs);
    }
};

QTEST_MAIN(CHistoryWndTest)
#include "CHistoryWndTest.moc"
