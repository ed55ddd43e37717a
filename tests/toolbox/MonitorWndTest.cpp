// The live monitor with real widgets against the real simulated drive.
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QRegularExpression>
#include <QSpinBox>
#include <QValueAxis>
#include <cmath>
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

        // A drive that is ready, parameter 20 at 500: the PRD chart plots the value
        // alone, named after the parameter. Each value shown is the last plotted.
        QCOMPARE(charts[0]->CurrentValue(0).toInt() & 1, 1);
        QCOMPARE(charts[2]->Fields(), 1);
        QCOMPARE(charts[2]->Label(0), "가속시간");
        QCOMPARE(charts[2]->CurrentValue(0), "500");
        QLineSeries* dcLink = charts[1]->Series(2);
        QTRY_COMPARE(charts[1]->CurrentValue(2),
                     QString::number(dcLink->at(dcLink->count() - 1).y()));

        // The value axis follows the curves shown, on ticks of 1, 2 or 5: with the DC
        // link (about 3100) hidden, the speeds around 0 fill the chart.
        auto* view = charts[1]->findChild<QChartView*>();
        auto* values = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).first());
        QVERIFY(values->max() > 3000);
        for (const char* shown : {"shown 1", "shown 3"}) {
            QTest::mouseClick(charts[1]->findChild<QCheckBox*>(shown), Qt::LeftButton, {},
                              QPoint(5, 5));
        }
        QVERIFY(!dcLink->isVisible());
        QVERIFY(values->max() < 1000);
        double step = (values->max() - values->min()) / (values->tickCount() - 1);
        double power = std::pow(10, std::floor(std::log10(step)));
        QVERIFY2(QList<double>({1, 2, 5}).contains(step / power),
                 qPrintable(QString::number(step)));

        // "일시정지" holds the curves at once while the points go on coming.
        QLineSeries* speed = charts[1]->Series(1);
        In<QCheckBox>(wnd, "monitorPause")->setChecked(true);
        QList<QPointF> held = speed->points();
        size_t kept = charts[1]->Points(1).Size();
        QTRY_VERIFY(charts[1]->Points(1).Size() >= kept + 3);
        QCOMPARE(speed->points(), held);
        In<QCheckBox>(wnd, "monitorPause")->setChecked(false);
        QVERIFY(speed->points() != held);

        // Dragging a rectangle zooms in and holds the view; "확대 해제" lets it follow again.
        auto* axis = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Horizontal).first());
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(80, 40));
        QTest::mouseMove(view->viewport(), QPoint(200, 120));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(200, 120));
        QVERIFY(axis->max() < 120);
        double zoomed = axis->max();
        QTest::qWait(500);
        QCOMPARE(axis->max(), zoomed);
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

    // More commands than one interval can carry: the window says so, and stops saying
    // it when the monitor stops.
    void saysWhenRoundsCannotKeepTheInterval() {
        SimulatedDrive drive({"--run"});
        QVERIFY(drive.Started());
        FormFixture f;
        f.Click(1024);
        f.Frame().findChild<QAction*>("toolMonitor")->trigger();
        auto* wnd = f.Frame().findChild<CMonitorWnd*>("monitorWnd");
        for (const char* code : PollCommand::kCodes) Choose(wnd, code);
        auto* prd = In<QListWidget>(wnd, "monitorPrd");
        for (int n = 0; n < 30; ++n) prd->item(n)->setCheckState(Qt::Checked);
        In<QSpinBox>(wnd, "monitorInterval")->setValue(100);
        QVERIFY(wnd->RateText().isEmpty());
        ClickStart(wnd);
        QCOMPARE(wnd->RateText(), "100 ms마다 읽습니다.");
        // One line on the rate, and it is true: the interval it fails is not claimed.
        QTRY_VERIFY_WITH_TIMEOUT(wnd->RateText().contains("100 ms 주기를 지키지 못합니다"), 10000);
        QVERIFY(In<QLabel>(wnd, "monitorRate")->isVisible());
        QVERIFY(!wnd->StatusText().contains("ms마다"));
        ClickStart(wnd);
        QVERIFY(wnd->RateText().isEmpty());
        QVERIFY(!In<QLabel>(wnd, "monitorRate")->isVisible());
    }

    // A frame lays the curves out again only when they would move by a whole
    // pixel column; the newest points wait for that, or for the points to stop.
    void redrawsByWholeColumnsAndShowsTheLastPointsWhenTheyStop() {
        MonitorChart chart(QStringLiteral("MVW"), {QStringLiteral("a")});
        chart.resize(800, 400);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.SetSpan(120);
        auto lastDrawn = [&] {
            QLineSeries* series = chart.Series(0);
            return series->count() ? series->at(series->count() - 1).x() : -1.0;
        };
        chart.AddRow(1.0, {1});
        chart.Redraw();
        QCOMPARE(lastDrawn(), 1.0);  // a column is well under a second
        chart.AddRow(1.01, {2});
        chart.Redraw();
        QCOMPARE(lastDrawn(), 1.0);
        chart.Redraw();
        chart.Redraw();
        QCOMPARE(lastDrawn(), 1.01);
        QCOMPARE(chart.CurrentValue(0), QStringLiteral("2"));
    }

    // A chart drawn before it is first laid out (its plot has no height yet)
    // keeps every point: no run can be told to lie within a pixel row.
    void aChartNotYetLaidOutKeepsEveryPoint() {
        MonitorChart chart(QStringLiteral("MVW"), {});
        for (int i = 0; i < 5; ++i) chart.AddRow(i, {i % 2 * 1000});
        chart.SetSpan(120);
        QCOMPARE(chart.Series(0)->count(), 5);
    }

    // A new value at each frame repaints its label and lays nothing out again
    // (that was a layout of the whole window ten times a second); any value
    // shows whole, also after the font grows.
    void showsNewValuesWithoutLayingTheChartOutAgain() {
        MonitorChart chart(QStringLiteral("MVW"), {});
        chart.resize(600, 400);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.AddRow(0, {1, 2, 3, 4});
        chart.Redraw();
        QTest::qWait(50);
        struct LayoutRequests : QObject {
            int count = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                count += event->type() == QEvent::LayoutRequest;
                return false;
            }
        } requests;
        chart.installEventFilter(&requests);
        for (QWidget* child : chart.findChildren<QWidget*>()) child->installEventFilter(&requests);
        for (int i = 1; i <= 20; ++i) {
            chart.AddRow(i * 0.1, {i, -i * 1000, i * 77, INT32_MIN + i});
            chart.Redraw();
            QCoreApplication::processEvents();
        }
        QCOMPARE(requests.count, 0);
        QCOMPARE(chart.CurrentValue(1), QStringLiteral("-20000"));

        auto* widest = chart.findChild<QLabel*>(QStringLiteral("value 4"));
        QCOMPARE(widest->text(), QString::number(INT32_MIN + 20));
        QFont larger = chart.font();
        larger.setPointSize(larger.pointSize() * 2);
        for (const QFont& font : {chart.font(), larger}) {
            chart.setFont(font);
            QVERIFY2(widest->contentsRect().width() >=
                         widest->fontMetrics().horizontalAdvance(widest->text()),
                     qPrintable(QStringLiteral("%1 pt").arg(font.pointSize())));
        }
    }

    // The window goes into the free area beside the main window, whole on the
    // screen; where neither side has room for it, the main window moves to the
    // screen's left edge if that makes room, else the window lies over the main
    // window's right side.
    void fitsTheFreeAreaBesideTheMainWindow() {
        struct Case {
            const char* name;
            QRect room;
            QRect main;
            int mainLeftAfter;
            bool beside;
        };
        const Case cases[] = {
            {"wide screen", {0, 0, 1920, 1080}, {280, 100, 720, 780}, 280, true},
            {"1280 x 1024, main centred", {0, 0, 1280, 1024}, {280, 120, 720, 780}, 0, true},
            {"room on the left", {0, 0, 1280, 1024}, {560, 0, 720, 780}, 560, true},
            {"800 x 600", {0, 0, 800, 600}, {0, 0, 720, 600}, 0, false},
            {"second screen", {1280, 0, 1024, 768}, {1560, 0, 720, 768}, 1560, false},
        };
        FormFixture f;
        f.Frame().findChild<QAction*>("toolMonitor")->trigger();
        auto* wnd = f.Frame().findChild<CMonitorWnd*>("monitorWnd");
        for (const Case& c : cases) {
            QWidget main;
            main.setGeometry(c.main);
            QRect place = wnd->PlaceBeside(main, c.room);
            QVERIFY2(c.room.contains(place), c.name);
            QCOMPARE(main.x(), c.mainLeftAfter);
            QCOMPARE(!place.intersects(main.geometry()), c.beside);
            QVERIFY2(place.width() >= wnd->minimumSizeHint().width(), c.name);
            QVERIFY2(place.height() >= wnd->minimumSizeHint().height(), c.name);
        }
    }
};

QTEST_MAIN(MonitorWndTest)
#include "MonitorWndTest.moc"
