#include "form/CVELD_Host_ParaView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/FormFont.h"
#include "form/CValueDecDlg.h"
#include "form/CValueHexDlg.h"
#include "form/Cp949Text.h"
#include "form/DialogUnits.h"
#include "form/MessageBox.h"
#include "form/ParamFileDialog.h"
#include "form/PortComboBox.h"
#include "grid/CMSFlexGrid.h"
#include "params/DecimalText.h"
#include "params/ParamFile.h"

namespace {

constexpr int kFormWidthDlu = 389;
constexpr int kFormHeightDlu = 443;
constexpr int kPolarityCaptionChars = 21;
constexpr int32_t kLastSetupParam = 49;
constexpr int kGridCols = 3;
constexpr int kHeaderRowTwips = 300;
constexpr int kColTwips[kGridCols] = {600, 1800, 800};

const char* const kModeItems[] = {"0 : 통신운전", "1 : RUN/STOP운전", "2 : CW/CCW운전",
                                  "3 : SPEED INDEX운전"};
const char* const kInItems[] = {"0 : USER",
                                "1 : RUN/STOP",
                                "2 : DIR",
                                "3 : CW",
                                "4 : CCW",
                                "5 : RESET",
                                "6 : EMG",
                                "7 : SPD INDEX1",
                                "8 : SPD INDEX2",
                                "9 : SPD INDEX3",
                                "10 : RUN/STOP & RESET"};
const char* const kOutItems[] = {"0 : USER", "1 : ALARM",    "2 : SPEED OUT",
                                 "3 : DIR",  "4 : UPTO SPD", "5 : ZERO SPD"};
const char* const kBaudItems[] = {"9600", "19200", "38400", "57600", "115200", ""};

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

void Place(QWidget* widget, const DialogUnits& du, int x, int y, int w, int h) {
    widget->setGeometry(du.Rect(x, y, w, h));
}

// A control the handlers address: object name "ctl<ID>" for finding it, and
// the name a screen reader announces when it has no caption of its own.
template <class Widget>
Widget* Control(Widget* widget, int id, const char* accessibleName = nullptr) {
    widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    if (!accessibleName) return widget;
    widget->setAccessibleName(Text(accessibleName));
    // On Linux a combo box announces its text as its name; the name goes to its
    // edit field, which holds the focus while the operator is in the combo.
    auto* combo = qobject_cast<QComboBox*>(widget);
    if (combo && combo->lineEdit()) combo->lineEdit()->setAccessibleName(Text(accessibleName));
    return widget;
}

template <size_t N>
QComboBox* DropDown(QWidget* parent, const char* const (&items)[N]) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const char* item : items) combo->addItem(Text(item));
    return combo;
}

QPushButton* Toggle(QWidget* parent, const char* caption) {
    auto* button = new QPushButton(Text(caption), parent);
    button->setCheckable(true);
    return button;
}

void Label(QWidget* parent, const DialogUnits& du, const char* caption, int x, int y, int w,
           int h) {
    Place(new QLabel(Text(caption), parent), du, x, y, w, h);
}

void Group(QWidget* parent, const DialogUnits& du, const char* caption, int x, int y, int w,
           int h) {
    auto* group = new QGroupBox(Text(caption), parent);
    Place(group, du, x, y, w, h);
    group->lower();
}

}  // namespace

CVELD_Host_ParaView::CVELD_Host_ParaView(QWidget* parent) : QWidget(parent) {
    // The images live in the static GUI library, which must register them.
    Q_INIT_RESOURCE(res);
    setFont(FormFont::Gulim());
    CreateControls();
    ConnectHandlers();
    m_timer.setInterval(kTimerMs);
    connect(&m_timer, &QTimer::timeout, this, &CVELD_Host_ParaView::OnTimer);
}

CVELD_Host_ParaView::~CVELD_Host_ParaView() { OnDestroy(); }

void CVELD_Host_ParaView::CreateControls() {
    DialogUnits du(font());
    setMinimumSize(du.Size(kFormWidthDlu, kFormHeightDlu));
    CreateConnectionArea(du);
    CreateSetupArea(du);
    CreateCommandArea(du);
    CreateGridArea(du);
}

