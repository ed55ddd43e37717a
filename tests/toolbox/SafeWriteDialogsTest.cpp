// The dialogs of the safe writes with real widgets: the comparison's rows as
// the operator reads them, the read-back marks, and the backup list.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "Legibility.h"
#include "protocol/PraReplyTracker.h"
#include "toolbox/BackupListDialog.h"
#include "toolbox/CompareDialog.h"

namespace {

// The file holds the listed parameters; five differ from the drive.
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
    file.Set(50, -100);
    drive.Set(61, 0);
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

}  // namespace

class SafeWriteDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void differingRowsComeFirstMarkedAndTicked() {
        CompareDialog dialog("파일: /tmp/a.par");
        dialog.show();
        auto* send = dialog.findChild<QPushButton*>("compareSend");
        dialog.ShowReading();
        QVERIFY(!send->isEnabled());
        QCOMPARE(Unreadable(dialog), QStringList());
        dialog.ShowComparison(FiveDiffer(), 3);
        QCOMPARE(Unreadable(dialog), QStringList());

        QTableWidget* table = dialog.Table();
        QCOMPARE(table->rowCount(), 29);
        QCOMPARE(dialog.Summary(),
                 "국번 3 드라이브: 29개 항목 중 5개가 파일과 다릅니다. 체크한 항목만 전송합니다.");
        const QStringList kFirst = {"20", "22", "37", "50", "61", "10"};
        for (int row = 0; row < 29; ++row) {
            QTableWidgetItem* number = table->item(row, CompareDialog::kNumber);
            bool differs = row < 5;
            if (row < kFirst.size()) QCOMPARE(number->text(), kFirst[row]);
            QCOMPARE(bool(number->flags() & Qt::ItemIsUserCheckable), differs);
            if (differs) QCOMPARE(number->checkState(), Qt::Checked);
            QCOMPARE(number->font().bold(), differs);
            QCOMPARE(Cell(table, row, CompareDialog::kDifference).isEmpty(), !differs);
        }
        QCOMPARE(Cell(table, 0, CompareDialog::kName), "가속시간");
        QCOMPARE(Cell(table, 0, CompareDialog::kDifference), "다름");
        QCOMPARE(Cell(table, 1, CompareDialog::kDifference),
                 "16비트를 넘는 값: 드라이브는 4464로 저장");
        // The bit field bit by bit.
        QCOMPARE(Cell(table, 2, CompareDialog::kFile), "5 (0101)");
        QCOMPARE(Cell(table, 2, CompareDialog::kDrive), "6 (0110)");
        QCOMPARE(Cell(table, 2, CompareDialog::kDifference), "비트 0: 1→0, 비트 1: 0→1");
        QVERIFY(send->isEnabled());

        // Enter closes: nothing goes to the drive but by a press of the button.
        bool sent = false;
        connect(&dialog, &CompareDialog::SendRequested, this, [&sent] { sent = true; });
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(!sent);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }

    void theReadBackMarksWhatTheDriveDidNotKeep() {
        CompareDialog dialog("파일: /tmp/a.par");
        dialog.ShowComparison(FiveDiffer(), 0);
        ParamSet sent;
        sent.Set(20, 750);
        sent.Set(37, 0b0101);
        dialog.ShowSending(2);
        QCOMPARE(dialog.Status(), "2개 항목을 전송하고 드라이브를 다시 읽는 중...");
        PraReplyTracker read;
        read.Take("#0.PRA 14 2EE 25 4");  // 20 came back as sent, 37 did not
        dialog.ShowReadBack(ReadBackReport(sent, read));
        QTableWidget* table = dialog.Table();
        QCOMPARE(Cell(table, 0, CompareDialog::kResult), "확인됨");
        QCOMPARE(Cell(table, 2, CompareDialog::kResult), "불일치: 드라이브 4");
        QCOMPARE(Cell(table, 1, CompareDialog::kResult), QString());
        QCOMPARE(dialog.Status(), "전송한 2개 항목 중 1개만 드라이브에 그대로 있습니다.");
        // After a failure nothing more can be sent.
        dialog.ShowFailure("드라이브를 다 읽지 못했습니다.");
        QVERIFY(!dialog.findChild<QPushButton*>("compareSend")->isEnabled());
    }

    void anEqualComparisonHasNothingToSend() {
        ParamSet same;
        same.Set(20, 5);
        CompareDialog dialog("파일");
        dialog.ShowComparison(ParamComparison(same, same, {20}), 0);
        QCOMPARE(dialog.Summary(), "국번 0 드라이브: 1개 항목이 모두 파일과 같습니다.");
        QVERIFY(!dialog.findChild<QPushButton*>("compareSend")->isEnabled());
    }

    void backupListHandsOutTheChosenBackup() {
        std::vector<BackupListDialog::Item> items = {
            {"/b/20261207-143016-id0.par", "2026-12-07 14:30:16", 0, "2"},
            {"/b/20261207-143015-id3.par", "2026-12-07 14:30:15", 3, "다른 국번"},
        };
        BackupListDialog dialog(items, "/b");
        dialog.show();
        QTableWidget* table = dialog.Table();
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(Cell(table, 0, BackupListDialog::kWhen), "2026-12-07 14:30:16");
        QCOMPARE(Cell(table, 0, BackupListDialog::kStation), "0");
        QCOMPARE(Cell(table, 1, BackupListDialog::kDiffer), "다른 국번");
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

    void anEmptyBackupListSaysSo() {
        BackupListDialog dialog({}, "/b");
        dialog.show();
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());
        bool told = false;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            told = told || label->text().startsWith("백업이 없습니다.");
        }
        QVERIFY(told);
        QVERIFY(!dialog.findChild<QPushButton*>("backupChoose")->isEnabled());
    }
};

QTEST_MAIN(SafeWriteDialogsTest)
#include "SafeWriteDialogsTest.moc"
