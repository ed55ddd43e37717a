// The safe writes of the "도구" menu against the real simulated drive: compare
// with a file, send two ticked rows of five and then one of what still
// differs, the undo to a read the journal keeps, its save as a file and the
// reads not to undo to, the read-back line of "전송 후 확인"; and what of the
// two dialogs no run of the drive shows.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>

#include "FileDialogAnswerer.h"
#include "FormFixture.h"
#include "Legibility.h"
#include "SimulatedDrive.h"
#include "journal/Journal.h"
#include "journal/JournalPath.h"
#include "journal/JournalRecord.h"
#include "journal/JournalSession.h"
#include "params/ParamFile.h"
#include "params/ParamFileCheck.h"
#include "toolbox/BackupListDialog.h"
#include "toolbox/CompareDialog.h"

namespace {

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

QStringList Column(QTableWidget* table, int column) {
    QStringList cells;
    for (int row = 0; row < table->rowCount(); ++row) cells << Cell(table, row, column);
    return cells;
}

// The first `count` rows: number, file, drive and result.
QStringList Rows(QTableWidget* table, int count) {
    QStringList rows;
    for (int row = 0; row < count; ++row) {
        QStringList cells;
        for (int column : {CompareDialog::kNumber, CompareDialog::kFile, CompareDialog::kDrive,
                           CompareDialog::kResult}) {
            cells << Cell(table, row, column);
        }
        rows << cells.join(' ');
    }
    return rows;
}

constexpr int kTimeoutMs = 10000;

// Opens "되돌리기", once the list before it has gone, and waits until it lists
// `rows` reads; nullptr when it does not.
BackupListDialog* OpenList(FormFixture& f, int rows) {
    auto gone = [&f] { return f.Frame().findChild<BackupListDialog*>() == nullptr; };
    if (!QTest::qWaitFor(gone, kTimeoutMs)) return nullptr;
    f.Frame().findChild<QAction*>("toolUndo")->trigger();
    auto* list = f.Frame().findChild<BackupListDialog*>();
    bool listed = QTest::qWaitFor([&] { return list->Table()->rowCount() == rows; }, kTimeoutMs);
    return listed ? list : nullptr;
}

}  // namespace

class SafeWriteToolsTest : public QObject {
    Q_OBJECT
  private slots:
    // Nothing goes to the drive but by a press of the button: not by Enter, not
    // when nothing differs, not after a failure.
    void compareDialogSendsOnlyByItsButton() {
        ParamSet file;
        ParamSet drive;
        file.Set(20, 750);
        drive.Set(20, 500);
        CompareDialog dialog("파일: /tmp/a.par");
        dialog.show();
        auto* send = dialog.findChild<QPushButton*>("compareSend");
        dialog.ShowComparison(ParamComparison(drive, drive, {20}), 3);
        QVERIFY(!send->isEnabled());
        dialog.ShowComparison(ParamComparison(file, drive, {20}), 3);
        QVERIFY(send->isEnabled());
        bool sent = false;
        connect(&dialog, &CompareDialog::SendRequested, this, [&sent] { sent = true; });
        QTest::keyClick(dialog.Table(), Qt::Key_Return);
        QVERIFY(!sent);
        QVERIFY(dialog.isHidden());
        dialog.ShowFailure("드라이브를 다 읽지 못했습니다.");
        QVERIFY(!send->isEnabled());
    }

    // A value beyond 16 bits reaches the drive as another: its row starts
    // unticked, and sending it asks first. Numbers without a name read "예약".
    void aValueTheDriveCannotKeepGoesOnlyWhenConfirmed() {
        ParamSet file;
        ParamSet drive;
        for (auto [number, wanted, held] : {std::tuple{0, 1, 0}, {20, 750, 500}, {22, 70000, 50}}) {
            file.Set(number, wanted);
            drive.Set(number, held);
        }
        CompareDialog dialog("파일: /tmp/a.par");
        dialog.show();
        dialog.ShowComparison(ParamComparison(file, drive, {0, 20, 22}), 0);
        QTableWidget* table = dialog.Table();
        QCOMPARE(Cell(table, 0, CompareDialog::kName), "예약");
        QCOMPARE(table->item(1, CompareDialog::kNumber)->checkState(), Qt::Checked);
        QCOMPARE(table->item(2, CompareDialog::kNumber)->checkState(), Qt::Unchecked);
        table->item(2, CompareDialog::kNumber)->setCheckState(Qt::Checked);
        QList<std::vector<int32_t>> sent;
        connect(&dialog, &CompareDialog::SendRequested, this,
                [&sent](const ParamSet& chosen) { sent << chosen.Numbers(); });
        auto* send = dialog.findChild<QPushButton*>("compareSend");
        for (const char* answer : {"아니오", "예"}) {
            MessageBoxAnswerer boxes(QString::fromUtf8(answer));
            QTest::mouseClick(send, Qt::LeftButton);
            QCOMPARE(boxes.Texts().size(), 1);
            QVERIFY2(boxes.Texts().front().contains("22 최저속도: 70000 → 드라이브는 4464로 저장"),
                     qPrintable(boxes.Texts().front()));
        }
        QCOMPARE(sent, QList<std::vector<int32_t>>({{0, 20, 22}}));
    }

