#include "form/CVELD_Host_ParaView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <optional>
#include <thread>

#include "form/CValueDecDlg.h"
#include "form/CValueHexDlg.h"
#include "form/Cp949Text.h"
#include "form/FormFont.h"
#include "form/FormId.h"
#include "form/FormLayout.h"
#include "form/MessageBox.h"
#include "form/ParamFileCheckText.h"
#include "form/ParamFileDialog.h"
#include "form/PortComboBox.h"
#include "form/Utf8Text.h"
#include "grid/CMSFlexGrid.h"
#include "params/DecimalText.h"
#include "params/ParamFile.h"
#include "serial/PortDoctor.h"
#include "serial/PortFindingWords.h"

namespace {

constexpr int32_t kLastSetupParam = 49;
constexpr int kGridCols = 3;
constexpr int kHeaderRowTwips = 300;
constexpr int kColTwips[kGridCols] = {600, 1800, 800};

}  // namespace

CVELD_Host_ParaView::CVELD_Host_ParaView(QWidget* parent) : QWidget(parent) {
    // The images live in the static GUI library, which must register them.
    Q_INIT_RESOURCE(res);
    setFont(FormFont::Gulim());
    FormLayout(this).Create(m_listTx, m_listRx);
    BindControls();
    ConnectHandlers();
    m_timer.setInterval(kTimerMs);
    connect(&m_timer, &QTimer::timeout, this, &CVELD_Host_ParaView::OnTimer);
    EchoLinesAsTheyLeave();
    connect(&m_openFailure, &PortExamination::Examined, this,
            &CVELD_Host_ParaView::OnOpenFailureExamined);
}

void CVELD_Host_ParaView::EchoLinesAsTheyLeave() {
    // A queued signal carries no data across: the lines pass through the session's atomics.
    connect(this, &CVELD_Host_ParaView::LinesLeft, this, &CVELD_Host_ParaView::EchoGoneLines,
            Qt::QueuedConnection);
    m_session.SetGoneWake([this] {
        if (!m_bEchoPosted.exchange(true, std::memory_order_acq_rel)) emit LinesLeft();
    });
}

void CVELD_Host_ParaView::EchoGoneLines() {
    m_bEchoPosted.store(false, std::memory_order_release);
    m_session.EchoGoneLines();
}

CVELD_Host_ParaView::~CVELD_Host_ParaView() {
    m_timer.stop();
    LetGoOfPort();
    m_session.StopDispatch();
}

template <class Control>
Control* CVELD_Host_ParaView::Ctl(int id) const {
    return findChild<Control*>(QStringLiteral("ctl%1").arg(id), Qt::FindDirectChildrenOnly);
}

void CVELD_Host_ParaView::BindControls() {
    m_btnSendAll = Ctl<QPushButton>(FormId::kSendAllButton);
    m_btnApply = Ctl<QPushButton>(FormId::kApplyButton);
    for (int i = 0; i < SetupParams::kTerminals; ++i)
        m_chkPolarity[i] = Ctl<QCheckBox>(FormId::kFirstPolarityBox + 6 - i);
    m_cbMode = Ctl<QComboBox>(FormId::kModeCombo);
    for (int i = 0; i < SetupParams::kTerminals; ++i)
        m_cbFunc[i] = Ctl<QComboBox>(FormId::kFirstFunctionCombo + 6 - i);
    m_btnConnect = Ctl<QPushButton>(FormId::kConnectToggle);
    m_cbBaud = Ctl<QComboBox>(FormId::kBaudCombo);
    m_cbPort = Ctl<PortComboBox>(FormId::kPortCombo);
    m_editId = Ctl<QLineEdit>(FormId::kStationIdEdit);
    m_editCmd = {Ctl<QLineEdit>(FormId::kCommandEdit1), Ctl<QLineEdit>(FormId::kCommandEdit2),
                 Ctl<QLineEdit>(FormId::kCommandEdit3), Ctl<QLineEdit>(FormId::kCommandEdit4)};
    m_grid = Ctl<CMSFlexGrid>(FormId::kParamGrid);
    m_btnSetMode = Ctl<QPushButton>(FormId::kSetModeToggle);
}

