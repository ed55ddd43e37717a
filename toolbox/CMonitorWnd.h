#pragma once

#include <QMap>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "protocol/PollCommand.h"
#include "protocol/PollMonitor.h"
#include "protocol/PollRecorder.h"
#include "session/DriveSession.h"

class MonitorChart;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

// "모니터": a window beside the main window that asks the chosen read
// commands at a steady interval through the drive session, plots every field
// and records the replies to a CSV file. Nothing is asked until the operator
// starts it; it stops itself when the port closes or is lost.
class CMonitorWnd : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kDefaultIntervalMs = 200;
    // How often the window takes the replies and looks whether a round is due.
    static constexpr int kPollMs = 20;
    // How often the charts show what came meanwhile.
    static constexpr int kFrameMs = 100;
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 780;

    // `stationId` gives the station the form's commands address at the start.
    CMonitorWnd(DriveSession& session, std::function<int32_t()> stationId,
                QWidget* parent = nullptr);
    ~CMonitorWnd() override;

    void OnStart();
    void OnStop();
    bool IsRunning() const { return m_monitor != nullptr; }
    // Beside `main` in the screen's free area, the whole window on the screen;
    // where neither side of `main` has room but the screen is wide enough for
    // both, `main` moves to the screen's left edge. The window is shown and raised.
    void ShowBeside(QWidget& main);
    // Where ShowBeside puts the window (its inside, without the frame) in `room`.
    QRect PlaceBeside(QWidget& main, const QRect& room);

    // For tests: the charts in command order and the shown status.
    const std::vector<MonitorChart*>& Charts() const { return m_charts; }
    QString StatusText() const;
    // The one line on how often the rounds go: the interval while they keep
    // it, in red how often they go when they do not; empty while stopped.
    QString RateText() const;
    const PollSchedule* Schedule() const { return m_monitor ? &m_monitor->Schedule() : nullptr; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    QWidget* CreateCommandBox();
    QHBoxLayout* CreateRunBar();
    QHBoxLayout* CreateViewBar();
    std::vector<PollCommand> ChosenCommands() const;
    void EnableChoice(bool enable);
    void ClearCharts();
    void OnPoll();
    void TakeRow(const PollMonitor::Row& row);
    void OnRecord(bool on);
    void StopRecording(const QString& why);
    void OnPause(bool paused);
    void OnResetZoom();
    void OnSpanChanged(int index);
    void OnFrame();
    void ShowCounts();
    void ShowRate();
    void ShowRateLine(const QString& text, bool behind);
    void ShowStatus(const QString& text);

    DriveSession& m_session;
    std::function<int32_t()> m_stationId;

    std::array<QCheckBox*, std::size(PollCommand::kCodes)> m_codeBoxes{};
    QListWidget* m_prdList = nullptr;
    QSpinBox* m_interval = nullptr;
    QPushButton* m_btnStart = nullptr;
    QPushButton* m_btnRecord = nullptr;
    QCheckBox* m_chkPause = nullptr;
    QComboBox* m_cbSpan = nullptr;
    QLabel* m_lblCounts = nullptr;
    QLabel* m_lblStatus = nullptr;
    QLabel* m_lblRate = nullptr;
    QVBoxLayout* m_chartLayout = nullptr;

    std::unique_ptr<PollMonitor> m_monitor;
    std::vector<MonitorChart*> m_charts;
    // Field labels the operator gave, by chart, for the session.
    QMap<QString, QStringList> m_labels;
    PollRecorder m_recorder;
    QTimer m_pollTimer;
    QTimer m_frameTimer;
    // The schedule's counts a second ago: whether slots were skipped since.
    struct Counts {
        PollMonitor::Clock::time_point at;
        int64_t sent = 0;
        int64_t skipped = 0;
    };
    Counts m_lastCounts;
    PollMonitor::Clock::time_point m_countsShownAt;
};