    // The run below lists the journal's reads; here what the list says before
    // the journal answers, of none, and of more than it shows.
    void backupListSaysWhatItHolds() {
        BackupListDialog dialog("/j/journal.sqlite3");
        dialog.show();
        auto* choose = dialog.findChild<QPushButton*>("backupChoose");
        auto* save = dialog.findChild<QPushButton*>("backupSave");
        QVERIFY(dialog.Intro().endsWith("찾는 중..."));
        dialog.ShowItems({}, false);
        QVERIFY(dialog.Intro().startsWith("작업 기록에 드라이브를 끝까지 읽은 기록이 없습니다."));
        BackupListDialog::Item old;
        old.read.time = "2026-12-07T05:30:15.000Z";
        old.read.station = 3;
        old.differ = "다른 국번";
        dialog.ShowItems({old}, true);
        QVERIFY2(dialog.Intro().endsWith("최근 100개만 보입니다. 그보다 오래된 읽기는 \"작업 "
                                         "기록\"에서 찾으십시오."),
                 qPrintable(dialog.Intro()));
        // An old backup's port was not recorded; another drive's read is not chosen.
        QCOMPARE(Cell(dialog.Table(), 0, BackupListDialog::kPort), "기록 없음");
        QVERIFY(!choose->isEnabled() && !save->isEnabled());
        QTRY_COMPARE(Legibility::WindowProblems(&dialog).join("\n"), QString());
    }

    // A journal that cannot be opened lists nothing, and says why.
    void undoSaysWhyItListsNothingWhenTheJournalCannotBeOpened() {
        QTemporaryDir dir;
        QFile notAFolder(dir.filePath("file"));
        QVERIFY(notAFolder.open(QIODevice::WriteOnly));
        notAFolder.close();
        qputenv("VELD_JOURNAL", dir.filePath("file/journal.sqlite3").toUtf8());
        FormFixture f;
        qunsetenv("VELD_JOURNAL");
        f.Frame().findChild<QAction*>("toolUndo")->trigger();
        auto* list = f.Frame().findChild<BackupListDialog*>();
        QVERIFY2(list->Intro().startsWith("작업 기록을 열 수 없어 되돌릴 읽기를 보여 줄 수 "
                                          "없습니다: "),
                 qPrintable(list->Intro()));
        QCOMPARE(list->Table()->rowCount(), 0);
    }

