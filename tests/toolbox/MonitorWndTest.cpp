// The live monitor with real widgets against the real simulated drive.
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QRegularExpression>
#include <QSpinBox>
#include <QValueAxis>
#include <csignal>

#include "FileDialogAnswerer.h"
#include "FormFixture.h"
#include "SimulatedDrive.h"
#include "toolbox/CMonitorWnd.h"
#include "toolbox/MonitorChart.h"

class MonitorWndTest : public QObject {
    Q_OBJECT
  private:
    template <class Widget>
    static Widget* In(CMonitorWnd* wnd, const char* name) {
        return wnd->findChild<Widget*>(name);
    }
    static void Choose(CMonitorWnd* wnd, const char* code) {
        QTest::mouseClick(In<QCheckBox>(wnd, (std::string("monitorCode") + code).c_str()),
                          Qt::LeftButton, {}, QPoint(5, 5));
    }
    static void ClickStart(CMonitorWnd* wnd) {
        QTest::mouseClick(In<QPushButton>(wnd, "monitorStart"), Qt::LeftButton);
    }

  private slots:
    // Refused while disconnected or with nothing chosen; running, it plots every
    // field and records, and the form's lines go between whole rounds; after a stop
    // nothing more is asked; closing the window or losing the port stops it too.
    void plotsRecordsAndAsksOnlyWhileRunning() {
        // The simulated drive with its RUN cycle on.
        SimulatedDrive drive({"--run"});
        QVERIFY(drive.Started());
        FormFixture f;
        f.Frame().findChild<QAction*>("toolMonitor")->trigger();
        auto* wnd = f.Frame().findChild<CMonitorWnd*>("monitorWnd");
        QVERIFY(wnd && wnd->isVisible());
        ClickStart(wnd);
        QVERIFY(!wnd->IsRunning());
        QVERIFY(wnd->StatusText().contains("통신연결"));
        f.Click(FormId::kConnectToggle);
        ClickStart(wnd);
        QVERIFY(!wnd->IsRunning());

        Choose(wnd, "MVW");
        Choose(wnd, "STA");
        In<QListWidget>(wnd, "monitorPrd")->item(20)->setCheckState(Qt::Checked);
        In<QSpinBox>(wnd, "monitorInterval")->setValue(100);
        ClickStart(wnd);
        const std::vector<MonitorChart*>& charts = wnd->Charts();
        QStringList names;
        for (MonitorChart* chart : charts) names << chart->Name();
        QCOMPARE(names, QStringList({"STA", "MVW", "PRD 20"}));
        QTRY_VERIFY_WITH_TIMEOUT(charts[1]->Fields() == 4 && charts[1]->Series(0)->count() >= 5,
                                 15000);
        f.Click(FormId::kVersionButton);
        f.Type(FormId::kCommandEdit1, "#0.PRD 23");
        f.Click(FormId::kSendButton1);

        // A drive that is ready, parameter 20 at 500; each value shown is the last plotted.
        QCOMPARE(charts[0]->CurrentValue(0).toInt() & 1, 1);
        QCOMPARE(charts[2]->CurrentValue(1), "500");
        QLineSeries* dcLink = charts[1]->Series(2);
        QCOMPARE(charts[1]->CurrentValue(2), QString::number(dcLink->at(dcLink->count() - 1).y()));
        QTest::mouseClick(charts[1]->findChild<QCheckBox*>("shown 3"), Qt::LeftButton, {},
                          QPoint(5, 5));
        QVERIFY(!dcLink->isVisible());

        // Dragging a rectangle zooms in and holds the view; "확대 해제" lets it follow again.
        auto* view = charts[1]->findChild<QChartView*>();
        auto* axis = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Horizontal).first());
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(80, 40));
        QTest::mouseMove(view->viewport(), QPoint(200, 120));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(200, 120));
        QVERIFY(axis->max() < 120);
        double held = axis->max();
        QTest::qWait(500);
        QCOMPARE(axis->max(), held);
        QTest::mouseClick(In<QPushButton>(wnd, "monitorResetZoom"), Qt::LeftButton);
        QCOMPARE(axis->max(), 120.0);

        QString csv = drive.FilePath("watch.csv");
        AnswerFileDialogs({csv}, [&] {
            QTest::mouseClick(In<QPushButton>(wnd, "monitorRecord"), Qt::LeftButton);
        });
        // What the rows hold is the recorder's test.
        QTRY_VERIFY_WITH_TIMEOUT(FileContents(csv).count('\n') >= 10, 10000);

        QTRY_VERIFY_WITH_TIMEOUT(drive.WireLines().contains("#0.PRD 23"), 10000);
        ClickStart(wnd);
        // The rounds it counted reach the drive, and then nothing more.
        QRegularExpressionMatch rounds = QRegularExpression(QString::fromUtf8("라운드 (\\d+)"))
                                             .match(In<QLabel>(wnd, "monitorCounts")->text());
        QVERIFY(rounds.hasMatch());
        qsizetype sent = 3 + 3 * rounds.captured(1).toInt();
        QTRY_COMPARE_WITH_TIMEOUT(drive.WireLines().size(), sent, 10000);
        QTest::qWait(500);
        QStringList wire = drive.WireLines();
        QCOMPARE(wire.size(), sent);
        // The form's lines of one tick came together between rounds, none of which was cut.
        qsizetype version = wire.indexOf("#0.FRD 0");
        QCOMPARE(wire.mid(version, 3), QStringList({"#0.FRD 0", "#0.FRD 1", "#0.PRD 23"}));
        wire.remove(version, 3);
        QCOMPARE(version % 3, 0);
        for (qsizetype i = 0; i < wire.size(); i += 3) {
            QCOMPARE(wire.mid(i, 3), QStringList({"#0.STA", "#0.MVW", "#0.PRD 20"}));
        }

        ClickStart(wnd);
        QVERIFY(wnd->IsRunning());
        wnd->close();
        QVERIFY(!wnd->IsRunning());
        f.Frame().findChild<QAction*>("toolMonitor")->trigger();
        ClickStart(wnd);
        drive.Signal(SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(!wnd->IsRunning(), 10000);
        QVERIFY(wnd->StatusText().contains("포트가 닫혀"));
        QVERIFY(In<QCheckBox>(wnd, "monitorCodeMVW")->isEnabled());
    }
};

QTEST_MAIN(MonitorWndTest)
#include "MonitorWndTest.moc"
