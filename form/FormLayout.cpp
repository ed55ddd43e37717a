#include "form/FormLayout.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <vector>

#include "form/ControlFit.h"
#include "form/FormComboBox.h"
#include "form/FormId.h"
#include "form/PortComboBox.h"
#include "form/Utf8Text.h"
#include "grid/CMSFlexGrid.h"
#include "params/SetupParams.h"

namespace {

constexpr int kPolarityCaptionChars = 21;

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

template <size_t N>
QStringList Items(const char* const (&items)[N]) {
    QStringList texts;
    for (const char* item : items) texts.append(Text(item));
    return texts;
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
    auto* combo = new FormComboBox(parent);
    combo->addItems(Items(items));
    return combo;
}

QPushButton* Toggle(QWidget* parent, const char* caption) {
    auto* button = new QPushButton(Text(caption), parent);
    button->setCheckable(true);
    return button;
}

QStringList PolarityCaptions(const QStringList& functions) {
    QStringList captions;
    for (const QString& function : functions)
        captions.append(FormLayout::PolarityCaption(function));
    return captions;
}

}  // namespace

FormLayout::FormLayout(QWidget* form) : m_pForm(form), m_du(form->font()) {}

QString FormLayout::PolarityCaption(const QString& function) {
    QString caption = function.left(kPolarityCaptionChars);
    return caption.replace('&', QStringLiteral("&&")) + Text("극성");
}

QRect FormLayout::Area() const { return QRect(QPoint(0, 0), m_du.Size(kWidthDlu, kHeightDlu)); }

void FormLayout::Place(QWidget* control, int x, int y, int width, int height) {
    control->setGeometry(m_du.Rect(x, y, width, height));
}

void FormLayout::Create(QListWidget* sent, QListWidget* received) {
    m_pForm->setMinimumSize(Area().size());
    CreateConnectionArea();
    CreateSetupArea();
    CreateCommandArea(sent, received);
    CreateGridArea();
    Fit();
}

void FormLayout::CreateConnectionArea() {
    QWidget* form = m_pForm;
    auto* group = new QGroupBox(Text("통신설정"), form);
    Place(group, 6, 3, 229, 31);
    Place(new QLabel(Text("ID : "), form), 9, 16, 14, 8);
    auto* id = Control(new QLineEdit(form), FormId::kStationIdEdit, "ID");
    id->setAlignment(Qt::AlignCenter);
    Place(id, 25, 13, 17, 12);
    auto* port = Control(new PortComboBox(form), FormId::kPortCombo, "COM 포트");
    Place(port, 52, 13, 41, 12);
    // Sized for the COM names, then (Fit) a USB adapter's device: a longer path is
    // elided in the closed combo.
    for (int i = 0; i < PortComboBox::kComItems; ++i) m_shownTexts[port].append(port->itemText(i));
    Place(Control(DropDown(form, kBaudItems), FormId::kBaudCombo, "통신속도"), 98, 13, 41, 12);
    Place(Control(Toggle(form, "통신연결"), FormId::kConnectToggle), 143, 13, 43, 15);
    Place(Control(Toggle(form, "SET로\n모드변경"), FormId::kSetModeToggle), 197, 12, 34, 20);
}

void FormLayout::CreateSetupArea() {
    QWidget* form = m_pForm;
    Place(new QGroupBox(Text("1단계 : 운전모드선택"), form), 7, 37, 229, 31);
    Place(new QLabel(Text("운전모드 (파라미터 42)"), form), 14, 52, 93, 11);
    Place(Control(DropDown(form, kModeItems), FormId::kModeCombo, "운전모드"), 124, 51, 100, 12);

    Place(new QGroupBox(Text("2단계 : IN/OUT 기능선택"), form), 7, 72, 229, 131);
    static const char* const kFuncLabels[] = {
        "IN1 기능선택 (파라미터 43)", "IN2 기능선택 (파라미터 44)", "IN3 기능선택 (파라미터 45)",
        "IN4 기능선택 (파라미터 46)", "OUT1기능선택(파라미터47)",   "OUT2기능선택(파라미터48)",
        "OUT3기능선택(파라미터49)"};
    static const char* const kFuncNames[] = {"IN1 기능",  "IN2 기능",  "IN3 기능", "IN4 기능",
                                             "OUT1 기능", "OUT2 기능", "OUT3 기능"};
    static const int kFuncY[] = {86, 102, 118, 134, 156, 171, 186};
    for (int t = 0; t < SetupParams::kTerminals; ++t) {
        Place(new QLabel(Text(kFuncLabels[t]), form), 14, kFuncY[t], 108, 8);
        QComboBox* combo =
            t < SetupParams::kInTerminals ? DropDown(form, kInItems) : DropDown(form, kOutItems);
        Place(Control(combo, FormId::kFirstFunctionCombo + t, kFuncNames[t]), 124, kFuncY[t], 100,
              12);
    }

    Place(new QGroupBox(Text("3단계 : IN/OUT 극성선택"), form), 7, 206, 229, 64);
    static const char* const kPolarityCaptions[] = {"IN1극성",  "IN2극성",  "IN3극성", "IN4극성",
                                                    "OUT1극성", "OUT2극성", "OUT3극성"};
    for (int t = 0; t < SetupParams::kTerminals; ++t) {
        auto* box =
            Control(new QCheckBox(Text(kPolarityCaptions[t]), form), FormId::kFirstPolarityBox + t);
        // The described platform's narrow gap between box and caption: the longest
        // caption then fits beside the box of the next column.
        box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
        bool in = t < SetupParams::kInTerminals;
        // Sized for the caption of every function its terminal can have.
        m_shownTexts[box] = PolarityCaptions(in ? Items(kInItems) : Items(kOutItems));
        int row = in ? t : t - SetupParams::kInTerminals;
        Place(box, in ? 14 : 124, 218 + 13 * row, 101, 10);
    }

    Place(new QGroupBox(Text("4단계 : 모드적용 및 저장"), form), 7, 272, 229, 35);
    Place(Control(new QPushButton(Text("전송 및 저장하기"), form), FormId::kApplyButton), 16, 283,
          65, 20);
    Place(Control(new QPushButton(Text("파라미터 초기화"), form), FormId::kParamInitButton), 89,
          283, 65, 20);
    Place(Control(new QPushButton(Text("버전읽기"), form), FormId::kVersionButton), 162, 283, 65,
          20);
}

