// "일괄 설정" against three simulated drives on one line, the second of which
// answers nothing: the stations a scan finds, a run cancelled between two
// lines, and the report it leaves.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "FormFixture.h"
#include "Legibility.h"
#include "SimulatedDrive.h"
#include "params/ParamFile.h"
#include "toolbox/CCommissionDlg.h"

namespace {

constexpr int kTimeoutMs = 20000;

template <class Widget>
Widget* Child(QWidget* dialog, const char* name) {
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}

void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
}

QString State(QWidget* dialog, int row) {
    return Child<QTreeWidget>(dialog, "commissionStations")->topLevelItem(row)->text(1);
}

}  // namespace

class CommissionDlgTest : public QObject {
    Q_OBJECT
  private slots:
    // The menu opens it; without the line it sends nothing; a scan puts the
    // stations that answered into the field.
    void theScanFindsTheStationsThatAnswer() {
        SimulatedDrive drive({"--ids", "1,2,3", "--silent", "2"});
        QVERIFY(drive.Started());
        FormFixture f;
        QCOMPARE(f.DialogOpenedBy("toolCommission"), "commissionDlg");

        CCommissionDlg dialog(f.View().Session(), &f.Frame());
        dialog.show();
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());
        Click(&dialog, "commissionScan");
        QVERIFY(!dialog.IsBusy());
        QVERIFY(
            Child<QLabel>(&dialog, "commissionStatus")->text().contains("연결되어 있지 않습니다"));
        f.Click(1024);
        Click(&dialog, "commissionScan");
        QVERIFY(dialog.IsBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsBusy(), kTimeoutMs);
        QCOMPARE(Child<QLineEdit>(&dialog, "commissionIds")->text(), "1,3");
    }

    // Cancelled while station 2's read waits for an answer: nothing more goes
    // out, the stations after it are not reached, and the report says so.
    void aRunCancelledBetweenLinesSendsNothingMore() {
        SimulatedDrive drive({"--ids", "1,2,3", "--silent", "2"});
        QVERIFY(drive.Started());
        QString target = drive.FilePath("target.par");
        QCOMPARE(drive.Para({"-i", "1", "read", "-o", target.toStdString()}), 0);
        ParamSet values;
        QVERIFY(ParamFile::Read(target.toStdString(), values));
        values.Set(20, 999);
        QVERIFY(ParamFile::Write(target.toStdString(), values));
        FormFixture f;
        f.Click(1024);
        int skip = drive.WireLines().size();

        CCommissionDlg dialog(f.View().Session(), &f.Frame());
        dialog.show();
        dialog.SetFile(target);
        dialog.SetStations("1-3");
        dialog.SetReportFolder(drive.FilePath("reports"));
        Click(&dialog, "commissionStart");
        QVERIFY(dialog.IsBusy());
        QTRY_COMPARE_WITH_TIMEOUT(State(&dialog, 1), "읽는 중", kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(drive.WireLines().contains("#2.PRA"), kTimeoutMs);
        Click(&dialog, "commissionCancel");
        QVERIFY(!dialog.IsBusy());
        QCOMPARE(State(&dialog, 0), "확인됨");
        QCOMPARE(State(&dialog, 1), "취소됨");
        QCOMPARE(State(&dialog, 2), "진행 안 됨");
        // The form goes on ticking; nothing waits to go out.
        QTest::qWait(500);
        QCOMPARE(drive.WireLines().mid(skip),
                 QStringList({"#1.PRA", "#1.FRD 0", "#1.PWR 20 999", "#1.COP", "#1.PSV", "#1.PRA",
                              "#2.PRA"}));

        QFile file(QString::fromStdString(dialog.Report()->JsonPath()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonObject report = QJsonDocument::fromJson(file.readAll()).object();
        QCOMPARE(report["stopped"].toString(), "cancelled");
        QStringList results;
        for (const QJsonValue& station : report["stations"].toArray()) {
            results << station.toObject()["result"].toString();
        }
        QCOMPARE(results, QStringList({"verified", "cancelled", "not reached"}));
        QVERIFY(Child<QLabel>(&dialog, "commissionReport")
                    ->text()
                    .contains(QString::fromStdString(dialog.Report()->HtmlPath())));
        QVERIFY(Child<QPushButton>(&dialog, "commissionOpenReport")->isEnabled());
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());

        // No program to open HTML: said so, with the report's path to copy.
        QTemporaryDir noPrograms;
        QByteArray path = qgetenv("PATH");
        qputenv("PATH", noPrograms.path().toLocal8Bit());
        MessageBoxAnswerer answerer;
        answerer.RecordAlongside([] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            bool selectable = box && (box->textInteractionFlags() & Qt::TextSelectableByMouse);
            return QString::fromLatin1(selectable ? "selectable" : "fixed");
        });
        Click(&dialog, "commissionOpenReport");
        qputenv("PATH", path);
        QCOMPARE(answerer.Texts().size(), 1);
        QVERIFY(answerer.Texts()[0].contains("프로그램"));
        QVERIFY(answerer.Texts()[0].endsWith(QString::fromStdString(dialog.Report()->HtmlPath()) +
                                             " / selectable"));
    }
};

QTEST_MAIN(CommissionDlgTest)
#include "CommissionDlgTest.moc"