    void comparingSendsTheTickedRowsUndoPutsThemBackAndVerifyReadsBack() {
        // A drive that acknowledges nothing and keeps parameter 21 as it is; the
        // journal in its folder, never in the user's own.
        SimulatedDrive drive({"--no-ack", "--read-only", "21"});
        QVERIFY(drive.Started());
        qputenv("XDG_DATA_HOME", drive.FilePath("data").toUtf8());
        // The file: what the drive holds, five values changed.
        QString path = drive.FilePath("wanted.par");
        QCOMPARE(drive.Para({"read", "-o", path.toStdString()}), 0);
        ParamSet wanted;
        QVERIFY(ParamFile::Read(path.toStdString(), wanted));
        const ParamSet before = wanted;
        for (auto [number, value] :
             {std::pair{20, 750}, {21, 600}, {22, 70000}, {37, 0b0010}, {61, 20}}) {
            wanted.Set(number, value);
        }
        QVERIFY(ParamFile::Write(path.toStdString(), wanted));

        FormFixture f;
        f.Click(FormId::kConnectToggle);
        AnswerFileDialogs({path}, [&] { f.Frame().findChild<QAction*>("toolCompare")->trigger(); });
        // The headers whole while the drive is read.
        auto* dialog = f.Frame().findChild<CompareDialog*>();
        QCOMPARE(Unreadable(*dialog), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->Summary().isEmpty(), kTimeoutMs);
        QCOMPARE(Unreadable(*dialog), QStringList());

        // The differing rows come first, ticked and bold; the others cannot be ticked.
        QTableWidget* table = dialog->Table();
        QCOMPARE(table->rowCount(), 29);
        for (int row = 0; row < 29; ++row) {
            QTableWidgetItem* number = table->item(row, CompareDialog::kNumber);
            bool differs = row < 5;
            QCOMPARE(bool(number->flags() & Qt::ItemIsUserCheckable), differs);
            // 70000 the drive would keep as 4464: not ticked.
            if (differs) QCOMPARE(number->checkState(), row == 2 ? Qt::Unchecked : Qt::Checked);
            QCOMPARE(number->font().bold(), differs);
            QCOMPARE(Cell(table, row, CompareDialog::kDifference).isEmpty(), !differs);
        }
        QCOMPARE(Cell(table, 2, CompareDialog::kDifference),
                 "16비트를 넘는 값: 드라이브는 4464로 저장");
        // The bit field bit by bit.
        QCOMPARE(Cell(table, 3, CompareDialog::kFile), "2 (0010)");
        QCOMPARE(Cell(table, 3, CompareDialog::kDifference), "비트 0: 0→1, 비트 1: 1→0");

        // 22, 37 and 61 stay as they are: the count sent says only 20 and 21 went.
        for (int row : {3, 4}) {
            QRect cell = table->visualItemRect(table->item(row, CompareDialog::kNumber));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                              QPoint(cell.left() + 12, cell.center().y()));
        }
        auto* send = dialog->findChild<QPushButton*>("compareSend");
        QTest::mouseClick(send, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(
            dialog->Status(), "전송한 2개 항목 중 1개만 드라이브에 그대로 있습니다.", kTimeoutMs);
        // Compared again with the drive as read back: 20 no longer differs and
        // follows the rows that do, each sent row marked; nothing is ticked.
        QCOMPARE(Rows(table, 5),
                 QStringList({"21 600 500 불일치: 드라이브 500", "22 70000 50 ",
                              "37 2 (0010) 1 (0001) ", "61 20 10 ", "20 750 750 확인됨"}));
        QVERIFY2(dialog->Summary().contains("29개 항목 중 4개가"), qPrintable(dialog->Summary()));
        QVERIFY(!send->isEnabled());
        // What still differs can be sent again.
        QRect cell = table->visualItemRect(table->item(2, CompareDialog::kNumber));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          QPoint(cell.left() + 12, cell.center().y()));
        QTest::mouseClick(send, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->Status(),
                                  "전송한 1개 항목을 드라이브가 모두 그대로 갖고 있습니다.",
                                  kTimeoutMs);
        QCOMPARE(Rows(table, 4).last(), "37 2 (0010) 2 (0010) 확인됨");
        delete dialog;

        // The journal's complete reads are the backups: veld-para's on its own
        // port, the comparison's and each send's read-back. Newer beside them:
        // station 3's, and a read given up, which is none.
        std::string reason;
        std::unique_ptr<Journal> journal = Journal::Open(JournalPath::Default(), reason);
        QVERIFY2(journal, reason.c_str());
        std::vector<JournalEntry> reads;
        QTRY_VERIFY_WITH_TIMEOUT(journal->CompleteReads(10, reads) && reads.size() == 4,
                                 kTimeoutMs);
        JournalSession bench(JournalOrigin::Current("bench"), "COM15");
        for (bool complete : {true, false}) {
            JournalEntry read =
                bench.Entry(JournalRecord::Read(complete ? 3 : 0, wanted, complete));
            QVERIFY2(journal->Append(read), journal->Error().c_str());
        }
        // Newest first, each counted against the drive's last read (the last
        // read-back); the newest of the drive connected is chosen.
        BackupListDialog* list = OpenList(f, 5);
        QVERIFY(list);
        QTableWidget* listed = list->Table();
        QStringList times = Column(listed, BackupListDialog::kWhen);
        QVERIFY(std::is_sorted(times.begin(), times.end(), std::greater<>()));
        QCOMPARE(Column(listed, BackupListDialog::kStation),
                 QStringList({"3", "0", "0", "0", "0"}));
        QCOMPARE(
            Column(listed, BackupListDialog::kPort),
            QStringList({"COM15", "COM15", "COM15", "COM15", QString::fromStdString(drive.Pty())}));
        QCOMPARE(Column(listed, BackupListDialog::kDiffer),
                 QStringList({"다른 국번", "0", "1", "2", "다른 포트"}));
        QCOMPARE(listed->currentRow(), 1);
        QTRY_COMPARE(Legibility::WindowProblems(list).join("\n"), QString());

