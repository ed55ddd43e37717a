// The safe writes of the "도구" menu: the comparison and backup-list dialogs
// with real widgets, then against the real simulated drive: compare with a
// file and send two ticked rows of five, the undo from a backup, the
// read-back line of "전송 후 확인".
#include <QAction>
#include <QTableWidget>

#include "FileDialogAnswerer.h"
#include "FormFixture.h"
#include "Legibility.h"
#include "SimulatedDrive.h"
#include "params/ParamFile.h"
#include "protocol/PraReplyTracker.h"
#include "toolbox/BackupListDialog.h"
#include "toolbox/CompareDialog.h"

namespace {

// The file holds the listed parameters; three differ from the drive.
ParamComparison FiveDiffer() {
    ParamSet file;
    ParamSet drive;
    for (int32_t n : ParamTable::Instance().ListedNumbers()) {
        file.Set(n, n);
        drive.Set(n, n);
    }
    file.Set(20, 750);
    file.Set(22, 70000);
    drive.Set(22, 4464);
    file.Set(37, 0b0101);
    drive.Set(37, 0b0110);
    return ParamComparison(file, drive, ParamTable::Instance().ListedNumbers());
}

// What a person cannot read: the window's texts, and the header texts, which
// must be whole also while no row is there to widen their columns. The rows
// themselves scroll.
QStringList Unreadable(CompareDialog& dialog) {
    QStringList problems;
    for (const QString& problem : Legibility::WindowProblems(&dialog)) {
        if (!problem.contains("cells need")) problems << problem;
    }
    QTableWidget* table = dialog.Table();
    for (int column = 0; column < table->columnCount(); ++column) {
        QString text = table->horizontalHeaderItem(column)->text();
        if (table->columnWidth(column) < table->fontMetrics().horizontalAdvance(text)) {
            problems << "header cut: " + text;
        }
    }
    return problems;
}

QString Cell(QTableWidget* table, int row, int column) { return table->item(row, column)->text(); }

constexpr int kTimeoutMs = 10000;
constexpr int kRow20 = 7;  // grid rows: 10, 11, 13, 14, 15, 16, 20, 21, ...
constexpr int kRow21 = 8;

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
        // The process-wide table as at start, whatever an earlier test read into it.
        for (int32_t n = 0; n < ParamTable::kCount; ++n) ParamTable::Instance().SetParamValue(n, 0);
    }
    void cleanup() { m_drive.reset(); }

    void comparisonMarksAndTicksTheDifferingRowsThenTheReadBack() {
        CompareDialog dialog("파일: /tmp/a.par");
        dialog.show();
        auto* send = dialog.findChild<QPushButton*>("compareSend");
        dialog.ShowReading();
        QVERIFY(!send->isEnabled());
        QCOMPARE(Unreadable(dialog), QStringList());
        ParamSet same;
        same.Set(20, 5);
        dialog.ShowComparison(ParamComparison(same, same, {20}), 3);
        QVERIFY(!send->isEnabled());
        dialog.ShowComparison(FiveDiffer(), 3);
        QCOMPARE(Unreadable(dialog), QStringList());

        // The differing rows come first.
        QTableWidget* table = dialog.Table();
        QCOMPARE(table->rowCount(), 29);
        for (int row = 0; row < 29; ++row) {
            QTableWidgetItem* number = table->item(row, CompareDialog::kNumber);
            bool differs = row < 3;
            QCOMPARE(bool(number->flags() & Qt::ItemIsUserCheckable), differs);
            if (differs) QCOMPARE(number->checkState(), Qt::Checked);
            QCOMPARE(number->font().bold(), differs);
            QCOMPARE(Cell(table, row, CompareDialog::kDifference).isEmpty(), !differs);
        }
        QCOMPARE(Cell(table, 1, CompareDialog::kDifference),
                 "16비트를 넘는 값: 드라이브는 4464로 저장");
        // The bit field bit by bit.
        QCOMPARE(Cell(table, 2, CompareDialog::kFile), "5 (0101)");
        QCOMPARE(Cell(table, 2, CompareDialog::kDifference), "비트 0: 1→0, 비트 1: 0→1");
        QVERIFY(send->isEnabled());
        // Enter closes: nothing goes to the drive but by a press of the button.
        bool sent = false;
        connect(&dialog, &CompareDialog::SendRequested, this, [&sent] { sent = true; });
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(!sent);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        // 20 came back as sent, 37 did not.
        ParamSet written;
        written.Set(20, 750);
        written.Set(37, 0b0101);
        dialog.ShowSending(2);
        PraReplyTracker read;
        read.Take("#0.PRA 14 2EE 25 4");
        dialog.ShowReadBack(ReadBackReport(written, read));
        QCOMPARE(Cell(table, 0, CompareDialog::kResult), "확인됨");
        QCOMPARE(Cell(table, 2, CompareDialog::kResult), "불일치: 드라이브 4");
        QCOMPARE(Cell(table, 1, CompareDialog::kResult), QString());
        QCOMPARE(dialog.Status(), "전송한 2개 항목 중 1개만 드라이브에 그대로 있습니다.");
        // After a failure nothing more can be sent.
        dialog.ShowFailure("드라이브를 다 읽지 못했습니다.");
        QVERIFY(!send->isEnabled());
    }

    void backupListHandsOutTheChosenBackup() {
        BackupListDialog empty({}, "/b");
        QVERIFY(!empty.findChild<QPushButton*>("backupChoose")->isEnabled());

        std::vector<BackupListDialog::Item> items = {
            {"/b/20261207-143016-id0.par", "2026-12-07 14:30:16", 0, "2"},
            {"/b/20261207-143015-id3.par", "2026-12-07 14:30:15", 3, "다른 국번"},
        };
        BackupListDialog dialog(items, "/b");
        dialog.show();
        QTableWidget* table = dialog.Table();
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());
        // The newest is chosen unless the operator picks another.
        QCOMPARE(table->currentRow(), 0);
        QStringList chosen;
        connect(&dialog, &BackupListDialog::Chosen, this,
                [&chosen](const QString& path) { chosen << path; });
        QRect second = table->visualItemRect(table->item(1, BackupListDialog::kWhen));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseClick(dialog.findChild<QPushButton*>("backupChoose"), Qt::LeftButton);
        QCOMPARE(chosen, QStringList({"/b/20261207-143015-id3.par"}));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // When a backup is taken is the write guard's test; here the undo from it.
    void comparingSendsOnlyTheTickedRowsAndUndoPutsThemBack() {
        Start({});
        // The file: what the drive holds, five values changed.
        QString path = m_drive->FilePath("wanted.par");
        QCOMPARE(m_drive->Para({"read", "-o", path.toStdString()}), 0);
        ParamSet wanted;
        QVERIFY(ParamFile::Read(path.toStdString(), wanted));
        for (auto [number, value] :
             {std::pair{20, 750}, {21, 600}, {23, 2500}, {37, 3}, {61, 20}}) {
            wanted.Set(number, value);
        }
        QVERIFY(ParamFile::Write(path.toStdString(), wanted));

        FormFixture f;
        f.Click(1024);
        AnswerFileDialogs({path}, [&] { f.Frame().findChild<QAction*>("toolCompare")->trigger(); });
        CompareDialog* dialog = CompareShown(f);
        QTableWidget* table = dialog->Table();
        for (int row : {1, 2, 3}) ToggleRow(table, row);  // 21, 23 and 37 stay as they are
        int before = m_drive->WireLines().size();
        auto* send = dialog->findChild<QPushButton*>("compareSend");
        QTest::mouseClick(send, Qt::LeftButton);
        QVERIFY(!send->isEnabled());  // one send a comparison
        QTRY_COMPARE_WITH_TIMEOUT(Cell(table, 4, CompareDialog::kResult), "확인됨", kTimeoutMs);
        QCOMPARE(m_drive->WireLines().mid(before),
                 QStringList({"#0.PWR 20 750", "#0.PWR 61 20", "#0.COP", "#0.PSV", "#0.PRA"}));
        delete dialog;

        // The drive's set before the write was kept, and is the one to undo to.
        f.Frame().findChild<QAction*>("toolUndo")->trigger();
        auto* list = f.Frame().findChild<BackupListDialog*>();
        QCOMPARE(list->Table()->rowCount(), 1);
        QTest::mouseClick(list->findChild<QPushButton*>("backupChoose"), Qt::LeftButton);
        dialog = CompareShown(f);
        QCOMPARE(Cell(dialog->Table(), 0, CompareDialog::kNumber), "20");
        QCOMPARE(Cell(dialog->Table(), 1, CompareDialog::kNumber), "61");
        QTest::mouseClick(dialog->findChild<QPushButton*>("compareSend"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->Status(),
                                  "전송한 2개 항목을 드라이브가 모두 그대로 갖고 있습니다.",
                                  kTimeoutMs);
    }

    void verifyAfterWriteReportsOnTheStatusLine() {
        // A drive that acknowledges nothing and keeps parameter 21 as it is.
        Start({"--no-ack", "--read-only", "21"});
        FormFixture f;
        f.Click(1024);
        QAction* verify = f.Frame().findChild<QAction*>("toolVerify");
        QVERIFY(verify->isCheckable() && !verify->isChecked());
        verify->trigger();
        f.EditCell(kRow20, 2, "750");
        QTRY_COMPARE_WITH_TIMEOUT(f.Frame().StatusText(), "확인: 1/1", kTimeoutMs);
        f.EditCell(kRow21, 2, "600");
        QTRY_COMPARE_WITH_TIMEOUT(f.Frame().StatusText(), "확인: 0/1 — 불일치: 21 (600→500)",
                                  kTimeoutMs);
        QCOMPARE(m_drive->WireLines().mid(m_drive->WireLines().size() - 5),
                 QStringList({"#0.PRA", "#0.PWR 21 600", "#0.COP", "#0.PSV", "#0.PRA"}));
    }

  private:
    // The drive, with the backups in its folder, never in the user's own.
    void Start(const std::vector<std::string>& options) {
        m_drive = std::make_unique<SimulatedDrive>(options);
        QVERIFY(m_drive->Started());
        qputenv("XDG_DATA_HOME", m_drive->FilePath("data").toUtf8());
    }

    // The comparison dialog once it shows a comparison.
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

    std::unique_ptr<SimulatedDrive> m_drive;
};

QTEST_MAIN(SafeWriteToolsTest)
#include "SafeWriteToolsTest.moc"