void CVELD_Host_ParaView::ConnectHandlers() {
    auto button = [this](int id) { return Ctl<QPushButton>(id); };
    // "toggled", not "clicked": a screen reader's toggle action must connect too.
    connect(m_btnConnect, &QPushButton::toggled, this, [this] {
        if (!m_bReleasingToggle) OnConnect();
    });
    connect(m_btnSetMode, &QPushButton::toggled, this, &CVELD_Host_ParaView::OnSetMode);
    // "activated" comes from the operator only, never from a selection the form sets.
    connect(m_cbMode, &QComboBox::activated, this, &CVELD_Host_ParaView::OnModeChanged);
    for (int t = 0; t < SetupParams::kTerminals; ++t) {
        connect(FuncCombo(t), &QComboBox::activated, this,
                [this, t](int index) { OnFuncChanged(t, index); });
        connect(PolarityBox(t), &QCheckBox::clicked, this,
                [this, t](bool checked) { OnPolarityClicked(t, checked); });
    }
    connect(m_btnApply, &QPushButton::clicked, this, &CVELD_Host_ParaView::OnApplyAndSave);
    connect(button(FormId::kParamInitButton), &QPushButton::clicked, this,
            &CVELD_Host_ParaView::OnParamInit);
    connect(button(FormId::kVersionButton), &QPushButton::clicked, this,
            &CVELD_Host_ParaView::OnReadVersion);
    connect(button(FormId::kReadAllButton), &QPushButton::clicked, this,
            &CVELD_Host_ParaView::OnReadAll);
    connect(m_btnSendAll, &QPushButton::clicked, this, &CVELD_Host_ParaView::OnSendAll);
    static const int kSendIds[] = {FormId::kSendButton1, FormId::kSendButton2, FormId::kSendButton3,
                                   FormId::kSendButton4};
    for (int i = 0; i < kCommands; ++i)
        connect(button(kSendIds[i]), &QPushButton::clicked, this, [this, i] { OnManualSend(i); });
    connect(m_grid, &CMSFlexGrid::MouseDown, this, &CVELD_Host_ParaView::OnMouseDownGrid);
    connect(m_grid, &CMSFlexGrid::DblClick, this, &CVELD_Host_ParaView::OnDblClickGrid);
}

void CVELD_Host_ParaView::UpdateData(bool saveAndValidate) {
    QString* texts[] = {&m_strId, &m_strCmd[0], &m_strCmd[1], &m_strCmd[2], &m_strCmd[3]};
    QLineEdit* edits[] = {m_editId, m_editCmd[0], m_editCmd[1], m_editCmd[2], m_editCmd[3]};
    for (int i = 0; i < 1 + kCommands; ++i) {
        if (saveAndValidate) {
            *texts[i] = edits[i]->text();
        } else {
            edits[i]->setText(*texts[i]);
        }
    }
}

void CVELD_Host_ParaView::OnInitialUpdate() {
    m_nStationId = 0;
    m_strId = QString::number(m_nStationId);
    m_cbPort->setCurrentIndex(14);
    m_cbBaud->setCurrentIndex(4);
    m_strCmd.fill(QString());
    m_nMode = 1;
    m_cbMode->setCurrentIndex(m_nMode);
    UpdateSetupParams(true);
    SetUpGrid();
    // After File New the running dispatcher goes on; a second one would race it.
    m_session.StartDispatcher();
    m_timer.start();
}

void CVELD_Host_ParaView::TakeStationId() { m_nStationId = StationId(); }

int32_t CVELD_Host_ParaView::StationId() const { return DecimalText::Parse(m_strId.toStdString()); }

// ---- Connection and SET mode ----

namespace {

QString SelectedItem(const QComboBox* combo) {
    return combo->currentIndex() >= 0 ? combo->itemText(combo->currentIndex()) : QString();
}

}  // namespace