void FormLayout::CreateCommandArea(QListWidget* sent, QListWidget* received) {
    QWidget* form = m_pForm;
    Place(new QGroupBox(Text("수동명령어 입력 :"), form), 7, 310, 229, 118);
    static const int kEditIds[] = {FormId::kCommandEdit1, FormId::kCommandEdit2,
                                   FormId::kCommandEdit3, FormId::kCommandEdit4};
    static const int kSendIds[] = {FormId::kSendButton1, FormId::kSendButton2, FormId::kSendButton3,
                                   FormId::kSendButton4};
    static const char* const kEditNames[] = {"수동명령어 1", "수동명령어 2", "수동명령어 3",
                                             "수동명령어 4"};
    for (int i = 0; i < 4; ++i) {
        int x = i < 2 ? 12 : 124;
        int y = i % 2 == 0 ? 324 : 341;
        Place(Control(new QLineEdit(form), kEditIds[i], kEditNames[i]), x, y, 67, 14);
        Place(Control(new QPushButton(Text("전송"), form), kSendIds[i]), x + 71, y, 33, 14);
    }
    Place(Control(sent, FormId::kSentList, "송신 명령"), 13, 365, 102, 55);
    Place(Control(received, FormId::kReceivedList, "수신 응답"), 126, 366, 102, 55);
    // The lists were made before their group box: above it, a new line repaints
    // the list alone and not the box's title and frame with it.
    sent->raise();
    received->raise();
}

void FormLayout::CreateGridArea() {
    QWidget* form = m_pForm;
    Place(Control(new QPushButton(Text("읽어오기"), form), FormId::kReadAllButton), 244, 9, 60, 27);
    Place(Control(new QPushButton(Text("전체전송하기"), form), FormId::kSendAllButton), 312, 9, 60,
          27);
    Place(Control(new CMSFlexGrid(form), FormId::kParamGrid, "파라미터"), 243, 46, 134, 335);
    auto* picture = new QLabel(form);
    picture->setPixmap(QPixmap(QStringLiteral(":/res/bitmap142.png")));
    picture->setScaledContents(true);
    picture->setAccessibleName(QStringLiteral("MERO SYSTEMS"));
    Place(picture, 248, 391, 123, 35);
}

void FormLayout::Fit() {
    std::vector<ControlFit::Need> needs;
    for (QWidget* control : m_pForm->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        needs.push_back({control, ControlFit::Needed(control, m_shownTexts.value(control))});
    }
    ControlFit fit(m_pForm, Area());
    fit.Grow(std::move(needs));
    // A USB adapter's device shows whole in the closed port combo: the rest of its
    // row moves right into the room the row spares.
    auto* port = m_pForm->findChild<QWidget*>(QStringLiteral("ctl%1").arg(FormId::kPortCombo));
    QList<QWidget*> rest;
    for (int id : {FormId::kBaudCombo, FormId::kConnectToggle, FormId::kSetModeToggle}) {
        rest.append(m_pForm->findChild<QWidget*>(QStringLiteral("ctl%1").arg(id)));
    }
    QStringList device = m_shownTexts.value(port) << QStringLiteral("/dev/ttyUSB0");
    fit.GrowPushingRight(port, ControlFit::Needed(port, device).width(), rest);
    QList<QWidget*> inBoxes;
    for (int t = 0; t < SetupParams::kInTerminals; ++t) {
        inBoxes.append(m_pForm->findChild<QWidget*>(
            QStringLiteral("ctl%1").arg(FormId::kFirstPolarityBox + t)));
    }
    fit.AlignLeftEdges(inBoxes);
}

void FormLayout::FitGrid(QTableView* grid) {
    ControlFit(m_pForm, Area()).Grow({{grid, ControlFit::Needed(grid)}});
}
