#include "toolbox/CStationScanDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "form/Named.h"
#include "form/Utf8Text.h"
#include "journal/JournalRecord.h"
#include "protocol/ReplyStation.h"
#include "protocol/ReplyWaits.h"

namespace {

constexpr int kWidth = 460;
constexpr int kHeight = 440;
constexpr int kMinWaitMs = 50;
constexpr int kMaxWaitMs = 5000;

// The size hint leaves no room for a font whose glyphs overhang; two lines' height more does.
QSpinBox* WithRoom(QSpinBox* box) {
    box->setMinimumWidth(box->sizeHint().width() + 2 * box->fontMetrics().height());
    return box;
}

QSpinBox* StationBox(QWidget* parent, const char* name, int value) {
    auto* box = Named(new QSpinBox(parent), name);
    box->setRange(ReplyStation::kFirst, ReplyStation::kLast);
    box->setValue(value);
    return WithRoom(box);
}

}  // namespace

CStationScanDlg::CStationScanDlg(DriveSession& session, std::function<void(int32_t)> useStation,
                                 QWidget* parent)
    : QDialog(parent), m_session(session), m_useStation(std::move(useStation)) {
    setObjectName(QStringLiteral("stationScanDlg"));
    setWindowTitle(Text("국번 검색"));
    CreateControls();
    resize(kWidth, kHeight);
    m_stepTimer.setInterval(kStepMs);
    connect(&m_stepTimer, &QTimer::timeout, this, &CStationScanDlg::OnStep);
    m_lblStatus->setText(
        Text("연결된 선의 각 국번에 버전(FRD 0)을 물어 응답한 드라이브를 찾습니다."));
    EnableChoice();
}

CStationScanDlg::~CStationScanDlg() = default;

void CStationScanDlg::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    auto* range = new QHBoxLayout;
    m_spinFirst = StationBox(this, "scanFirst", ReplyStation::kFirst);
    m_spinLast = StationBox(this, "scanLast", ReplyStation::kLast);
    m_spinWait = Named(new QSpinBox(this), "scanWait");
    m_spinWait->setRange(kMinWaitMs, kMaxWaitMs);
    m_spinWait->setSingleStep(50);
    m_spinWait->setValue(static_cast<int>(ReplyWaits::kScanStation.count()));
    m_spinWait->setSuffix(QStringLiteral(" ms"));
    WithRoom(m_spinWait);
    auto* fields = new QFormLayout;
    auto* stations = new QHBoxLayout;
    stations->addWidget(m_spinFirst);
    stations->addWidget(new QLabel(QStringLiteral("~"), this));
    stations->addWidget(m_spinLast);
    stations->addStretch(1);
    auto* rangeLabel = new QLabel(Text("국번 범위(&R):"), this);
    rangeLabel->setBuddy(m_spinFirst);
    fields->addRow(rangeLabel, stations);
    auto* wait = new QHBoxLayout;
    wait->addWidget(m_spinWait);
    wait->addStretch(1);
    auto* waitLabel = new QLabel(Text("국번마다 응답 대기(&W):"), this);
    waitLabel->setBuddy(m_spinWait);
    fields->addRow(waitLabel, wait);
    range->addLayout(fields, 1);
    auto* buttons = new QVBoxLayout;
    m_btnStart = Named(new QPushButton(Text("검색 시작(&S)"), this), "scanStart");
    m_btnStart->setDefault(true);
    m_btnStop = Named(new QPushButton(Text("취소(&C)"), this), "scanStop");
    buttons->addWidget(m_btnStart);
    buttons->addWidget(m_btnStop);
    buttons->addStretch(1);
    range->addLayout(buttons);
    layout->addLayout(range);

    m_progress = Named(new QProgressBar(this), "scanProgress");
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->setTextVisible(false);
    layout->addWidget(m_progress);

    auto* listLabel = new QLabel(Text("응답한 국번(&L):"), this);
    m_list = Named(new QTreeWidget(this), "scanResults");
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({Text("국번"), Text("버전"), Text("응답")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);
    listLabel->setBuddy(m_list);
    layout->addWidget(listLabel);
    layout->addWidget(m_list, 1);

    m_lblStatus = Named(new QLabel(this), "scanStatus");
    m_lblStatus->setWordWrap(true);
    layout->addWidget(m_lblStatus);

    auto* box = new QDialogButtonBox(this);
    m_btnUse =
        Named(box->addButton(Text("이 국번 사용(&U)"), QDialogButtonBox::AcceptRole), "scanUse");
    QPushButton* close =
        Named(box->addButton(Text("닫기"), QDialogButtonBox::RejectRole), "scanClose");
    layout->addWidget(box);

    connect(m_btnStart, &QPushButton::clicked, this, &CStationScanDlg::OnStart);
    connect(m_btnStop, &QPushButton::clicked, this, &CStationScanDlg::OnStop);
    connect(m_btnUse, &QPushButton::clicked, this, &CStationScanDlg::OnUse);
    connect(close, &QPushButton::clicked, this, &CStationScanDlg::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CStationScanDlg::EnableChoice);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CStationScanDlg::OnUse);
}