void CVELD_Host_ParaView::CreateConnectionArea(const DialogUnits& du) {
    Group(this, du, "통신설정", 6, 3, 229, 31);
    Label(this, du, "ID : ", 9, 16, 14, 8);
    m_editId = Control(new QLineEdit(this), 1025, "ID");
    m_editId->setAlignment(Qt::AlignCenter);
    Place(m_editId, du, 25, 13, 17, 12);
    m_cbPort = Control(new PortComboBox(this), 1021, "COM 포트");
    Place(m_cbPort, du, 52, 13, 41, 12);
    m_cbBaud = Control(DropDown(this, kBaudItems), 1022, "통신속도");
    Place(m_cbBaud, du, 98, 13, 41, 12);
    m_btnConnect = Control(Toggle(this, "통신연결"), 1024);
    Place(m_btnConnect, du, 143, 13, 43, 15);
    m_btnSetMode = Control(Toggle(this, "SET로\n모드변경"), 1033);
    Place(m_btnSetMode, du, 197, 12, 34, 20);
}

void CVELD_Host_ParaView::CreateSetupArea(const DialogUnits& du) {
    Group(this, du, "1단계 : 운전모드선택", 7, 37, 229, 31);
    Label(this, du, "운전모드 (파라미터 42)", 14, 52, 93, 11);
    m_cbMode = Control(DropDown(this, kModeItems), 1004, "운전모드");
    Place(m_cbMode, du, 124, 51, 100, 12);

    Group(this, du, "2단계 : IN/OUT 기능선택", 7, 72, 229, 131);
    static const char* const kFuncLabels[] = {
        "IN1 기능선택 (파라미터 43)", "IN2 기능선택 (파라미터 44)", "IN3 기능선택 (파라미터 45)",
        "IN4 기능선택 (파라미터 46)", "OUT1기능선택(파라미터47)",   "OUT2기능선택(파라미터48)",
        "OUT3기능선택(파라미터49)"};
    static const char* const kFuncNames[] = {"IN1 기능",  "IN2 기능",  "IN3 기능", "IN4 기능",
                                             "OUT1 기능", "OUT2 기능", "OUT3 기능"};
    static const int kFuncY[] = {86, 102, 118, 134, 156, 171, 186};
    for (int t = 0; t < SetupParams::kTerminals; ++t) {
        Label(this, du, kFuncLabels[t], 14, kFuncY[t], 108, 8);
        QComboBox* combo =
            t < SetupParams::kInTerminals ? DropDown(this, kInItems) : DropDown(this, kOutItems);
        m_cbFunc[SetupParams::kTerminals - 1 - t] = Control(combo, 1005 + t, kFuncNames[t]);
        Place(combo, du, 124, kFuncY[t], 100, 12);
    }

    Group(this, du, "3단계 : IN/OUT 극성선택", 7, 206, 229, 64);
    static const char* const kPolarityCaptions[] = {"IN1극성",  "IN2극성",  "IN3극성", "IN4극성",
                                                    "OUT1극성", "OUT2극성", "OUT3극성"};
    for (int t = 0; t < SetupParams::kTerminals; ++t) {
        auto* box = Control(new QCheckBox(Text(kPolarityCaptions[t]), this), 1012 + t);
        m_chkPolarity[SetupParams::kTerminals - 1 - t] = box;
        bool in = t < SetupParams::kInTerminals;
        int row = in ? t : t - SetupParams::kInTerminals;
        Place(box, du, in ? 14 : 124, 218 + 13 * row, 101, 10);
    }

    Group(this, du, "4단계 : 모드적용 및 저장", 7, 272, 229, 35);
    m_btnApply = Control(new QPushButton(Text("전송 및 저장하기"), this), 1032);
    Place(m_btnApply, du, 16, 283, 65, 20);
    Place(Control(new QPushButton(Text("파라미터 초기화"), this), 1042), du, 89, 283, 65, 20);
    Place(Control(new QPushButton(Text("버전읽기"), this), 1040), du, 162, 283, 65, 20);
}

