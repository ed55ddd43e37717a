// The comparison dialog with real widgets: the rows as the operator reads
// them, the ticks that choose what is sent, the read-back marks.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <vector>

#include "Legibility.h"
#include "protocol/PraReplyTracker.h"
#include "toolbox/CompareDialog.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The file holds the listed parameters; five differ from the drive.
struct Fixture {
    Fixture() {
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
    }
    ParamComparison Comparison() const {
        return ParamComparison(file, drive, ParamTable::Instance().ListedNumbers());
    }
    ParamSet file;
    ParamSet drive;
};

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

QStringList Column(QTableWidget* table, int column) {
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) texts << table->item(row, column)->text();
    return texts;
}

}  // namespace

class CompareDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void differingRowsComeFirstMarkedAndTicked() {
        Fixture data;
        CompareDialog dialog(U("파일: /tmp/a.par"));
        dialog.show();
        auto* send = dialog.findChild<QPushButton*>("compareSend");
        dialog.ShowReading();
        QVERIFY(!send->isEnabled());
        QCOMPARE(dialog.Status(), U("드라이브를 읽는 중..."));
        QCOMPARE(Unreadable(dialog), QStringList());
        dialog.ShowComparison(data.Comparison(), 3);
        QCOMPARE(Unreadable(dialog), QStringList());

        QTableWidget* table = dialog.Table();
        QCOMPARE(table->rowCount(), 29);
        QCOMPARE(Column(table, CompareDialog::kNumber).mid(0, 6),
                 QStringList({"20", "22", "37", "50", "61", "10"}));
        QCOMPARE(
            dialog.Summary(),
            U("국번 3 드라이브: 29개 항목 중 5개가 파일과 다릅니다. 체크한 항목만 전송합니다."));
        for (int row = 0; row < 29; ++row) {
            QTableWidgetItem* number = table->item(row, CompareDialog::kNumber);
            bool differs = row < 5;
            QCOMPARE(bool(number->flags() & Qt::ItemIsUserCheckable), differs);
            if (differs) QCOMPARE(number->checkState(), Qt::Checked);
            QCOMPARE(number->font().bold(), differs);
            QCOMPARE(table->item(row, CompareDialog::kDifference)->text().isEmpty(), !differs);
        }
        QCOMPARE(table->item(0, CompareDialog::kName)->text(), U("가속시간"));
        QCOMPARE(table->item(0, CompareDialog::kDifference)->text(), U("다름"));
        QCOMPARE(table->item(1, CompareDialog::kDifference)->text(),
                 U("16비트를 넘는 값: 드라이브는 4464로 저장"));
        // The bit field bit by bit.
        QCOMPARE(table->item(2, CompareDialog::kFile)->text(), U("5 (0101)"));
        QCOMPARE(table->item(2, CompareDialog::kDrive)->text(), U("6 (0110)"));
        QCOMPARE(table->item(2, CompareDialog::kDifference)->text(), U("비트 0: 1→0, 비트 1: 0→1"));
        QVERIFY(send->isEnabled());

        // Enter closes: nothing goes to the drive but by a press of the button.
        bool sent = false;
        connect(&dialog, &CompareDialog::SendRequested, this, [&sent] { sent = true; });
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(!sent);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }

    void onlyTheTickedRowsAreSentAndTheReadBackMarksThem() {
        Fixture data;
        CompareDialog dialog(U("파일: /tmp/a.par"));
        dialog.show();
        dialog.ShowComparison(data.Comparison(), 0);
        QTableWidget* table = dialog.Table();
        auto* send = dialog.findChild<QPushButton*>("compareSend");
        // The operator unticks 22, 50 and 61 with the mouse.
        for (int row : {1, 3, 4}) {
            QRect cell = table->visualItemRect(table->item(row, CompareDialog::kNumber));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                              QPoint(cell.left() + 12, cell.center().y()));
        }
        QCOMPARE(table->item(1, CompareDialog::kNumber)->checkState(), Qt::Unchecked);
        ParamSet expected;
        expected.Set(20, 750);
        expected.Set(37, 0b0101);
        QVERIFY(dialog.Chosen() == expected);
        std::vector<ParamSet> requests;
        connect(&dialog, &CompareDialog::SendRequested, this,
                [&requests](const ParamSet& chosen) { requests.push_back(chosen); });
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(requests.size(), size_t{1});
        QVERIFY(requests[0] == expected);
        // One send a comparison.
        QVERIFY(!send->isEnabled());

        dialog.ShowSending(2);
        QCOMPARE(dialog.Status(), U("2개 항목을 전송하고 드라이브를 다시 읽는 중..."));
        PraReplyTracker read;
        read.Take("#0.PRA 14 2EE 25 4");  // 20 came back as sent, 37 did not
        dialog.ShowReadBack(ReadBackReport(expected, read));
        QCOMPARE(table->item(0, CompareDialog::kResult)->text(), U("확인됨"));
        QCOMPARE(table->item(2, CompareDialog::kResult)->text(), U("불일치: 드라이브 4"));
        QCOMPARE(table->item(1, CompareDialog::kResult)->text(), QString());
        QCOMPARE(dialog.Status(), U("전송한 2개 항목 중 1개만 드라이브에 그대로 있습니다."));
    }

    void anUntickedComparisonSendsNothing() {
        ParamSet same;
        same.Set(20, 5);
        CompareDialog dialog(U("파일"));
        dialog.ShowComparison(ParamComparison(same, same, {20}), 0);
        QCOMPARE(dialog.Summary(), U("국번 0 드라이브: 1개 항목이 모두 파일과 같습니다."));
        QVERIFY(!dialog.findChild<QPushButton*>("compareSend")->isEnabled());
        dialog.ShowFailure(U("드라이브를 다 읽지 못했습니다."));
        QCOMPARE(dialog.Status(), U("드라이브를 다 읽지 못했습니다."));
    }
};

QTEST_MAIN(CompareDialogTest)
#include "CompareDialogTest.moc"