QString CVELD_Host_ParaView::ChosenPort() const { return m_cbPort->ShownPort(); }

void CVELD_Host_ParaView::UseStationId(int32_t station) {
    m_editId->setText(QString::number(station));
    UpdateData(true);
    TakeStationId();
}

void CVELD_Host_ParaView::OnConnect() {
    // A connect under way goes on; the toggle stays pressed.
    if (m_bConnecting) {
        SetConnectToggle(true);
        return;
    }
    // What the combo shows is what opens: a name typed into it, not only a list item.
    m_cbPort->TakeShownPort();
    QString portText = QString::fromStdString(
        DriveSession::PortText(ChosenPort().toStdString(), SelectedItem(m_cbBaud).toStdString()));
    UpdateData(true);
    m_session.SetReadInterval(5);
    if (m_session.IsConnected()) {
        int givenUp = m_session.GiveUpLines();
        ClosePort();
        m_btnConnect->setText(Text("통신연결"));
        emit StatusMessage(givenUp > 0 ? GivenUpText(givenUp) : QString());
        return;
    }
    m_bConnecting = true;
    m_strConnectPort = ChosenPort();
    if (DriveSession::IsNetworkPort(m_strConnectPort.toStdString())) {
        BeginConnect(portText);
    } else {
        EndConnect(m_session.OpenFromText(portText.toStdString()));
    }
}

QString CVELD_Host_ParaView::GivenUpText(int lines) const {
    QString text = Text("통신종료: %1줄이 전송되지 않았습니다").arg(lines);
    if (m_session.Unsaved()) text += Text(". 드라이브에 저장 안 된 값이 있습니다(PSV 안 나감)");
    return text;
}

void CVELD_Host_ParaView::BeginConnect(const QString& portText) {
    if (!m_session.BeginOpen(portText.toStdString())) {
        EndConnect(false);
        return;
    }
    // Pressed and waiting; the window goes on meanwhile.
    m_btnConnect->setEnabled(false);
    m_btnConnect->setCursor(Qt::BusyCursor);
    emit StatusMessage(Text("연결 중..."));
}

void CVELD_Host_ParaView::EndConnect(bool opened) {
    if (!opened) {
        // This attempt's reason is in the status bar while the box is up; a
        // network port's examination may connect, so it does not hold this thread.
        m_openFailure.Start(PortDoctor(), m_strConnectPort, m_session.LastOpenError());
        return;
    }
    m_cbPort->RememberConnected(m_strConnectPort);
    m_rxFollower.Restart();
    m_btnConnect->setText(Text("통신종료"));
    StopWaiting();
    emit StatusMessage(QString());
}

void CVELD_Host_ParaView::OnOpenFailureExamined(const PortDoctor::Report& report) {
    std::string reason = PortFindingWords::Of(report.Verdict()).reason.korean;
    emit StatusMessage(
        Text("포트를 열 수 없습니다: %1 (도구 > 포트 진단)").arg(QString::fromStdString(reason)));
    MessageBox::Show(this, Text("포트를 열수가 없습니다."));
    SetConnectToggle(false);
    StopWaiting();
}

void CVELD_Host_ParaView::StopWaiting() {
    m_btnConnect->setEnabled(true);
    m_btnConnect->unsetCursor();
    m_bConnecting = false;
}

void CVELD_Host_ParaView::SetConnectToggle(bool pressed) {
    m_bReleasingToggle = true;
    m_btnConnect->setChecked(pressed);
    m_bReleasingToggle = false;
}

void CVELD_Host_ParaView::OnSetMode() {
    TakeStationId();
    m_session.Queue().QueueParamWrite(m_nStationId, 100, 1);
    // A PWR sent alone is a write group of its own: read back when asked for.
    m_session.EndWriteGroup(m_nStationId);
    OwnLinesQueued();
}

// ---- Timer 0 ----