void CVELD_Host_ParaView::CreateCommandArea(const DialogUnits& du) {
    Group(this, du, "수동명령어 입력 :", 7, 310, 229, 118);
    static const int kEditIds[] = {1026, 1030, 1034, 1037};
    static const int kSendIds[] = {1027, 1031, 1035, 1038};
    static const char* const kEditNames[] = {"수동명령어 1", "수동명령어 2", "수동명령어 3",
                                             "수동명령어 4"};
    for (int i = 0; i < 4; ++i) {
        int x = i < 2 ? 12 : 124;
        int y = i % 2 == 0 ? 324 : 341;
        m_editCmd[i] = Control(new QLineEdit(this), kEditIds[i], kEditNames[i]);
        Place(m_editCmd[i], du, x, y, 67, 14);
        Place(Control(new QPushButton(Text("전송"), this), kSendIds[i]), du, x + 71, y, 33, 14);
    }
    Place(Control(m_listTx, 1039, "송신 명령"), du, 13, 365, 102, 55);
    Place(Control(m_listRx, 1041, "수신 응답"), du, 126, 366, 102, 55);
}

void CVELD_Host_ParaView::CreateGridArea(const DialogUnits& du) {
    Place(Control(new QPushButton(Text("읽어오기"), this), 1028), du, 244, 9, 60, 27);
    m_btnSendAll = Control(new QPushButton(Text("전체전송하기"), this), 1036);
    Place(m_btnSendAll, du, 312, 9, 60, 27);
    m_grid = Control(new CMSFlexGrid(this), 1029, "파라미터");
    Place(m_grid, du, 243, 46, 134, 335);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/res/bitmap142.png")));
    picture->setScaledContents(true);
    picture->setAccessibleName(QStringLiteral("MERO SYSTEMS"));
    Place(picture, du, 248, 391, 123, 35);
}

void CVELD_Host_ParaView::ConnectHandlers() {
    auto button = [this](int id) {
        return findChild<QPushButton*>(QStringLiteral("ctl%1").arg(id));
    };
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
    connect(button(1042), &QPushButton::clicked, this, &CVELD_Host_ParaView::OnParamInit);
    connect(button(1040), &QPushButton::clicked, this, &CVELD_Host_ParaView::OnReadVersion);
    connect(button(1028), &QPushButton::clicked, this, &CVELD_Host_ParaView::OnReadAll);
    connect(m_btnSendAll, &QPushButton::clicked, this, &CVELD_Host_ParaView::OnSendAll);
    static QString CVELD_Host_ParaView::*const kCommands[] = {
        &CVELD_Host_ParaView::m_strCmd1, &CVELD_Host_ParaView::m_strCmd2,
        &CVELD_Host_ParaView::m_strCmd3, &CVELD_Host_ParaView::m_strCmd4};
    static const int kSendIds[] = {1027, 1031, 1035, 1038};
    for (int i = 0; i < 4; ++i) {
        QString CVELD_Host_ParaView::*command = kCommands[i];
        connect(button(kSendIds[i]), &QPushButton::clicked, this,
                [this, command] { OnManualSend(command); });
    }
    connect(m_grid, &CMSFlexGrid::MouseDown, this, &CVELD_Host_ParaView::OnMouseDownGrid);
    connect(m_grid, &CMSFlexGrid::DblClick, this, &CVELD_Host_ParaView::OnDblClickGrid);
}

void CVELD_Host_ParaView::UpdateData(bool saveAndValidate) {
    QString* texts[] = {&m_strId, &m_strCmd1, &m_strCmd2, &m_strCmd3, &m_strCmd4};
    QLineEdit* edits[] = {m_editId, m_editCmd[0], m_editCmd[1], m_editCmd[2], m_editCmd[3]};
    for (int i = 0; i < 5; ++i) {
        if (saveAndValidate) {
            *texts[i] = edits[i]->text();
        } else {
            edits[i]->setText(*texts[i]);
        }
    }
}

void CVELD_Host_ParaView::OnInitialUpdate() {
    UpdateData(false);
    m_nStationId = 0;
    m_strId = QString::number(m_nStationId);
    m_cbPort->setCurrentIndex(14);
    m_cbBaud->setCurrentIndex(4);
    m_strCmd1.clear();
    m_strCmd2.clear();
    m_strCmd3.clear();
    m_strCmd4.clear();
    m_nMode = 1;
    m_cbMode->setCurrentIndex(m_nMode);
    UpdateSetupParams(true);
    SetUpGrid();
    UpdateData(false);
    // After File New the running dispatcher goes on; a second one would race it.
    m_dispatcher.Start();
    m_timer.start();
}

