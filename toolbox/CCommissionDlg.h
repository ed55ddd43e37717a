#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "protocol/StationScan.h"
#include "session/CommissionReport.h"
#include "session/Commissioning.h"
#include "session/DriveSession.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// "일괄 설정": one parameter file to several drives on the connected line.
// The operator chooses the file and the stations (typed, or found by a
// station scan) and whether to send or only compare; each station is read,
// backed up, compared, sent what differs and read back, and its row shows
// where it is and how it ended. The run steps on the dialog's timer and the
// lines go through the session's queue, which the form's timer sends, so the
// window never waits. The report (JSON and HTML) and the backups go to the
// reports folder; "보고서 열기" shows the HTML in the desktop's program.
class CCommissionDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kStepMs = 20;

    explicit CCommissionDlg(DriveSession& session, QWidget* parent = nullptr);
    ~CCommissionDlg() override;

    // The file, the stations and what the folder to write to: each set
    // before a press of "시작" (the file chooser and tests set them).
    void SetFile(const QString& path);
    void SetStations(const QString& text);
    void SetCompareOnly(bool on);
    void SetReportFolder(const QString& folder) { m_reportFolder = folder; }

    void OnStart();
    void OnCancel();
    void OnScan();
    // Shows the report's HTML in the desktop's program.
    void OnOpenReport();
    bool IsBusy() const { return (m_run && m_run->Running()) || (m_scan && m_scan->IsRunning()); }
    const Commissioning* Run() const { return m_run.get(); }
    const CommissionReport* Report() const { return m_report.get(); }

  protected:
    void reject() override;

  private:
    void CreateControls();
    void OnBrowse();
    void OnStep();
    // A station's state changed: its row, the progress, the report.
    void OnProgress(const Commissioning::Station& station);
    void ShowOutcome();
    void OnScanProgress(const StationScan::Progress& progress);
    void ShowScanOutcome();
    void EnableControls();
    // False, with the reason shown, when no port is open.
    bool CheckConnected();
    // The texts typed, checked; false with the reason shown.
    bool CheckStart(std::vector<int32_t>& stations, std::optional<CommissionTarget>& target);

    DriveSession& m_session;
    QString m_reportFolder;

    QLineEdit* m_editFile = nullptr;
    QPushButton* m_btnBrowse = nullptr;
    QLineEdit* m_editIds = nullptr;
    QPushButton* m_btnScan = nullptr;
    QRadioButton* m_radioSend = nullptr;
    QRadioButton* m_radioCompare = nullptr;
    QTreeWidget* m_list = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_lblStatus = nullptr;
    QLabel* m_lblReport = nullptr;
    QPushButton* m_btnStart = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnOpenReport = nullptr;

    std::unique_ptr<CommissionReport> m_report;
    std::unique_ptr<Commissioning> m_run;
    std::unique_ptr<StationScan> m_scan;
    QTimer m_stepTimer;
};