void CStationScanDlg::OnStart() {
    if (IsScanning()) return;
    if (!m_session.IsConnected()) {
        m_lblStatus->setText(
            Text("포트가 연결되어 있지 않습니다. 먼저 \"통신연결\"을 누르십시오."));
        return;
    }
    int first = m_spinFirst->value();
    int last = std::max(first, m_spinLast->value());
    m_spinLast->setValue(last);
    m_list->clear();
    m_scan = std::make_unique<StationScan>(
        m_session.Port(), first, last, std::chrono::milliseconds(m_spinWait->value()),
        [this](const StationScan::Progress& progress) { OnProgress(progress); });
    m_progress->setRange(0, m_scan->Total());
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_btnStart->setDefault(true);
    m_lblStatus->setText(Text("국번 %1에 묻는 중...").arg(first));
    EnableChoice();
    m_stepTimer.start();
    OnStep();
}

void CStationScanDlg::OnStop() {
    if (!IsScanning()) return;
    m_scan->Cancel();
    OnStep();
}

void CStationScanDlg::OnStep() {
    if (!m_scan) return;
    m_scan->Step(m_session.Queue(), StationScan::Clock::now());
    if (m_scan->IsRunning()) return;
    m_stepTimer.stop();
    m_session.Journal().Record(JournalRecord::Scan(*m_scan));
    ShowOutcome();
    EnableChoice();
    // Enter now takes the station found rather than scanning again.
    if (m_btnUse->isEnabled()) {
        m_btnUse->setDefault(true);
        m_list->setFocus();
    }
}

void CStationScanDlg::OnProgress(const StationScan::Progress& progress) {
    m_progress->setValue(progress.done);
    if (progress.answer) AddAnswer(*progress.answer);
    if (progress.done < progress.total) {
        m_lblStatus->setText(Text("국번 %1에 묻는 중...").arg(progress.station + 1));
    }
}

void CStationScanDlg::AddAnswer(const StationScan::Answer& answer) {
    auto* item = new QTreeWidgetItem({QString::number(answer.station),
                                      QString::fromStdString(answer.version),
                                      QString::fromStdString(answer.line)});
    item->setData(0, Qt::UserRole, answer.station);
    m_list->addTopLevelItem(item);
    if (!m_list->currentItem()) m_list->setCurrentItem(item);
}

void CStationScanDlg::ShowOutcome() {
    int answered = m_list->topLevelItemCount();
    switch (m_scan->GetState()) {
        case StationScan::State::kLost:
            m_lblStatus->setText(Text("포트 연결이 끊어져 검색을 멈췄습니다."));
            return;
        case StationScan::State::kCancelled:
            m_lblStatus->setText(
                Text("검색을 취소했습니다: %1개 국번이 응답했습니다.").arg(answered));
            return;
        case StationScan::State::kFinished:
        case StationScan::State::kRunning:
            break;
    }
    m_lblStatus->setText(
        answered == 0
            ? Text("응답한 국번이 없습니다. 포트, 통신속도와 배선을 확인하십시오.")
            : Text("검색 끝: %1개 국번이 응답했습니다. 쓸 국번을 고르십시오.").arg(answered));
}

void CStationScanDlg::EnableChoice() {
    bool scanning = IsScanning();
    m_btnStart->setEnabled(!scanning);
    m_btnStop->setEnabled(scanning);
    m_spinFirst->setEnabled(!scanning);
    m_spinLast->setEnabled(!scanning);
    m_spinWait->setEnabled(!scanning);
    m_btnUse->setEnabled(!scanning && m_list->currentItem() != nullptr);
}

void CStationScanDlg::OnUse() {
    QTreeWidgetItem* item = m_list->currentItem();
    if (IsScanning() || !item) return;
    m_useStation(item->data(0, Qt::UserRole).toInt());
    accept();
}

void CStationScanDlg::reject() {
    if (m_scan) m_scan->Cancel();
    m_stepTimer.stop();
    QDialog::reject();
}