void CVELD_Host_ParaView::OnTimer() {
    if (std::optional<bool> opened = m_session.TakeOpenResult()) EndConnect(*opened);
    // The buttons wait for the form's own lines, not for a tool's polling.
    bool pending = m_session.Queue().GoneCount() < m_nOwnLinesEnd;
    m_btnApply->setHidden(pending);
    m_btnSendAll->setHidden(pending);
    int lines = m_session.Queue().Pending();
    bool connected = m_session.IsConnected();
    // Hands the lines to the writer; this thread never waits on the line.
    m_session.Tick(DriveSession::Clock::now());
    // Lines queued while a port opens wait for it.
    if (lines > 0 && !connected && !m_session.IsOpening()) {
        emit StatusMessage(Text("연결되지 않음: %1줄이 전송되지 않았습니다").arg(lines));
    }
    if (int refused = m_session.Queue().TakeRefused()) {
        emit StatusMessage(Text("보낼 줄이 가득 차서 %1줄을 보내지 않았습니다").arg(refused));
    }
    if (m_bRefreshParams.Take()) {
        ShowSetupParams();
        RefreshGridValues();
    }
    std::string line;
    if (m_rxFollower.Next(line)) m_rxEcho.Add(line.substr(0, kEchoBytes));
    // The reader lets go of a device that vanished; the toggle follows the port.
    if (m_session.TakePortLost()) {
        SetConnectToggle(false);
        m_btnConnect->setText(Text("통신연결"));
        emit StatusMessage(Text("포트 연결이 끊어졌습니다. 장치를 확인하고 다시 연결하십시오."));
    }
    if (m_replyWatch.Silent(m_session.Port().Ring().ReadIndex(), ReplyWatch::Clock::now())) {
        emit StatusMessage(
            Text("응답 없음: 1초 안에 드라이브의 응답이 없습니다. "
                 "포트, 통신속도와 ID를 확인하십시오."));
    }
}

// ---- Closing ----

void CVELD_Host_ParaView::ClosePort() {
    // A reader waiting on a message box must not keep Close from joining it;
    // its box stays for the operator.
    m_readerNotifier.Release();
    m_session.Close();
    m_readerNotifier.Rearm();
}

void CVELD_Host_ParaView::LetGoOfPort() {
    // The window goes: no worker waits on a box any more, and a box not yet
    // shown would come up without its window.
    m_readerNotifier.ShutDown();
    m_dispatchNotifier.ShutDown();
    if (!m_session.IsConnected()) return;
    ClosePort();
    std::this_thread::sleep_for(std::chrono::milliseconds(kClosePauseMs));
}

int CVELD_Host_ParaView::WorkersHeldByBoxes() const {
    return m_readerNotifier.HeldWorkers() + m_dispatchNotifier.HeldWorkers();
}

void CVELD_Host_ParaView::OnClose() {
    LetGoOfPort();
    m_session.RequestStopDispatch();
}

// ---- Setup steps ----

void CVELD_Host_ParaView::SetPolarityCaption(int t) {
    PolarityBox(t)->setText(FormLayout::PolarityCaption(FuncCombo(t)->currentText()));
}

void CVELD_Host_ParaView::UpdateSetupParams(bool loadPreset) {
    if (loadPreset) {
        m_nMode = m_cbMode->currentIndex();
        SetupParams::Choice preset = SetupParams::FromPreset(m_nMode);
        for (int t = 0; t < SetupParams::kTerminals; ++t) {
            FuncCombo(t)->setCurrentIndex(preset.functions[t]);
            SetPolarityCaption(t);
            PolarityBox(t)->setChecked(preset.polarity[t]);
        }
    }
    SetupParams::Choice shown;
    shown.mode = m_cbMode->currentIndex();
    for (int t = 0; t < SetupParams::kTerminals; ++t) {
        shown.functions[t] = FuncCombo(t)->currentIndex();
        shown.polarity[t] = PolarityBox(t)->isChecked();
    }
    SetupParams::Store(*m_pParamTable, shown);
    m_bRefreshParams.Raise();
    UpdateData(false);
}

