#include "app/CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QWindow>

#include "VeldVersion.h"
#include "app/KeyLockState.h"
#include "app/RecentFileList.h"
#include "app/StopSignals.h"
#include "form/CVELD_Host_ParaView.h"
#include "form/Named.h"
#include "form/Utf8Text.h"
#include "journal/JournalPath.h"
#include "journal/JournalRecord.h"
#include "toolbox/CCommissionDlg.h"
#include "toolbox/CHistoryWnd.h"
#include "toolbox/CMonitorWnd.h"
#include "toolbox/CPortDoctorDlg.h"
#include "toolbox/CStationScanDlg.h"
#include "toolbox/JournalTools.h"
#include "toolbox/SafeWriteTools.h"

namespace {

constexpr int kIndicatorMs = 250;

}  // namespace

CMainFrame::CMainFrame(RecentFileList& recentFiles, QWidget* parent)
    : QMainWindow(parent), m_recentFiles(recentFiles) {
    // The images live in the static GUI library, which must register them.
    Q_INIT_RESOURCE(res);
    // The caption never shows a document name.
    setWindowTitle(Text("VELD설정프로그램(V") + VeldVersion::kShort + Text("), MERO SYSTEMS"));
    setWindowIcon(QIcon(QStringLiteral(":/res/VELD_Host_Para.png")));
    FitOuterSize();
    m_view = new CVELD_Host_ParaView(this);
    // A form larger than the frame scrolls, as a form view does: on a screen
    // smaller than the frame.
    auto* scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setWidget(m_view);
    setCentralWidget(scroller);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(m_view, &CVELD_Host_ParaView::StatusMessage, this, &CMainFrame::ShowMessage);
    // The form takes the parameter file commands.
    BindToView(57601, &CVELD_Host_ParaView::OnFileOpenParams);
    BindToView(57603, &CVELD_Host_ParaView::OnFileSaveParams);
    BindToView(57604, &CVELD_Host_ParaView::OnFileSaveAsParams);
}

CMainFrame::~CMainFrame() {
    // The tools use the form's drive session: they go before the form does.
    delete m_monitorWnd;
    delete m_safeWrite;
    delete m_journal;
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const char* text, const char* prompt) {
    auto* action = Named(new QAction(Text(text), this), QStringLiteral("cmd%1").arg(id));
    if (prompt) {
        QStringList lines = Text(prompt).split('\n');
        action->setStatusTip(lines.value(0));
        action->setToolTip(lines.value(1, lines.value(0)));
    }
    // Commands nobody handles are shown disabled; a handler enables its own.
    action->setEnabled(false);
    if (menu) menu->addAction(action);
    addAction(action);
    return action;
}

void CMainFrame::BindToView(int id, void (CVELD_Host_ParaView::*handler)()) {
    QAction* action = Command(id);
    action->setEnabled(true);
    connect(action, &QAction::triggered, m_view, handler);
}

QAction* CMainFrame::Command(int id) const {
    return findChild<QAction*>(QStringLiteral("cmd%1").arg(id));
}

void CMainFrame::CreateMenus() {
    m_fileMenu = menuBar()->addMenu(Text("파일(&F)"));
    QAction* fileNew =
        AddCommand(m_fileMenu, 57600, "새 파일(&N)\tCtrl+N", "새 문서를 작성합니다\n새 파일");
    fileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    fileNew->setEnabled(true);
    connect(fileNew, &QAction::triggered, this, &CMainFrame::OnFileNew);
    AddCommand(m_fileMenu, 57601, "열기(&O)...\tCtrl+O", "기존 문서를 엽니다\n열기")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddCommand(m_fileMenu, 57603, "저장(&S)\tCtrl+S", "현재 열린 문서를 저장합니다\n저장")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    AddCommand(m_fileMenu, 57604, "다른 이름으로 저장(&A)...",
               "현재 열린 문서를 다른 이름으로 저장합니다\n다른 이름으로 저장");
    m_fileMenu->addSeparator();
    m_recentPlaceholder = AddCommand(m_fileMenu, 57616, "최근 파일", "이 문서를 엽니다");
    m_fileMenu->addSeparator();
    QAction* exit = AddCommand(m_fileMenu, 57665, "종료(&X)",
                               "응용 프로그램을 종료하기 위해 문서를 저장할 것인지 묻습니다\n종료");
    exit->setEnabled(true);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(Text("편집(&E)"));
    AddCommand(edit, 57643, "취소(&U)\tCtrl+Z", "마지막으로 한 동작을 취소합니다\n실행 취소")
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    edit->addSeparator();
    AddCommand(edit, 57635, "잘라내기(&T)\tCtrl+X",
               "선택 부분을 잘라내어 클립보드에 넣습니다\n잘라내기")
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    AddCommand(edit, 57634, "복사(&C)\tCtrl+C", "선택 부분을 복사하여 클립보드에 넣습니다\n복사")
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    AddCommand(edit, 57637, "붙여넣기(&P)\tCtrl+V", "클립보드의 내용을 붙여 넣습니다\n붙여넣기")
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    AddCommand(nullptr, 57607, "인쇄");
    // Next and previous pane: the form has no panes, so the keys do nothing.
    AddCommand(nullptr, 57680, "다음 창")->setShortcut(QKeySequence(Qt::Key_F6));
    AddCommand(nullptr, 57681, "이전 창")->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));

    QMenu* view = menuBar()->addMenu(Text("보기(&V)"));
    QAction* toolBar =
        AddCommand(view, 59392, "도구 모음(&T)", "도구 모음을 보이거나 감춥니다\n도구 모음 전환");
    QAction* statusBarAction = AddCommand(view, 59393, "상태 표시줄(&S)",
                                          "상태 표시줄을 표시하거나 감춥니다\n상태 표시줄 전환");
    for (QAction* toggle : {toolBar, statusBarAction}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
        toggle->setEnabled(true);
    }
    connect(toolBar, &QAction::toggled, this, [this](bool on) { m_toolBar->setVisible(on); });
    connect(statusBarAction, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
    CreateToolsMenu();

    // The help menu stands at the right end of the menu bar.
    auto* helpBar = Named(new QMenuBar(menuBar()), "helpMenuBar");
    QMenu* help = helpBar->addMenu(Text("도움말(&H)"));
    QAction* about = AddCommand(help, 57664, "VELD_Host_Para 정보(&A)...",
                                "프로그램 정보와 버전 정보, 저작권 정보를 표시합니다\n정보");
    about->setEnabled(true);
    connect(about, &QAction::triggered, this, &CMainFrame::About);
    menuBar()->setCornerWidget(helpBar, Qt::TopRightCorner);
    UpdateRecentFileMenu();
}

