// "국번 검색" against two simulated drives on one line: the scan through the
// form's queue, the list of who answered, the chosen ID taken by the form.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "FormFixture.h"
#include "Legibility.h"
#include "SimulatedDrive.h"
#include "toolbox/CStationScanDlg.h"

namespace {

template <class Widget>
Widget* Child(QWidget* dialog, const char* name) {
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}

}  // namespace

class StationScanDlgTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        m_drives = std::make_unique<SimulatedDrive>(std::vector<std::string>{"--ids", "3,7"});
        QVERIFY(m_drives->Started());
    }
    void cleanup() { m_drives.reset(); }

    void scanListsTheDrivesAndTheFormTakesTheChosenId() {
        FormFixture f;
        f.Click(1024);
        QVERIFY(f.View().Port().IsConnected());
        CStationScanDlg dialog(
            f.View().Port(), f.View().Queue(), [&](int32_t id) { f.View().UseStationId(id); },
            &f.Frame());
        dialog.show();
        Child<QSpinBox>(&dialog, "scanLast")->setValue(9);
        Child<QSpinBox>(&dialog, "scanWait")->setValue(300);
        QTest::mouseClick(Child<QPushButton>(&dialog, "scanStart"), Qt::LeftButton);
        QVERIFY(dialog.IsScanning());
        QVERIFY(!Child<QPushButton>(&dialog, "scanUse")->isEnabled());
        // The form's tick sends the lines while the dialog waits for the answers.
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsScanning(), 25000);

        QStringList asked;
        for (int s = 0; s <= 9; ++s) asked << QStringLiteral("#%1.FRD 0").arg(s);
        QCOMPARE(WireLines(), asked);
        auto* results = Child<QTreeWidget>(&dialog, "scanResults");
        QCOMPARE(results->topLevelItemCount(), 2);
        QCOMPARE(results->topLevelItem(0)->text(0), "3");
        QCOMPARE(results->topLevelItem(0)->text(1), "0105");
        QCOMPARE(results->topLevelItem(1)->text(0), "7");
        QCOMPARE(results->topLevelItem(1)->text(2), "#7.FRD 0 0105");
        auto* progress = Child<QProgressBar>(&dialog, "scanProgress");
        QCOMPARE(progress->value(), 10);
        QCOMPARE(progress->maximum(), 10);
        QVERIFY(Child<QLabel>(&dialog, "scanStatus")->text().contains("2개 국번이 응답"));
        QVERIFY2(Legibility::WindowProblems(&dialog).isEmpty(),
                 qPrintable(Legibility::WindowProblems(&dialog).join('\n')));

        // Station 7 goes to the ID field and is taken as a connect takes it.
        results->setCurrentItem(results->topLevelItem(1));
        QTest::mouseClick(Child<QPushButton>(&dialog, "scanUse"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.Edit(1025)->text(), "7");
        f.Click(1028);
        QTRY_COMPARE_WITH_TIMEOUT(WireLines().value(10), "#7.PRA", 5000);
        // Station 7's own parameters came back.
        QTRY_COMPARE_WITH_TIMEOUT(f.Grid()->TextMatrix(7, 2), "500  ", 5000);
    }

    void aScanNeedsTheLineAndStopsWhenCancelled() {
        FormFixture f;
        CStationScanDlg dialog(
            f.View().Port(), f.View().Queue(), [](int32_t) { QFAIL("no station to take"); },
            &f.Frame());
        dialog.show();
        auto* start = Child<QPushButton>(&dialog, "scanStart");
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(!dialog.IsScanning());
        QVERIFY(Child<QLabel>(&dialog, "scanStatus")->text().contains("연결되어 있지 않습니다"));
        QVERIFY(!f.View().Queue().HasPending());

        f.Click(1024);
        QTest::mouseClick(start, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(WireLines().size() >= 2, 10000);
        QTest::mouseClick(Child<QPushButton>(&dialog, "scanStop"), Qt::LeftButton);
        QVERIFY(!dialog.IsScanning());
        QVERIFY(Child<QLabel>(&dialog, "scanStatus")->text().contains("취소"));
        qsizetype sent = WireLines().size();
        // A line already queued still goes; nothing after it.
        QTest::qWait(1000);
        QVERIFY(WireLines().size() <= sent + 1);
        // "이 국번 사용" with nothing chosen takes nothing.
        Child<QTreeWidget>(&dialog, "scanResults")->clear();
        dialog.OnUse();
        QVERIFY(dialog.isVisible());
    }

  private:
    QStringList WireLines() const { return m_drives->WireLines(); }

    std::unique_ptr<SimulatedDrive> m_drives;
};

QTEST_MAIN(StationScanDlgTest)
#include "StationScanDlgTest.moc"
