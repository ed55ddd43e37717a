#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>

#include "form/EchoListBox.h"
#include "form/GuiNotifier.h"
#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "params/SetupParams.h"
#include "protocol/EchoList.h"
#include "protocol/ReplyWatch.h"
#include "protocol/ResponseDispatcher.h"
#include "protocol/TxQueue.h"
#include "serial/CTtyPort.h"

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
    void OnManualSend(QString CVELD_Host_ParaView::*command);

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

    CTtyPort& Port() { return m_port; }
    // For the tools beside the form: the queue every line goes through, and
    // the station the form's commands address (the ID text as last taken).
    TxQueue& Queue() { return m_txQueue; }
    int32_t StationId() const;
    bool IsDispatcherRunning() const { return m_dispatcher.IsRunning(); }
    // Workers that wait for the operator to dismiss their message box.
    int WorkersHeldByBoxes() const;

  signals:
    // A line for the frame's status bar.
    void StatusMessage(const QString& text);

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
    QString PortText() const;
    void ReportOpenFailure();
    void ReleaseLostPort();
    // Releases the connect toggle without running its handler.
    void ReleaseConnectToggle();
    void EchoReceivedLine();
    // Notes in the status bar when the request just queued gets no reply.
    void WatchForReply();
    void ClosePort();
    void ClosePortAndPause();
    void ShutDownNotifiers();
    void OnDestroy();
    // The path chosen in a file dialog, or empty when the operator cancelled.
    QString ChooseParamFile(bool save, bool existingOnly);
    bool ConfirmReplace(const QString& path);
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

    CTtyPort m_port{m_readerNotifier};
    int32_t m_nMode = 0;
    RefreshFlag m_bRefreshParams;
    ResponseDispatcher m_dispatcher{m_port, ParamTable::Instance(), m_bRefreshParams,
                                    m_dispatchNotifier};
    int32_t m_nGridRows = 0;
    int32_t m_nStationId = 0;
    TxQueue m_txQueue{*m_listTx};
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
    QString m_strCmd1;
    CMSFlexGrid* m_grid = nullptr;
    QString m_strCmd2;
    QString m_strCmd3;
    QString m_strCmd4;

    int32_t m_nRxEchoRead = 0;
    EchoList m_rxEcho{*m_listRx};

    int32_t m_nEditValue = 0;
    int32_t m_nClickCol = 0;
    int32_t m_nClickRow = 0;
    QString m_strFilePath;

    // The other controls the handlers reach.
    QLineEdit* m_editId = nullptr;
    std::array<QLineEdit*, 4> m_editCmd{};
    QPushButton* m_btnSetMode = nullptr;
    QTimer m_timer;
    // The form opened the port and has not closed it: a port that is no longer
    // connected then was lost.
    bool m_bPortOpened = false;
    bool m_bReleasingToggle = false;
    ReplyWatch m_replyWatch;
};