void CMainFrame::CreateToolsMenu() {
    QMenu* tools = Named(menuBar()->addMenu(Text("도구(&T)")), "toolsMenu");
    QAction* monitor = Named(tools->addAction(Text("모니터(&M)...")), "toolMonitor");
    monitor->setStatusTip(Text("고른 읽기 명령을 일정한 주기로 보내고 값을 그래프로 보여 줍니다"));
    connect(monitor, &QAction::triggered, this, &CMainFrame::OnMonitor);
    QAction* scan = Named(tools->addAction(Text("국번 검색(&S)...")), "toolStationScan");
    scan->setStatusTip(Text("연결된 선에서 응답하는 드라이브의 국번(ID)을 찾습니다"));
    connect(scan, &QAction::triggered, this, &CMainFrame::OnStationScan);
    QAction* doctor = Named(tools->addAction(Text("포트 진단(&D)...")), "toolPortDoctor");
    doctor->setStatusTip(Text("고른 포트가 열리지 않는 까닭과 고치는 방법을 보여 줍니다"));
    connect(doctor, &QAction::triggered, this, &CMainFrame::OnPortDoctor);
    tools->addSeparator();
    AddSafeWriteItems(tools);
    tools->addSeparator();
    QAction* commission = Named(tools->addAction(Text("일괄 설정(&B)...")), "toolCommission");
    commission->setStatusTip(
        Text("한 파라미터 파일을 여러 국번에 보내고 확인한 뒤 보고서를 남깁니다"));
    connect(commission, &QAction::triggered, this, &CMainFrame::OnCommission);
    QAction* history = Named(tools->addAction(Text("작업 기록(&H)...")), "toolHistory");
    history->setStatusTip(
        Text("드라이브에 한 작업을 찾아 보고, 기록된 값으로 되돌리거나 보고서로 저장합니다"));
    connect(history, &QAction::triggered, this, &CMainFrame::OnHistory);
}

void CMainFrame::AddSafeWriteItems(QMenu* tools) {
    m_journal = new JournalTools(m_view->Session(), this);
    connect(new StopSignals(this), &StopSignals::Received, this, &CMainFrame::OnStopSignal);
    m_safeWrite = new SafeWriteTools(
        m_view->Session(), [view = m_view] { return view->StationId(); }, this);
    connect(m_safeWrite, &SafeWriteTools::StatusMessage, this, &CMainFrame::ShowMessage);
    auto add = [tools](const char* name, const char* text, const char* tip) {
        QAction* action = Named(tools->addAction(Text(text)), QString::fromUtf8(name));
        action->setStatusTip(Text(tip));
        return action;
    };
    connect(add("toolCompare", "드라이브와 비교(&C)...",
                "파일과 드라이브의 값을 비교하고 고른 항목만 전송합니다"),
            &QAction::triggered, m_safeWrite, &SafeWriteTools::OnCompareWithDrive);
    connect(add("toolUndo", "되돌리기(&U)...",
                "작업 기록에 남은 드라이브 읽기 값으로 되돌리거나 파일로 저장합니다"),
            &QAction::triggered, m_safeWrite, &SafeWriteTools::OnUndo);
    QAction* verify = add("toolVerify", "전송 후 확인(&V)",
                          "쓰기마다 드라이브를 다시 읽어 보낸 값을 갖고 있는지 확인합니다");
    verify->setCheckable(true);
    connect(verify, &QAction::toggled, m_safeWrite, &SafeWriteTools::SetVerifyAfterWrite);
}