void CVELD_Host_ParaView::TakeStationId() {
    m_nStationId = DecimalText::Parse(m_strId.toStdString());
}

// ---- Connection and SET mode ----

QString CVELD_Host_ParaView::PortText() const {
    auto selected = [](const QComboBox* combo) {
        return combo->currentIndex() >= 0 ? combo->itemText(combo->currentIndex()) : QString();
    };
    return QStringLiteral("\\\\.\\") + selected(m_cbPort) + ":" + selected(m_cbBaud) + ",N,8,0";
}

void CVELD_Host_ParaView::OnConnect() {
    QString portText = PortText();
    UpdateData(true);
    m_port.SetReadInterval(5);
    if (m_port.IsConnected()) {
        ClosePort();
        m_btnConnect->setText(Text("통신연결"));
        emit StatusMessage(QString());
        return;
    }
    if (m_port.OpenFromText(portText.toStdString())) {
        m_bPortOpened = true;
        m_btnConnect->setText(Text("통신종료"));
        emit StatusMessage(QString());
        return;
    }
    MessageBox::Show(this, Text("포트를 열수가 없습니다."));
    ReleaseConnectToggle();
    ReportOpenFailure();
}

void CVELD_Host_ParaView::ReportOpenFailure() {
    QString reason;
    switch (m_port.LastOpenError()) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            reason = Text("장치가 없습니다");
            break;
        case EACCES:
        case EPERM:
            reason = Text(
                "권한이 없습니다 (사용자를 dialout 그룹에 추가하십시오: "
                "sudo usermod -aG dialout $USER, 다시 로그인)");
            break;
        case EBUSY:
            reason = Text("다른 프로그램이 사용 중입니다");
            break;
        default:
            reason = QString::fromLocal8Bit(std::strerror(m_port.LastOpenError()));
            break;
    }
    emit StatusMessage(Text("포트를 열 수 없습니다: ") + reason);
}

void CVELD_Host_ParaView::ReleaseConnectToggle() {
    m_bReleasingToggle = true;
    m_btnConnect->setChecked(false);
    m_bReleasingToggle = false;
}

void CVELD_Host_ParaView::ReleaseLostPort() {
    m_bPortOpened = false;
    ReleaseConnectToggle();
    m_btnConnect->setText(Text("통신연결"));
    emit StatusMessage(Text("포트 연결이 끊어졌습니다. 장치를 확인하고 다시 연결하십시오."));
}

void CVELD_Host_ParaView::OnSetMode() {
    TakeStationId();
    m_txQueue.QueueParamWrite(m_nStationId, 100, 1);
}

// ---- Timer 0 ----

void CVELD_Host_ParaView::OnTimer() {
    bool pending = m_txQueue.HasPending();
    m_btnApply->setHidden(pending);
    m_btnSendAll->setHidden(pending);
    m_txQueue.FlushTxQueue(m_port);
    if (m_bRefreshParams.Take()) {
        ShowSetupParams();
        RefreshGridValues();
    }
    EchoReceivedLine();
    // The reader lets go of a device that vanished; the toggle follows the port.
    if (m_bPortOpened && !m_port.IsConnected()) ReleaseLostPort();
}

void CVELD_Host_ParaView::EchoReceivedLine() {
    if (m_nRxEchoRead == m_port.RxReadIndex()) return;
    char line[kEchoBytes];
    size_t length = m_port.CopyRxLine(m_nRxEchoRead, line, kEchoBytes);
    m_rxEcho.Add(std::string(line, length));
    m_nRxEchoRead = (m_nRxEchoRead + 1) % CTtyPort::kRxSlots;
}

// ---- Closing ----

void CVELD_Host_ParaView::ClosePort() {
    // A reader waiting on a message box must not keep Close from joining it;
    // its box stays for the operator.
    m_readerNotifier.Release();
    m_port.Close();
    m_bPortOpened = false;
    m_readerNotifier.Rearm();
}

