// The "도구" menu against the real simulated drive: compare with a file and
// send two ticked rows of five, backups before the first write after a read
// and the undo from one, the read-back line of "전송 후 확인".
#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "FileDialogAnswerer.h"
#include "FormFixture.h"
#include "ToolProcess.h"
#include "params/BackupStore.h"
#include "params/ParamFile.h"
#include "serial/PortMap.h"
#include "toolbox/BackupListDialog.h"
#include "toolbox/CompareDialog.h"

using namespace std::chrono_literals;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr int kTimeoutMs = 10000;
constexpr int kRow20 = 7;  // grid rows: 10, 11, 13, 14, 15, 16, 20, 21, ...
constexpr int kRow21 = 8;

// Double-clicks the value cell of a grid row and enters `value`.
void EditGridRow(FormFixture& f, int row, const QString& value) {
    CMSFlexGrid* grid = f.Grid();
    QPoint cell = grid->visualItemRect(grid->item(row, 2)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    AnswerValueDialog(value);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
}

// Clicks the check box of a row of the comparison.
void ToggleRow(QTableWidget* table, int row) {
    QRect cell = table->visualItemRect(table->item(row, CompareDialog::kNumber));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      QPoint(cell.left() + 12, cell.center().y()));
}

}  // namespace

class SafeWriteToolsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // Backups go here, never into the user's own folder.
        qputenv("XDG_DATA_HOME", m_dir->filePath("data").toUtf8());
        m_backups = m_dir->filePath("data/VELD_Host_Para/backups");
        // The process-wide table as at start, whatever an earlier test read into it.
        for (int32_t n = 0; n < ParamTable::kCount; ++n) ParamTable::Instance().SetParamValue(n, 0);
    }
    void cleanup() {
        m_sim.reset();
        PortMap::Clear();
    }

    void comparingSendsOnlyTheTickedRows() {
        StartSim({});
        // The file: what the drive holds, five values changed.
        QString path = m_dir->filePath("wanted.par");
        QCOMPARE(Para({"read", "-o", path.toStdString()}), 0);
        ParamSet wanted;
        QVERIFY(ParamFile::Read(path.toStdString(), wanted));
        for (auto [number, value] :
             {std::pair{20, 750}, {21, 600}, {23, 2500}, {37, 3}, {61, 20}}) {
            wanted.Set(number, value);
        }
        QVERIFY(ParamFile::Write(path.toStdString(), wanted));

        FormFixture f;
        f.Click(1024);
        CompareDialog* dialog = Compare(f, path);
        QTableWidget* table = dialog->Table();
        QCOMPARE(table->item(4, CompareDialog::kNumber)->text(), "61");
        for (int row : {1, 2, 3}) ToggleRow(table, row);  // 21, 23 and 37 stay as they are
        int before = Wire().size();
        QTest::mouseClick(dialog->findChild<QPushButton*>("compareSend"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(table->item(4, CompareDialog::kResult)->text(), U("확인됨"),
                                  kTimeoutMs);
        QCOMPARE(table->item(0, CompareDialog::kResult)->text(), U("확인됨"));
        QCOMPARE(table->item(1, CompareDialog::kResult)->text(), QString());
        QCOMPARE(Wire().mid(before),
                 QStringList({"#0.PWR 20 750", "#0.PWR 61 20", "#0.COP", "#0.PSV", "#0.PRA"}));
        // The drive's set before the write was kept.
        QStringList backups = Backups();
        QCOMPARE(backups.size(), 1);
        ParamSet kept;
        QVERIFY(ParamFile::Read(backups[0].toStdString(), kept));
        QCOMPARE(kept.Value(20), 500);
        QCOMPARE(kept.Size(), size_t{110});
    }

    void backupsComeOncePerReadAndUndoPutsTheDriveBack() {
        StartSim({});
        FormFixture f;
        f.Click(1024);
        // Nothing read yet: a write keeps nothing.
        EditGridRow(f, kRow20, "400");
        QTRY_COMPARE_WITH_TIMEOUT(Wire().count("#0.PSV"), 1, kTimeoutMs);
        QVERIFY(Backups().isEmpty());

        f.Click(1028);
        QTRY_COMPARE_WITH_TIMEOUT(f.Grid()->TextMatrix(kRow21, 2), "500  ", kTimeoutMs);
        EditGridRow(f, kRow20, "750");
        QCOMPARE(Backups().size(), 1);
        EditGridRow(f, kRow21, "600");
        f.Click(1036);
        QTRY_COMPARE_WITH_TIMEOUT(Wire().count("#0.PSV"), 4, kTimeoutMs);
        QCOMPARE(Backups().size(), 1);
        ParamSet kept;
        QVERIFY(ParamFile::Read(Backups()[0].toStdString(), kept));
        QCOMPARE(kept.Value(20), 400);
        QCOMPARE(kept.Value(21), 500);

        // After a new read the list tells how far the drive has moved from it.
        f.Click(1028);
        QTRY_VERIFY_WITH_TIMEOUT(UndoListSays(f, "2"), kTimeoutMs);
        BackupListDialog* list = OpenUndoList(f);
        QTableWidget* rows = list->Table();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                          rows->visualItemRect(rows->item(0, 0)).center());
        QTest::mouseClick(list->findChild<QPushButton*>("backupChoose"), Qt::LeftButton);
        CompareDialog* dialog = CompareShown(f);
        QCOMPARE(dialog->Table()->item(0, CompareDialog::kNumber)->text(), "20");
        QCOMPARE(dialog->Table()->item(1, CompareDialog::kNumber)->text(), "21");
        QTest::mouseClick(dialog->findChild<QPushButton*>("compareSend"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->Status(),
                                  U("전송한 2개 항목을 드라이브가 모두 그대로 갖고 있습니다."),
                                  kTimeoutMs);
        // The comparison's read came before the undo's write: kept too.
        QCOMPARE(Backups().size(), 2);
        dialog->close();
        f.Click(1024);

        QString now = m_dir->filePath("now.par");
        QCOMPARE(Para({"read", "-o", now.toStdString()}), 0);
        ParamSet drive;
        QVERIFY(ParamFile::Read(now.toStdString(), drive));
        QCOMPARE(drive.Value(20), 400);
        QCOMPARE(drive.Value(21), 500);
    }

    void verifyAfterWriteReportsOnTheStatusLine() {
        // A drive that acknowledges nothing and keeps parameter 21 as it is.
        StartSim({"--no-ack", "--read-only", "21"});
        FormFixture f;
        f.Click(1024);
        QAction* verify = f.Frame().findChild<QAction*>("toolVerify");
        QVERIFY(verify->isCheckable());
        QVERIFY(!verify->isChecked());
        verify->trigger();
        EditGridRow(f, kRow20, "750");
        QTRY_COMPARE_WITH_TIMEOUT(f.Frame().StatusText(), U("확인: 1/1"), kTimeoutMs);
        EditGridRow(f, kRow21, "600");
        QTRY_COMPARE_WITH_TIMEOUT(f.Frame().StatusText(), U("확인: 0/1 — 불일치: 21 (600→500)"),
                                  kTimeoutMs);
        QCOMPARE(Wire().mid(Wire().size() - 5),
                 QStringList({"#0.PRA", "#0.PWR 21 600", "#0.COP", "#0.PSV", "#0.PRA"}));
        // Off again: the group goes out alone, the version lines right after it.
        verify->trigger();
        EditGridRow(f, kRow20, "800");
        f.Click(1040);
        QTRY_COMPARE_WITH_TIMEOUT(
            Wire().mid(Wire().size() - 5),
            QStringList({"#0.PWR 20 800", "#0.COP", "#0.PSV", "#0.FRD 0", "#0.FRD 1"}), kTimeoutMs);
    }

  private:
    void StartSim(const std::vector<std::string>& extra) {
        std::vector<std::string> argv = {VELD_DRIVE_SIM_PATH, "--log",
                                         m_dir->filePath("wire.log").toStdString()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        m_sim = std::make_unique<ToolProcess>(argv, m_dir->filePath("sim").toStdString());
        QVERIFY(m_sim->WaitForStdout("\n", 10s));
        m_pty = m_sim->Stdout().substr(0, m_sim->Stdout().find('\n'));
        PortMap::Clear();
        PortMap::AddMapping("COM15=" + m_pty);
    }

    int Para(std::vector<std::string> args) {
        args.insert(args.begin(), {VELD_PARA_PATH, "-q", "-p", m_pty});
        ToolProcess para(args, m_dir->filePath("para").toStdString());
        return para.Wait(30s);
    }

    // The lines the drive received, as the simulator logged them.
    QStringList Wire() const {
        QFile log(m_dir->filePath("wire.log"));
        QStringList lines;
        if (!log.open(QIODevice::ReadOnly)) return lines;
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (!line.isEmpty()) lines << QString::fromUtf8(line.mid(line.indexOf(' ') + 1));
        }
        return lines;
    }

    QStringList Backups() const {
        QStringList paths;
        for (const BackupStore::Entry& entry :
             BackupStore(m_backups.toStdString(), BackupStore::kMaxBackups).List()) {
            paths << QString::fromStdString(entry.path);
        }
        return paths;
    }

    // "드라이브와 비교" with `path`; returns the dialog once it shows the comparison.
    CompareDialog* Compare(FormFixture& f, const QString& path) {
        FileDialogAnswerer answerer(path);
        f.Frame().findChild<QAction*>("toolCompare")->trigger();
        return CompareShown(f);
    }

    CompareDialog* CompareShown(FormFixture& f) {
        CompareDialog* dialog = nullptr;
        bool shown = QTest::qWaitFor(
            [&] {
                dialog = f.Frame().findChild<CompareDialog*>();
                return dialog && !dialog->Summary().isEmpty();
            },
            kTimeoutMs);
        return shown ? dialog : nullptr;
    }

    BackupListDialog* OpenUndoList(FormFixture& f) {
        f.Frame().findChild<QAction*>("toolUndo")->trigger();
        return f.Frame().findChild<BackupListDialog*>();
    }

    // Opens the backup list and closes it again: whether its newest backup
    // differs from the last read in `count` parameters.
    bool UndoListSays(FormFixture& f, const QString& count) {
        BackupListDialog* list = OpenUndoList(f);
        bool says = list->Table()->rowCount() == 1 &&
                    list->Table()->item(0, BackupListDialog::kDiffer)->text() == count;
        list->close();
        delete list;
        return says;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_backups;
    std::unique_ptr<ToolProcess> m_sim;
    std::string m_pty;
};

QTEST_MAIN(SafeWriteToolsTest)
#include "SafeWriteToolsTest.moc"
