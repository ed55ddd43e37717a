// The application shell as the operator meets it: caption, menus, tool bar,
// status bar, about box, the recent-file list and the command line.
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "MessageBoxAnswerer.h"
#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CVELD_Host_ParaApp.h"
#include "form/CVELD_Host_ParaView.h"
#include "serial/PortMap.h"

namespace {

const QString kCaption = QString::fromUtf8("VELD설정프로그램(V1.0), MERO SYSTEMS");

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isVisible()) continue;
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

QStringList EnabledTexts(QMenu* menu, bool enabled) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->isVisible() && action->isEnabled() == enabled) {
            texts.append(action->text());
        }
    }
    return texts;
}

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT
  public:
    explicit ShellTest(CVELD_Host_ParaApp& app) : m_app(app) {}

  private slots:
    void cleanup() {
        m_app.ExitInstance();
        QSettings settings = CVELD_Host_ParaApp::Settings();
        settings.clear();
        PortMap::Clear();
    }

    void startUpShowsTheFixedCaptionAndSize() {
        QVERIFY(m_app.InitInstance({}));
        CMainFrame* frame = m_app.MainFrame();
        QCOMPARE(frame->windowTitle(), kCaption);
        QVERIFY(frame->isVisible());
        // The size is the outside, the window's frame included.
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(frame->frameGeometry().size() != frame->size());
        QCOMPARE(frame->frameGeometry().size(), QSize(CMainFrame::kWidth, CMainFrame::kHeight));
        QCOMPARE(frame->StatusText(), U("준비"));
        // File New reinitialises the form but never touches the caption.
        frame->Command(57600)->trigger();
        QCOMPARE(frame->windowTitle(), kCaption);
    }

    void qtsOwnDialogsSpeakKorean() {
        QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel |
                                 QDialogButtonBox::Yes | QDialogButtonBox::No);
        QStringList texts;
        for (QAbstractButton* button : buttons.buttons()) texts.append(button->text());
        texts.sort();
        QStringList korean({U("열기"), U("예(&Y)"), U("아니요(&N)"), U("취소")});
        korean.sort();
        QCOMPARE(texts, korean);
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* lookIn = dialog.findChild<QLabel*>("lookInLabel");
        QVERIFY(lookIn);
        QVERIFY2(!lookIn->text().contains("Look"), qPrintable(lookIn->text()));
    }

    void menusHoldEveryItemWithItsStateAndShortcut() {
        QVERIFY(m_app.InitInstance({}));
        CMainFrame* frame = m_app.MainFrame();
        QList<QMenu*> menus;
        for (QAction* action : frame->menuBar()->actions()) menus.append(action->menu());
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[0]->title(), U("파일(&F)"));
        QCOMPARE(menus[1]->title(), U("편집(&E)"));
        QCOMPARE(menus[2]->title(), U("보기(&V)"));
        QCOMPARE(
            MenuTexts(menus[0]),
            QStringList({U("새 파일(&N)\tCtrl+N"), U("열기(&O)...\tCtrl+O"), U("저장(&S)\tCtrl+S"),
                         U("다른 이름으로 저장(&A)..."), "-", U("최근 파일"), "-", U("종료(&X)")}));
        QCOMPARE(MenuTexts(menus[1]),
                 QStringList({U("취소(&U)\tCtrl+Z"), "-", U("잘라내기(&T)\tCtrl+X"),
                              U("복사(&C)\tCtrl+C"), U("붙여넣기(&P)\tCtrl+V")}));
        QCOMPARE(MenuTexts(menus[2]), QStringList({U("도구 모음(&T)"), U("상태 표시줄(&S)")}));
        // The additions have a menu of their own after the described ones.
        QCOMPARE(menus[3]->title(), U("도구(&T)"));
        QCOMPARE(MenuTexts(menus[3]),
                 QStringList({U("모니터(&M)..."), U("국번 검색(&S)..."), U("포트 진단(&D)..."), "-",
                              U("드라이브와 비교(&C)..."), U("되돌리기(&U)..."),
                              U("전송 후 확인(&V)")}));
        // The help menu stands apart at the right end.
        auto* helpBar = qobject_cast<QMenuBar*>(frame->menuBar()->cornerWidget(Qt::TopRightCorner));
        QVERIFY(helpBar);
        QMenu* help = helpBar->actions().first()->menu();
        QCOMPARE(help->title(), U("도움말(&H)"));
        QCOMPARE(MenuTexts(help), QStringList({U("VELD_Host_Para 정보(&A)...")}));

        // Commands nobody handles are disabled; the recent-file placeholder is greyed.
        QVERIFY(EnabledTexts(menus[1], true).isEmpty());
        QVERIFY(!frame->Command(57616)->isEnabled());
        QVERIFY(!frame->Command(57607)->isEnabled());
        QVERIFY(frame->Command(57600)->isEnabled());
        QVERIFY(frame->Command(57665)->isEnabled());

        struct Keys {
            int id;
            QList<QKeySequence> keys;
        };
        const Keys kKeys[] = {
            {57600, {QKeySequence("Ctrl+N")}},
            {57601, {QKeySequence("Ctrl+O")}},
            {57603, {QKeySequence("Ctrl+S")}},
            {57643, {QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}},
            {57635, {QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}},
            {57634, {QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}},
            {57637, {QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}},
            {57680, {QKeySequence("F6")}},
            {57681, {QKeySequence("Shift+F6")}},
        };
        for (const Keys& k : kKeys) QCOMPARE(frame->Command(k.id)->shortcuts(), k.keys);

        QCOMPARE(frame->Command(57600)->statusTip(), U("새 문서를 작성합니다"));
        QCOMPARE(frame->Command(57600)->toolTip(), U("새 파일"));
        QCOMPARE(frame->Command(57665)->statusTip(),
                 U("응용 프로그램을 종료하기 위해 문서를 저장할 것인지 묻습니다"));
        QCOMPARE(frame->Command(59393)->toolTip(), U("상태 표시줄 전환"));
        QVERIFY(frame->Command(57607)->statusTip().isEmpty());
    }

    void toolBarHoldsTheEightButtonsInOrder() {
        QVERIFY(m_app.InitInstance({}));
        CMainFrame* frame = m_app.MainFrame();
        QStringList order;
        for (QAction* action : frame->ToolBar()->actions()) {
            order.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
        }
        QCOMPARE(order, QStringList({"cmd57600", "cmd57601", "cmd57603", "-", "cmd57635",
                                     "cmd57634", "cmd57637", "-", "cmd57607", "-", "cmd57664"}));
        for (QAction* action : frame->ToolBar()->actions()) {
            if (!action->isSeparator()) QVERIFY(!action->icon().isNull());
        }
    }

    void viewMenuTogglesToolBarAndStatusBar() {
        QVERIFY(m_app.InitInstance({}));
        CMainFrame* frame = m_app.MainFrame();
        QAction* toolBar = frame->Command(59392);
        QAction* statusBar = frame->Command(59393);
        QVERIFY(toolBar->isChecked() && statusBar->isChecked());
        int formHeight = frame->centralWidget()->height();
        toolBar->trigger();
        statusBar->trigger();
        QVERIFY(!toolBar->isChecked() && !statusBar->isChecked());
        QVERIFY(frame->ToolBar()->isHidden());
        QVERIFY(frame->statusBar()->isHidden());
        QTRY_VERIFY(frame->centralWidget()->height() > formHeight);
        toolBar->trigger();
        QVERIFY(toolBar->isChecked() && !frame->ToolBar()->isHidden());
    }

    void exitClosesWithoutAskingAnything() {
        QVERIFY(m_app.InitInstance({}));
        CMainFrame* frame = m_app.MainFrame();
        MessageBoxAnswerer answerer;
        frame->Command(57665)->trigger();
        QTRY_VERIFY(!frame->isVisible());
        QCOMPARE(answerer.Count(), 0);
    }

    void aboutBoxShowsIconNameAndOkButton() {
        CAboutDlg about;
        QStringList texts;
        bool hasIcon = false;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            if (!label->pixmap().isNull()) hasIcon = true;
            if (!label->text().isEmpty()) texts.append(label->text());
        }
        QVERIFY(hasIcon);
        QCOMPARE(about.windowTitle(), U("VELD_Host_Para 정보"));
        QCOMPARE(texts.value(0), U("VELD_Host_Para 버전 1.0"));
        QCOMPARE(texts.value(1), U("Linux 판 Qt ") + qVersion());
        auto* ok = about.findChild<QPushButton*>("ctl1");
        QCOMPARE(ok->text(), U("확인"));
        QVERIFY(ok->isDefault());
        about.show();
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        about.show();
        QTest::keyClick(&about, Qt::Key_Return);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void fileOnTheCommandLineIsListedAndLoadsNothing() {
        QString path = QDir::current().absoluteFilePath("named.par");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("   20,             가속시간,        777 \r\n\r\n");
        file.close();
        QVERIFY(m_app.InitInstance({path}));
        CMainFrame* frame = m_app.MainFrame();
        QCOMPARE(m_app.RecentFiles().Entries(), QStringList({path}));
        QVERIFY(!frame->Command(57616)->isVisible());
        auto* entry = frame->findChild<QAction*>("recentFile1");
        QVERIFY(entry);
        QCOMPARE(entry->text(), "&1 " + path);
        QCOMPARE(ParamTable::Instance().GetParamValue(20), 0);
        entry->trigger();
        QTest::qWait(250);
        QCOMPARE(ParamTable::Instance().GetParamValue(20), 0);
        m_app.ExitInstance();

        // The list is kept in the settings store between runs, under its own group.
        QSettings settings = CVELD_Host_ParaApp::Settings();
        QVERIFY(settings.fileName().endsWith(
            U("Local AppWizard-Generated Applications/VELD_Host_Para.ini")));
        QCOMPARE(settings.value("Recent File List/File1").toString(), path);
        QVERIFY(m_app.InitInstance({}));
        QCOMPARE(m_app.RecentFiles().Entries(), QStringList({path}));
        QFile::remove(path);
    }

    void recentFileListKeepsFourNewestFirst() {
        RecentFileList list;
        for (const char* name : {"/a.par", "/b.par", "/c.par", "/d.par", "/e.par", "/c.par"}) {
            list.Add(name);
        }
        QCOMPARE(list.Entries(), QStringList({"/c.par", "/e.par", "/d.par", "/b.par"}));
    }

    void commandLinePortMappingsWinOverTheEnvironment() {
        qputenv("VELD_PORT_MAP", "COM15=/dev/env15;COM3=/dev/env3");
        QVERIFY(m_app.InitInstance({"--port-map", "COM15=/dev/cli15"}));
        QCOMPARE(PortMap::Resolve("COM15"), std::string("/dev/cli15"));
        QCOMPARE(PortMap::Resolve("COM3"), std::string("/dev/env3"));
        qunsetenv("VELD_PORT_MAP");
    }

    void badCommandLineEndsTheStartUp() {
        QVERIFY(!m_app.InitInstance({"--port-map", "nonsense"}));
        QVERIFY(!m_app.InitInstance({"--frobnicate"}));
        QVERIFY(!m_app.InitInstance({"a.par", "b.par"}));
    }

  private:
    CVELD_Host_ParaApp& m_app;
};

int main(int argc, char** argv) {
    CVELD_Host_ParaApp app(argc, argv);
    ShellTest test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "ShellTest.moc"
