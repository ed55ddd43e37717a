// Every text of the form, the two value dialogs, the about box and the message
// boxes is shown whole at the default size with the installed fonts, and the form
// fits its 720 x 780 frame; on a small screen the frame fits the screen.
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

#include "FormFixture.h"
#include "Legibility.h"
#include "app/CAboutDlg.h"
#include "form/CValueDecDlg.h"
#include "form/CValueHexDlg.h"
#include "form/EchoListBox.h"
#include "form/MessageBox.h"

using Opener = std::function<void()>;
Q_DECLARE_METATYPE(Opener)

namespace {

QScrollArea* Scroller(CMainFrame& frame) {
    return qobject_cast<QScrollArea*>(frame.centralWidget());
}

bool Scrolls(CMainFrame& frame) {
    QScrollArea* scroller = Scroller(frame);
    QApplication::sendPostedEvents();
    return scroller->verticalScrollBar()->isVisible() ||
           scroller->horizontalScrollBar()->isVisible();
}

// The part of the form a person sees in the frame, in the form's coordinates.
QRect VisiblePart(CMainFrame& frame) {
    QWidget* viewport = Scroller(frame)->viewport();
    return QRect(frame.View()->mapFrom(viewport, QPoint(0, 0)), viewport->size());
}

// Lists every problem found, so that one run shows all of them.
QByteArray Listed(const QStringList& problems) {
    for (const QString& problem : problems) qWarning().noquote() << problem;
    return QStringLiteral("%1 problems, listed above").arg(problems.size()).toUtf8();
}

}  // namespace

class LegibilityTest : public QObject {
    Q_OBJECT
  private slots:
    // A mode changes only what the setup controls show: every function is shown
    // in each of them, with its polarity caption.
    void formIsWholeInItsFrameWithEveryFunction() {
        FormFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.Frame()));
        QStringList problems = Legibility::Problems(f.View().window(), f.View().window()->rect());
        problems += Legibility::Problems(&f.View(), VisiblePart(f.Frame()));
        if (f.Frame().frameGeometry().size() != QSize(720, 780)) problems.append("not 720 x 780");
        if (Scrolls(f.Frame())) problems.append("the form scrolls in its frame");
        // Beside a desktop's title bar of up to 40 pixels as well.
        f.Frame().resize(f.Frame().width(), 780 - 40);
        if (Scrolls(f.Frame())) problems.append("the form scrolls below a title bar");
        QVERIFY2(problems.isEmpty(), Listed(problems).constData());

        for (int item = 0; item < 11; ++item) {
            for (int t = 0; t < 7; ++t) {
                QComboBox* function = f.Combo(FormId::kFirstFunctionCombo + t);
                if (item >= function->count()) continue;
                f.Choose(FormId::kFirstFunctionCombo + t, item);
                QCOMPARE(Legibility::Shown(f.Check(FormId::kFirstPolarityBox + t)->text()),
                         function->itemText(item) + "극성");
            }
            problems = Legibility::Problems(&f.View(), VisiblePart(f.Frame()));
            QVERIFY2(problems.isEmpty(), Listed(problems).constData());
        }
    }

    void onASmallScreenTheFrameFitsAndTheFormScrolls() {
        QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QScreen* small = screens[1];
        RecentFileList recentFiles;
        CMainFrame frame(recentFiles);
        frame.View()->OnInitialUpdate();
        frame.setScreen(small);
        frame.move(small->availableGeometry().topLeft());
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.frameGeometry().size(), QSize(720, 600));
        QVERIFY(small->availableGeometry().contains(frame.frameGeometry()));
        QVERIFY(Scrolls(frame));
        QVERIFY(frame.statusBar()->isVisible());
        QVERIFY(frame.rect().contains(frame.statusBar()->geometry()));
    }

    // An echo list lays each line out once; a larger font lays them out anew,
    // and no line is cut at the width of the old one.
    void echoLinesAreWholeAfterTheFontGrows() {
        EchoListBox box;
        // Narrower than the lines: their widths are their own, not the list's.
        box.resize(60, 200);
        box.show();
        const std::string lines[] = {"#0.MVW 1500 12 3091 309", "#0.PRD 23 1500"};
        for (const std::string& line : lines) box.AppendLine(line);
        QVERIFY(box.visualItemRect(box.item(0)).width() > box.viewport()->width());
        QFont larger = box.font();
        larger.setPointSize(larger.pointSize() * 2);
        box.setFont(larger);
        for (int row = 0; row < box.count(); ++row) {
            QListWidgetItem* item = box.item(row);
            QVERIFY2(box.visualItemRect(item).width() >=
                         QFontMetrics(larger).horizontalAdvance(item->text()),
                     qPrintable(item->text()));
        }
    }

    void modalWindowsAreWhole_data() {
        QTest::addColumn<Opener>("open");
        for (int32_t number : ParamTable::Instance().ListedNumbers()) {
            QTest::addRow("parameter %d", number) << Opener([number] {
                CValueDlgBase& dialog = ParamTable::Instance().Entry(number).editKind == 0
                                            ? static_cast<CValueDlgBase&>(CValueDecDlg::Instance())
                                            : CValueHexDlg::Instance();
                int32_t value = 0;
                dialog.DoModal(nullptr, number, value);
            });
        }
        QTest::newRow("about box") << Opener([] { CAboutDlg().exec(); });
        const std::pair<const char*, const char*> kBoxes[] = {
            {"VELD_Host_Para", "File Error"},
            {"VELD_Host_Para", "포트를 열수가 없습니다."},
            {"TTY Error!", "<CE-110>"}};
        for (const auto& [caption, text] : kBoxes) {
            QTest::newRow(text) << Opener(
                [caption, text] { MessageBox::Show(nullptr, caption, text); });
        }
    }
    // Each checked while it is the modal window.
    void modalWindowsAreWhole() {
        QFETCH(Opener, open);
        QStringList problems("no modal window came up");
        QTimer::singleShot(0, [&] {
            QWidget* window = QApplication::activeModalWidget();
            if (!window) return;
            problems = Legibility::WindowProblems(window);
            window->close();
        });
        open();
        QVERIFY2(problems.isEmpty(), Listed(problems).constData());
    }
};

QTEST_MAIN(LegibilityTest)
#include "LegibilityTest.moc"