void CVELD_Host_ParaView::ClosePortAndPause() {
    ClosePort();
    std::this_thread::sleep_for(std::chrono::milliseconds(kClosePauseMs));
}

void CVELD_Host_ParaView::ShutDownNotifiers() {
    // The window goes: no worker waits on a box any more, and a box not yet
    // shown would come up without its window.
    m_readerNotifier.ShutDown();
    m_dispatchNotifier.ShutDown();
}

int CVELD_Host_ParaView::WorkersHeldByBoxes() const {
    return m_readerNotifier.HeldWorkers() + m_dispatchNotifier.HeldWorkers();
}

void CVELD_Host_ParaView::OnClose() {
    ShutDownNotifiers();
    if (m_port.IsConnected()) ClosePortAndPause();
    m_dispatcher.RequestStop();
}

void CVELD_Host_ParaView::OnDestroy() {
    m_timer.stop();
    ShutDownNotifiers();
    if (m_port.IsConnected()) ClosePortAndPause();
    m_dispatcher.Stop();
}

// ---- Setup steps ----

void CVELD_Host_ParaView::SetPolarityCaption(int t) {
    PolarityBox(t)->setText(FuncCombo(t)->currentText().left(kPolarityCaptionChars) + Text("극성"));
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
    m_bRefreshParams.Raise();
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
    m_txQueue.QueueSetupApply(m_nStationId, *m_pParamTable);
}

// ---- Bulk, version, initialisation, manual ----

void CVELD_Host_ParaView::OnReadAll() {
    TakeStationId();
    m_txQueue.QueueReadAll(m_nStationId);
}

void CVELD_Host_ParaView::OnSendAll() {
    TakeStationId();
    m_txQueue.QueueSendAll(m_nStationId, *m_pParamTable);
}

void CVELD_Host_ParaView::OnReadVersion() {
    TakeStationId();
    m_txQueue.QueueReadVersion(m_nStationId);
}

void CVELD_Host_ParaView::OnParamInit() {
    TakeStationId();
    m_txQueue.QueueParamInit(m_nStationId);
}

void CVELD_Host_ParaView::OnManualSend(QString CVELD_Host_ParaView::*command) {
    UpdateData(true);
    m_txQueue.QueueManual(Cp949Text::Encode(this->*command));
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
        FuncCombo(number - SetupParams::kFirstFunction)->setCurrentIndex(value);
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
    m_txQueue.QueueWriteGroup(m_nStationId, {{number, m_nEditValue}});
}

// ---- Parameter files ----

QString CVELD_Host_ParaView::ChooseParamFile(bool save, bool existingOnly) {
    return ParamFileDialog::Choose(this, save, existingOnly);
}

bool CVELD_Host_ParaView::ConfirmReplace(const QString& path) {
    if (!QFileInfo::exists(path)) return true;
    QMessageBox box(QMessageBox::Warning, Text(Notifier::kAppCaption),
                    QFileInfo(path).fileName() + Text("이(가) 이미 있습니다.\n바꾸시겠습니까?"),
                    QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton(Text("예"), QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(Text("아니오"), QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void CVELD_Host_ParaView::OnFileOpenParams() {
    QString path = ChooseParamFile(false, false);
    if (path.isEmpty()) return;
    m_strFilePath = path;
    if (!ParamFile::Read(m_strFilePath.toStdString(), *m_pParamTable, m_bRefreshParams)) {
        MessageBox::Show(this, QStringLiteral("File Error"));
    }
}

void CVELD_Host_ParaView::WriteParamFile(bool existingOnly) {
    QString path = ChooseParamFile(true, existingOnly);
    if (path.isEmpty() || !ConfirmReplace(path)) return;
    m_strFilePath = path;
    if (!ParamFile::Write(m_strFilePath.toStdString(), *m_pParamTable)) {
        MessageBox::Show(this, QStringLiteral("File Error"));
    }
}

void CVELD_Host_ParaView::OnFileSaveParams() { WriteParamFile(false); }

void CVELD_Host_ParaView::OnFileSaveAsParams() { WriteParamFile(true); }