void CMainFrame::OnMonitor() {
    if (!m_monitorWnd) {
        m_monitorWnd = new CMonitorWnd(
            m_view->Session(), [view = m_view] { return view->StationId(); }, this);
    }
    m_monitorWnd->ShowBeside(*this);
}

void CMainFrame::OnStationScan() {
    CStationScanDlg dialog(
        m_view->Session(), [view = m_view](int32_t id) { view->UseStationId(id); }, this);
    dialog.exec();
}

void CMainFrame::OnCommission() {
    CCommissionDlg dialog(m_view->Session(), this);
    dialog.exec();
}

void CMainFrame::OnHistory() {
    auto* window = new CHistoryWnd(JournalPath::Default(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &CHistoryWnd::RestoreRequested, m_safeWrite,
            &SafeWriteTools::CompareWithRecorded);
    window->show();
}

void CMainFrame::OnPortDoctor() {
    CPortDoctorDlg dialog(m_view->ChosenPort(), PortDoctor(), this);
    dialog.exec();
}

void CMainFrame::UpdateRecentFileMenu() {
    for (QAction* action : m_recentActions) delete action;
    m_recentActions.clear();
    const QStringList& entries = m_recentFiles.Entries();
    m_recentPlaceholder->setVisible(entries.isEmpty());
    for (int i = 0; i < entries.size(); ++i) {
        auto* action = Named(new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(entries[i]), this),
                             QStringLiteral("recentFile%1").arg(i + 1));
        action->setStatusTip(Text("이 문서를 엽니다"));
        // The document reads nothing from the file, so choosing it loads nothing.
        m_fileMenu->insertAction(m_recentPlaceholder, action);
        m_recentActions.append(action);
    }
}

void CMainFrame::CreateToolBar() {
    m_toolBar = Named(addToolBar(Text("표준")), "ctl59392");
    m_toolBar->setIconSize(QSize(16, 15));
    struct Button {
        int id;
        const char* image;
    };
    // The program's own images: a theme's look-up would cost the start more than
    // the whole tool bar.
    static const Button kButtons[] = {
        {57600, "new"},   {57601, "open"}, {57603, "save"},  {0, nullptr},
        {57635, "cut"},   {57634, "copy"}, {57637, "paste"}, {0, nullptr},
        {57607, "print"}, {0, nullptr},    {57664, "about"},
    };
    for (const Button& button : kButtons) {
        if (button.id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = Command(button.id);
        action->setIcon(QIcon(QStringLiteral(":/res/toolbar_%1.png").arg(button.image)));
        m_toolBar->addAction(action);
    }
}

void CMainFrame::CreateStatusBar() {
    statusBar()->setObjectName(QStringLiteral("ctl59393"));
    m_messagePane = new QLabel(Text("준비"));
    statusBar()->addWidget(m_messagePane, 1);
    static const char* const kIndicators[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_indicators[i] = new QLabel(kIndicators[i]);
        m_indicators[i]->setAlignment(Qt::AlignCenter);
        m_indicators[i]->setFrameShape(QFrame::StyledPanel);
        statusBar()->addPermanentWidget(m_indicators[i]);
    }
    UpdateIndicators();
    connect(&m_indicatorTimer, &QTimer::timeout, this, &CMainFrame::UpdateIndicators);
    m_indicatorTimer.start(kIndicatorMs);
}

void CMainFrame::UpdateIndicators() {
    static const KeyLockState::Lock kLocks[] = {KeyLockState::Lock::kCaps, KeyLockState::Lock::kNum,
                                                KeyLockState::Lock::kScroll};
    for (int i = 0; i < 3; ++i) m_indicators[i]->setEnabled(KeyLockState::IsOn(kLocks[i]));
}

void CMainFrame::ShowMessage(const QString& text) {
    m_messagePane->setText(text.isEmpty() ? Text("준비") : text);
}

void CMainFrame::OnFileNew() {
    if (m_doc.OnNewDocument()) m_view->OnInitialUpdate();
}

QString CMainFrame::StatusText() const { return m_messagePane->text(); }

void CMainFrame::FitOuterSize() {
    QSize outside = QSize(kWidth, kHeight).boundedTo(screen()->availableGeometry().size());
    m_frameMargins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize(outside.shrunkBy(m_frameMargins));
}

bool CMainFrame::event(QEvent* event) {
    bool handled = QMainWindow::event(event);
    // At the first show the window is on its screen; the frame comes when the window
    // manager has decorated the window, which moves it.
    bool firstShow = event->type() == QEvent::Show && !m_bShown;
    bool framed = event->type() == QEvent::Move && windowHandle() &&
                  windowHandle()->frameMargins() != m_frameMargins;
    if (firstShow) m_bShown = true;
    if (firstShow || framed) FitOuterSize();
    return handled;
}

void CMainFrame::OnStopSignal(int signal) {
    DriveSession& session = m_view->Session();
    if (session.IsConnected()) {
        session.Journal().Record(JournalRecord::StoppedBy(signal));
    }
    QApplication::closeAllWindows();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // No question about saving: the document is never modified.
    if (m_monitorWnd) m_monitorWnd->close();
    m_view->OnClose();
    event->accept();
}