void CVELD_Host_ParaView::OnModeChanged(int index) {
    m_cbMode->setCurrentIndex(index);
    m_pParamTable->SetParamValue(SetupParams::kMode, index);
    UpdateSetupParams(true);
}

void CVELD_Host_ParaView::OnFuncChanged(int terminal, int index) {
    FuncCombo(terminal)->setCurrentIndex(index);
    SetPolarityCaption(terminal);
    m_pParamTable->SetParamValue(SetupParams::kFirstFunction + terminal, index);
    m_bRefreshParams.Raise();
}

void CVELD_Host_ParaView::OnPolarityClicked(int terminal, bool checked) {
    ParamTable& table = *m_pParamTable;
    int32_t number = SetupParams::PolarityParam(terminal);
    int32_t bit = SetupParams::PolarityBit(terminal);
    int32_t value = table.GetParamValue(number);
    table.SetParamValue(number, checked ? value | bit : value & ~bit);
    m_bRefreshParams.Raise();
}

void CVELD_Host_ParaView::OnApplyAndSave() {
    UpdateSetupParams(false);
    TakeStationId();
    m_session.Queue().QueueSetupApply(m_nStationId, *m_pParamTable);
    OwnLinesQueued();
}

// ---- Bulk, version, initialisation, manual ----

void CVELD_Host_ParaView::OnReadAll() {
    TakeStationId();
    m_session.Queue().QueueReadAll(m_nStationId);
    OwnLinesQueued();
    WatchForReply();
}

void CVELD_Host_ParaView::OwnLinesQueued() { m_nOwnLinesEnd = m_session.Queue().QueuedCount(); }

void CVELD_Host_ParaView::WatchForReply() {
    // Lines queued without a port are reported as not sent instead.
    if (m_session.IsConnected()) {
        m_replyWatch.Arm(m_session.Port().Ring().ReadIndex(), ReplyWatch::Clock::now());
    }
}

void CVELD_Host_ParaView::OnSendAll() {
    TakeStationId();
    m_session.Queue().QueueSendAll(m_nStationId, *m_pParamTable);
    OwnLinesQueued();
}

void CVELD_Host_ParaView::OnReadVersion() {
    TakeStationId();
    m_session.Queue().QueueReadVersion(m_nStationId);
    OwnLinesQueued();
    WatchForReply();
}

void CVELD_Host_ParaView::OnParamInit() {
    TakeStationId();
    m_session.Queue().QueueParamInit(m_nStationId);
    OwnLinesQueued();
}

void CVELD_Host_ParaView::OnManualSend(int command) {
    UpdateData(true);
    m_session.Queue().QueueManual(Cp949Text::Encode(m_strCmd[command]));
    OwnLinesQueued();
}

// ---- The grid ----

void CVELD_Host_ParaView::SetUpGrid() {
    ParamTable& table = *m_pParamTable;
    std::vector<int32_t> listed = table.ListedNumbers();
    m_nGridRows = 1 + static_cast<int32_t>(listed.size());
    m_grid->SetRows(m_nGridRows);
    m_grid->SetCols(kGridCols);
    m_grid->SetRowHeight(0, kHeaderRowTwips);
    for (int col = 0; col < kGridCols; ++col) m_grid->SetColWidth(col, kColTwips[col]);
    FormLayout(this).FitGrid(m_grid);
    m_grid->SetTextMatrix(0, 0, QStringLiteral("PNo"));
    m_grid->SetTextMatrix(0, 1, Text("기능"));
    m_grid->SetTextMatrix(0, 2, Text("설정값"));
    m_RowMap.fill(RowSlot{});
    int row = 1;
    for (int32_t number : listed) {
        m_RowMap[row] = RowSlot{number, &table.Entry(number)};
        m_grid->SetCol(0);
        m_grid->SetRow(row);
        m_grid->SetText(QStringLiteral("%1  ").arg(number));
        m_grid->SetCol(1);
        m_grid->SetRow(row);
        m_grid->SetText(Text(table.Entry(number).name));
        ++row;
    }
    RefreshGridValues();
}

