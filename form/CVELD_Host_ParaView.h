#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>

#include "form/EchoListBox.h"
#include "form/GuiNotifier.h"
#include "form/PortExamination.h"
#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "params/SetupParams.h"
#include "protocol/EchoList.h"
#include "protocol/ReplyWatch.h"
#include "protocol/RxLineFollower.h"
#include "session/DriveSession.h"

class CMSFlexGrid;
class PortComboBox;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The operator form that fills the main window: connection, the four setup
// steps, bulk and manual commands, the echo lists and the parameter grid.
class CVELD_Host_ParaView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTimerMs = 100;
    static constexpr int kClosePauseMs = 500;
    static constexpr int kEchoBytes = 25;
    static constexpr int kCommands = 4;

    struct RowSlot {
        int32_t number = -1;
        const ParamEntry* entry = nullptr;
    };

    explicit CVELD_Host_ParaView(QWidget* parent = nullptr);
    ~CVELD_Host_ParaView() override;

    void OnInitialUpdate();
    // WM_CLOSE: the port first, then the stop request to the dispatcher.
    void OnClose();

    // Connection and SET mode.
    void OnConnect();
    void OnSetMode();

    // Setup steps.
    void OnModeChanged(int index);
    void OnFuncChanged(int terminal, int index);
    void OnPolarityClicked(int terminal, bool checked);
    void OnApplyAndSave();

    // Bulk, version, initialisation and manual commands.
    void OnReadAll();
    void OnSendAll();
    void OnReadVersion();
    void OnParamInit();
    // Manual command 0..3, as its edit holds it.
    void OnManualSend(int command);

    // The grid.
    void RefreshGridValues();
    void ShowSetupParam(int32_t number);
    void ShowSetupParams();
    void OnMouseDownGrid(short button, short shift, int x, int y);
    void OnDblClickGrid();

    // The parameter file commands of the File menu.
    void OnFileOpenParams();
    void OnFileSaveParams();
    void OnFileSaveAsParams();

    void OnTimer();

    // For the tools of the "도구" menu: the drive session every line goes
    // through, the station the form's commands address (the ID text as last
    // taken), the port the combo shows (typed or chosen), and the station a
    // tool found, which the ID field takes as a connect takes it.
    DriveSession& Session() { return m_session; }
    int32_t StationId() const;
    QString ChosenPort() const;
    void UseStationId(int32_t station);
    bool IsDispatcherRunning() const { return m_session.IsDispatcherRunning(); }
    // Workers that wait for the operator to dismiss their message box.
    int WorkersHeldByBoxes() const;

  signals:
    // A line for the frame's status bar.
    void StatusMessage(const QString& text);
    // The writer has let lines go (emitted on its thread).
    void LinesLeft();

  private:
    template <class Control>
    Control* Ctl(int id) const;
    // Binds the members to the controls of the form's layout, by control id.
    void BindControls();
    void ConnectHandlers();

    void UpdateData(bool saveAndValidate);
    void UpdateSetupParams(bool loadPreset);
    void SetUpGrid();
    void TakeStationId();
    // A network port opens off this thread and ends at a tick; a device at once.
    void BeginConnect(const QString& portText);
    void EndConnect(bool opened);
    void OnOpenFailureExamined(const PortDoctor::Report& report);
    // The connect has ended: the toggle takes clicks again.
    void StopWaiting();
    // The status bar's words for lines a disconnect gave up.
    QString GivenUpText(int lines) const;
    // The writer tells of each line as it leaves; the echo follows on this thread.
    void EchoLinesAsTheyLeave();
    void EchoGoneLines();
    // Presses or releases the connect toggle without running its handler.
    void SetConnectToggle(bool pressed);
    // The lines just queued are the form's: its buttons hide until they have left.
    void OwnLinesQueued();
    // Notes in the status bar when the request just queued gets no reply.
    void WatchForReply();
    void ClosePort();
    void LetGoOfPort();
    void WriteParamFile(bool existingOnly);

    // Terminal t is IN1..IN4, OUT1..OUT3 (0..6).
    void SetPolarityCaption(int t);
    QComboBox* FuncCombo(int t) const { return m_cbFunc[SetupParams::kTerminals - 1 - t]; }
    QCheckBox* PolarityBox(int t) const { return m_chkPolarity[SetupParams::kTerminals - 1 - t]; }

    // The box parent and the echo lists exist before the objects that use them.
    // One notifier a worker: closing the port releases the reader alone.
    GuiNotifier m_readerNotifier{this};
    GuiNotifier m_dispatchNotifier{this};
    EchoListBox* m_listRx = new EchoListBox(this);
    EchoListBox* m_listTx = new EchoListBox(this);

    int32_t m_nMode = 0;
    RefreshFlag m_bRefreshParams;
    // The port, the dispatcher and the queue (m_txQueue), with the writer that
    // paces the queued lines off this thread.
    DriveSession m_session{ParamTable::Instance(), m_bRefreshParams, m_readerNotifier,
                           m_dispatchNotifier, *m_listTx};
    int32_t m_nGridRows = 0;
    int32_t m_nStationId = 0;
    ParamTable* m_pParamTable = &ParamTable::Instance();
    std::array<RowSlot, ParamTable::kCount> m_RowMap{};

    QPushButton* m_btnSendAll = nullptr;
    QPushButton* m_btnApply = nullptr;
    // Element i is check box 1018 - i and combo 1011 - i.
    std::array<QCheckBox*, SetupParams::kTerminals> m_chkPolarity{};
    QComboBox* m_cbMode = nullptr;
    std::array<QComboBox*, SetupParams::kTerminals> m_cbFunc{};
    QPushButton* m_btnConnect = nullptr;
    QComboBox* m_cbBaud = nullptr;
    PortComboBox* m_cbPort = nullptr;

    QString m_strId;
    std::array<QString, kCommands> m_strCmd;
    CMSFlexGrid* m_grid = nullptr;

    // Behind the dispatcher, from the start of the connection: the ring starts
    // again at each connect, and its older lines were not received now.
    RxLineFollower m_rxFollower{m_session.Port()};
    EchoList m_rxEcho{*m_listRx};

    int32_t m_nEditValue = 0;
    int32_t m_nClickCol = 0;
    int32_t m_nClickRow = 0;
    QString m_strFilePath;

    // The other controls the handlers reach.
    QLineEdit* m_editId = nullptr;
    std::array<QLineEdit*, kCommands> m_editCmd{};
    QPushButton* m_btnSetMode = nullptr;
    QTimer m_timer;
    bool m_bReleasingToggle = false;
    // From the connect click until the port is open or the failure's box is
    // dismissed; the port as the combo named it.
    bool m_bConnecting = false;
    QString m_strConnectPort;
    PortExamination m_openFailure;
    // An echo of the lines that left is on its way to this thread.
    std::atomic<bool> m_bEchoPosted{false};
    ReplyWatch m_replyWatch;
    // The queue's count of lines once the form's last line was queued.
    int64_t m_nOwnLinesEnd = 0;
};
