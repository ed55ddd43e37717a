#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QTimer>

#include "app/CVELD_Host_ParaDoc.h"

class CMonitorWnd;
class CVELD_Host_ParaView;
class JournalTools;
class QAction;
class QLabel;
class QMenu;
class QToolBar;
class RecentFileList;
class SafeWriteTools;

// The one main window: fixed caption, menu 128, tool bar, status bar with the
// message pane and the CAP, NUM and SCRL indicators, and the form inside.
class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 720;
    static constexpr int kHeight = 780;

    explicit CMainFrame(RecentFileList& recentFiles, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CVELD_Host_ParaView* View() const { return m_view; }
    CVELD_Host_ParaDoc& Document() { return m_doc; }
    // File New: the document starts again and the form runs its initial update.
    void OnFileNew();
    // The action of a command id (57600 new, 57601 open, ...), or null.
    QAction* Command(int id) const;
    QToolBar* ToolBar() const { return m_toolBar; }
    QString StatusText() const;
    // Re-lists the recent files in the File menu.
    void UpdateRecentFileMenu();

  signals:
    void About();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QAction* AddCommand(QMenu* menu, int id, const char* text, const char* prompt = nullptr);
    void CreateMenus();
    // "도구": the additions beside the described commands.
    void CreateToolsMenu();
    // Compare, undo and read-back after writes.
    void AddSafeWriteItems(QMenu* tools);
    void OnMonitor();
    void OnStationScan();
    void OnPortDoctor();
    void OnCommission();
    // "작업 기록": a window of its own on the journal; its restore goes
    // through the compare flow of the safe writes.
    void OnHistory();
    // SIGINT or SIGTERM: recorded while a port is open, then every window closes.
    void OnStopSignal(int signal);
    void BindToView(int id, void (CVELD_Host_ParaView::*handler)());
    void CreateToolBar();
    void CreateStatusBar();
    void ShowMessage(const QString& text);
    // 720 x 780 with the window manager's frame, or the screen's free area where smaller.
    void FitOuterSize();
    void UpdateIndicators();

    RecentFileList& m_recentFiles;
    CVELD_Host_ParaDoc m_doc;
    CVELD_Host_ParaView* m_view = nullptr;
    SafeWriteTools* m_safeWrite = nullptr;
    JournalTools* m_journal = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    QList<QAction*> m_recentActions;
    QLabel* m_messagePane = nullptr;
    QLabel* m_indicators[3] = {};
    QTimer m_indicatorTimer;
    // The frame the outer size was fitted with; the window manager adds it after the show.
    QMargins m_frameMargins;
    bool m_bShown = false;
    CMonitorWnd* m_monitorWnd = nullptr;
};
