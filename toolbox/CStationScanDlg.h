#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "protocol/StationScan.h"
#include "session/DriveSession.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;

// "국번 검색": asks each station of a range on the connected line for its
// version (FRD 0) through the session's queue, which the form's tick sends as
// it sends every line, and lists the stations that answered. The chosen one
// goes to the form's ID field.
class CStationScanDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kStepMs = 20;

    // `useStation` puts a station into the form's ID field.
    CStationScanDlg(DriveSession& session, std::function<void(int32_t)> useStation,
                    QWidget* parent = nullptr);
    ~CStationScanDlg() override;

    void OnStart();
    void OnStop();
    // The chosen station goes to the ID field, and the dialog closes.
    void OnUse();
    bool IsScanning() const { return m_scan && m_scan->IsRunning(); }

  protected:
    void reject() override;

  private:
    void CreateControls();
    void OnStep();
    void OnProgress(const StationScan::Progress& progress);
    void AddAnswer(const StationScan::Answer& answer);
    void ShowOutcome();
    void EnableChoice();

    DriveSession& m_session;
    std::function<void(int32_t)> m_useStation;

    QSpinBox* m_spinFirst = nullptr;
    QSpinBox* m_spinLast = nullptr;
    QSpinBox* m_spinWait = nullptr;
    QPushButton* m_btnStart = nullptr;
    QPushButton* m_btnStop = nullptr;
    QProgressBar* m_progress = nullptr;
    QTreeWidget* m_list = nullptr;
    QLabel* m_lblStatus = nullptr;
    QPushButton* m_btnUse = nullptr;

    std::unique_ptr<StationScan> m_scan;
    QTimer m_stepTimer;
};