        // The comparison's read, from before the first send, saved as a file.
        QString saved = drive.FilePath("before.par");
        listed->selectRow(3);
        AnswerFileDialogs({saved}, [&] {
            QTest::mouseClick(list->findChild<QPushButton*>("backupSave"), Qt::LeftButton);
        });
        std::optional<ParamFileCheck> file = ParamFileCheck::Read(saved.toStdString());
        QVERIFY(file && file->Sendable());
        QVERIFY(file->Values() == JournalRecord::CompleteReadValues(reads[2]));
        QCOMPARE(file->Values().Value(20), before.Value(20));
        list->close();

        // Another station's read, and one read on another port, ask first; "아니오" sends nothing.
        int sentBefore = drive.WireLines().size();
        {
            MessageBoxAnswerer boxes("아니오");
            for (int row : {0, 4}) {
                list = OpenList(f, 5);
                QVERIFY(list);
                list->Table()->selectRow(row);
                QTest::mouseClick(list->findChild<QPushButton*>("backupChoose"), Qt::LeftButton);
            }
            QString part = drive.FilePath("part.par");
            QVERIFY(ParamFile::Write(part.toStdString(), ParamSet()));
            AnswerFileDialogs({part},
                              [&] { f.Frame().findChild<QAction*>("toolCompare")->trigger(); });
            QStringList expected = {
                "기록: 국번 3, 포트 COM15\n연결된 드라이브: 국번 0, 포트 COM15\n",
                QString("기록: 국번 0, 포트 %1\n연결된 드라이브: 국번 0, 포트 COM15\n")
                    .arg(QString::fromStdString(drive.Pty())),
                "파일에 없는 파라미터: 10, 11, 13, "};
            QCOMPARE(boxes.Texts().size(), expected.size());
            for (int i = 0; i < expected.size(); ++i) {
                QVERIFY2(boxes.Texts()[i].contains(expected[i]), qPrintable(boxes.Texts()[i]));
            }
        }
        QVERIFY(f.Frame().findChild<CompareDialog*>() == nullptr);
        f.Tick();
        QCOMPARE(drive.WireLines().size(), sentBefore);

        // Undone to the comparison's read: 20 and 37 go back, and are read back.
        list = OpenList(f, 5);
        QVERIFY(list);
        list->Table()->selectRow(3);
        QTest::mouseClick(list->findChild<QPushButton*>("backupChoose"), Qt::LeftButton);
        dialog = f.Frame().findChild<CompareDialog*>();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->Summary().isEmpty(), kTimeoutMs);
        QTest::mouseClick(dialog->findChild<QPushButton*>("compareSend"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->Status(),
                                  "전송한 2개 항목을 드라이브가 모두 그대로 갖고 있습니다.",
                                  kTimeoutMs);
        QCOMPARE(f.Frame().StatusText(), "확인: 2/2");
        delete dialog;

        // "전송 후 확인", off at start, reads back each write of the form.
        f.Frame().findChild<QAction*>("toolVerify")->trigger();
        f.EditCell(8, 2, "600");  // parameter 21
        QTRY_COMPARE_WITH_TIMEOUT(f.Frame().StatusText(), "확인: 0/1 — 불일치: 21 (600→500)",
                                  kTimeoutMs);
        // So is "SET로 모드변경", a PWR sent alone, as veld-para setmode reads it back.
        f.Click(FormId::kSetModeToggle);
        QTRY_COMPARE_WITH_TIMEOUT(f.Frame().StatusText(), "확인: 1/1", kTimeoutMs);
        // No write left a file of its own: the journal keeps what came before.
        QVERIFY(QDir(drive.FilePath("data/VELD_Host_Para/backups")).isEmpty());
    }
};

QTEST_MAIN(SafeWriteToolsTest)
#include "SafeWriteToolsTest.moc"