void CVELD_Host_ParaView::RefreshGridValues() {
    const ParamTable& table = *m_pParamTable;
    int row = 1;
    for (int32_t number : table.ListedNumbers()) {
        m_grid->SetCol(2);
        m_grid->SetRow(row++);
        m_grid->SetText(QStringLiteral("%1  ").arg(table.GetParamValue(number)));
    }
}

void CVELD_Host_ParaView::ShowSetupParam(int32_t number) {
    if (number < SetupParams::kInPolarity || number > kLastSetupParam) return;
    int32_t value = m_pParamTable->GetParamValue(number);
    if (number == SetupParams::kMode) {
        m_cbMode->setCurrentIndex(value);
    } else if (number >= SetupParams::kFirstFunction) {
        int terminal = number - SetupParams::kFirstFunction;
        FuncCombo(terminal)->setCurrentIndex(value);
        // The caption names the function the combo shows, wherever the value came from.
        SetPolarityCaption(terminal);
    } else {
        for (int t = 0; t < SetupParams::kTerminals; ++t) {
            if (SetupParams::PolarityParam(t) != number) continue;
            PolarityBox(t)->setChecked((value & SetupParams::PolarityBit(t)) != 0);
        }
    }
}

void CVELD_Host_ParaView::ShowSetupParams() {
    for (int32_t number = SetupParams::kInPolarity; number <= kLastSetupParam; ++number) {
        ShowSetupParam(number);
    }
}

void CVELD_Host_ParaView::OnMouseDownGrid(short, short, int, int) {
    m_nClickCol = m_grid->GetCol();
    m_nClickRow = m_grid->GetRow();
}

void CVELD_Host_ParaView::OnDblClickGrid() {
    if (m_nClickRow < 0 || m_nClickRow >= ParamTable::kCount) return;
    const RowSlot& slot = m_RowMap[m_nClickRow];
    if (slot.number < 0) return;
    int32_t number = slot.number;
    int32_t old = m_pParamTable->GetParamValue(number);
    CValueDlgBase* dialog = nullptr;
    if (slot.entry->editKind == 0) dialog = &CValueDecDlg::Instance();
    if (slot.entry->editKind == 1) dialog = &CValueHexDlg::Instance();
    if (!dialog || dialog->DoModal(this, number, m_nEditValue) != QDialog::Accepted) return;
    if (m_nEditValue == old) return;
    m_pParamTable->SetParamValue(number, m_nEditValue);
    ShowSetupParam(number);
    m_bRefreshParams.Raise();
    TakeStationId();
    m_session.Queue().QueueWriteGroup(m_nStationId, {{number, m_nEditValue}});
    OwnLinesQueued();
}

// ---- Parameter files ----

void CVELD_Host_ParaView::OnFileOpenParams() {
    QString path = ParamFileDialog::Choose(this, false, false);
    if (path.isEmpty()) return;
    m_strFilePath = path;
    if (!ParamFile::Read(m_strFilePath.toStdString(), *m_pParamTable, m_bRefreshParams)) {
        MessageBox::Show(this, QStringLiteral("File Error"));
    } else {
        m_session.Journal().Record(JournalRecord::File("opened", m_strFilePath.toStdString()));
    }
    emit StatusMessage(ParamFileCheckText::NotSetByOpen(m_strFilePath));
}

void CVELD_Host_ParaView::WriteParamFile(bool existingOnly) {
    QString path = ParamFileDialog::ChooseToSave(this, existingOnly);
    if (path.isEmpty()) return;
    m_strFilePath = path;
    if (!ParamFile::Write(m_strFilePath.toStdString(), *m_pParamTable)) {
        MessageBox::Show(this, QStringLiteral("File Error"));
    } else {
        m_session.Journal().Record(JournalRecord::File("saved", m_strFilePath.toStdString()));
    }
}

void CVELD_Host_ParaView::OnFileSaveParams() { WriteParamFile(false); }

void CVELD_Host_ParaView::OnFileSaveAsParams() { WriteParamFile(true); }
