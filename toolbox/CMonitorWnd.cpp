#include "toolbox/CMonitorWnd.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>

#include "form/Named.h"
#include "form/Utf8Text.h"
#include "journal/JournalRecord.h"
#include "params/ParamTable.h"
#include "toolbox/MonitorChart.h"
#include "toolbox/ParamNameText.h"

namespace {

constexpr int kSpanMinutes[] = {1, 2, 5, 10};
constexpr int kDefaultSpan = 1;  // 2 minutes
constexpr int kCodeColumns = 3;
constexpr int kPrdRowsShown = 5;
// How long the rounds are counted before the window says whether they keep the interval.
constexpr std::chrono::seconds kShortfallWindow{2};

}  // namespace

CMonitorWnd::CMonitorWnd(DriveSession& session, std::function<int32_t()> stationId, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_stationId(std::move(stationId)) {
    setObjectName(QStringLiteral("monitorWnd"));
    setWindowTitle(Text("모니터 - VELD_Host_Para"));
    resize(kWidth, kHeight);
    CreateControls();
    m_pollTimer.setInterval(kPollMs);
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pollTimer, &QTimer::timeout, this, &CMonitorWnd::OnPoll);
    m_frameTimer.setInterval(kFrameMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &CMonitorWnd::OnFrame);
    ShowStatus(
        Text("읽을 명령을 고르고 \"시작\"을 누르십시오. 차트에서 마우스로 영역을 끌면 "
             "확대됩니다."));
}

CMonitorWnd::~CMonitorWnd() = default;

void CMonitorWnd::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateCommandBox());
    layout->addLayout(CreateRunBar());
    layout->addLayout(CreateViewBar());
    m_lblStatus = Named(new QLabel(this), "monitorStatus");
    m_lblStatus->setWordWrap(true);
    layout->addWidget(m_lblStatus);
    m_lblRate = Named(new QLabel(this), "monitorRate");
    m_lblRate->setWordWrap(true);
    m_lblRate->hide();
    layout->addWidget(m_lblRate);
    auto* charts = new QWidget;
    m_chartLayout = new QVBoxLayout(charts);
    m_chartLayout->setContentsMargins(0, 0, 0, 0);
    m_chartLayout->addStretch(1);
    auto* scroller = new QScrollArea(this);
    scroller->setWidgetResizable(true);
    scroller->setWidget(charts);
    layout->addWidget(scroller, 1);
}

QWidget* CMonitorWnd::CreateCommandBox() {
    auto* group = new QGroupBox(Text("읽을 명령"), this);
    auto* layout = new QHBoxLayout(group);
    auto* codes = new QGridLayout;
    for (size_t i = 0; i < m_codeBoxes.size(); ++i) {
        QString code = PollCommand::kCodes[i];
        m_codeBoxes[i] = Named(new QCheckBox(code, group), QStringLiteral("monitorCode") + code);
        int index = static_cast<int>(i);
        codes->addWidget(m_codeBoxes[i], index / kCodeColumns, index % kCodeColumns);
    }
    codes->setRowStretch(codes->rowCount(), 1);
    layout->addLayout(codes);

    auto* prd = new QVBoxLayout;
    auto* prdLabel = new QLabel(Text("PRD (파라미터 읽기):"), group);
    m_prdList = Named(new QListWidget(group), "monitorPrd");
    prdLabel->setBuddy(m_prdList);
    for (int32_t n = 0; n < ParamTable::kCount; ++n) {
        auto* item = new QListWidgetItem(QStringLiteral("%1  %2").arg(n).arg(ParamNameText::Of(n)),
                                         m_prdList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, n);
    }
    m_prdList->setFixedHeight(m_prdList->sizeHintForRow(0) * kPrdRowsShown +
                              2 * m_prdList->frameWidth());
    // The parameters of the grid come first in view.
    m_prdList->scrollToItem(m_prdList->item(ParamTable::Instance().ListedNumbers().front()),
                            QAbstractItemView::PositionAtTop);
    prd->addWidget(prdLabel);
    prd->addWidget(m_prdList);
    layout->addLayout(prd, 1);
    return group;
}

QHBoxLayout* CMonitorWnd::CreateRunBar() {
    auto* layout = new QHBoxLayout;
    auto* intervalLabel = new QLabel(Text("주기:"), this);
    m_interval = Named(new QSpinBox(this), "monitorInterval");
    m_interval->setRange(PollSchedule::kMinIntervalMs, PollSchedule::kMaxIntervalMs);
    m_interval->setSingleStep(100);
    m_interval->setValue(kDefaultIntervalMs);
    m_interval->setSuffix(QStringLiteral(" ms"));
    intervalLabel->setBuddy(m_interval);
    m_btnStart = Named(new QPushButton(Text("시작"), this), "monitorStart");
    m_btnStart->setCheckable(true);
    connect(m_btnStart, &QPushButton::clicked, this,
            [this](bool on) { on ? OnStart() : OnStop(); });
    m_btnRecord = Named(new QPushButton(Text("CSV 기록..."), this), "monitorRecord");
    m_btnRecord->setCheckable(true);
    connect(m_btnRecord, &QPushButton::clicked, this, &CMonitorWnd::OnRecord);
    m_lblCounts = Named(new QLabel(this), "monitorCounts");
    layout->addWidget(intervalLabel);
    layout->addWidget(m_interval);
    layout->addWidget(m_btnStart);
    layout->addWidget(m_btnRecord);
    layout->addWidget(m_lblCounts, 1);
    ShowCounts();
    return layout;
}

QHBoxLayout* CMonitorWnd::CreateViewBar() {
    auto* layout = new QHBoxLayout;
    m_chkPause = Named(new QCheckBox(Text("일시정지"), this), "monitorPause");
    connect(m_chkPause, &QCheckBox::toggled, this, &CMonitorWnd::OnPause);
    auto* reset = Named(new QPushButton(Text("확대 해제"), this), "monitorResetZoom");
    connect(reset, &QPushButton::clicked, this, &CMonitorWnd::OnResetZoom);
    auto* spanLabel = new QLabel(Text("표시:"), this);
    m_cbSpan = Named(new QComboBox(this), "monitorSpan");
    for (int minutes : kSpanMinutes) m_cbSpan->addItem(Text("최근 %1분").arg(minutes));
    m_cbSpan->setCurrentIndex(kDefaultSpan);
    spanLabel->setBuddy(m_cbSpan);
    connect(m_cbSpan, &QComboBox::currentIndexChanged, this, &CMonitorWnd::OnSpanChanged);
    layout->addWidget(m_chkPause);
    layout->addWidget(reset);
    layout->addStretch(1);
    layout->addWidget(spanLabel);
    layout->addWidget(m_cbSpan);
    return layout;
}

void CMonitorWnd::ShowBeside(QWidget& main) {
    if (!isVisible()) {
        if (const QScreen* screen = main.screen())
            setGeometry(PlaceBeside(main, screen->availableGeometry()));
    }
    show();
    raise();
    activateWindow();
    // While the window is open: a chart scrolled into view shows what came
    // while it was out of view, also after "정지".
    m_frameTimer.start();
}

QRect CMonitorWnd::PlaceBeside(QWidget& main, const QRect& room) {
    // This window's frame will be as wide as the main window's.
    QRect outer = main.frameGeometry();
    QRect inner = main.geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    QSize wanted = QSize(kWidth, kHeight).grownBy(frame).boundedTo(room.size());
    int least = minimumSizeHint().width() + frame.left() + frame.right();
    auto freeRight = [&] { return room.right() - outer.right(); };
    auto freeLeft = [&] { return outer.left() - room.left(); };
    if (std::max(freeRight(), freeLeft()) < least && room.width() - outer.width() >= least) {
        main.move(room.left(), outer.top());
        outer.moveLeft(room.left());
    }
    QRect place(QPoint(), wanted);
    if (freeRight() >= least && freeRight() >= freeLeft()) {
        place.setWidth(std::min(wanted.width(), freeRight()));
        place.moveLeft(outer.right() + 1);
    } else if (freeLeft() >= least) {
        place.setWidth(std::min(wanted.width(), freeLeft()));
        place.moveRight(outer.left() - 1);
    } else {
        // A screen too small for both: over the main window's right side.
        place.moveRight(room.right());
    }
    place.moveTop(std::clamp(outer.top(), room.top(), room.bottom() + 1 - place.height()));
    return place.marginsRemoved(frame);
}

std::vector<PollCommand> CMonitorWnd::ChosenCommands() const {
    std::vector<PollCommand> commands;
    for (size_t i = 0; i < m_codeBoxes.size(); ++i) {
        if (m_codeBoxes[i]->isChecked())
            commands.push_back(PollCommand::Code(PollCommand::kCodes[i]));
    }
    for (int row = 0; row < m_prdList->count(); ++row) {
        const QListWidgetItem* item = m_prdList->item(row);
        if (item->checkState() == Qt::Checked) {
            commands.push_back(PollCommand::ReadOne(item->data(Qt::UserRole).toInt()));
        }
    }
    return commands;
}

void CMonitorWnd::EnableChoice(bool enable) {
    for (QCheckBox* box : m_codeBoxes) box->setEnabled(enable);
    m_prdList->setEnabled(enable);
    m_interval->setEnabled(enable);
}

void CMonitorWnd::ClearCharts() {
    for (MonitorChart* chart : m_charts) {
        m_labels[chart->Name()] = chart->Labels();
        delete chart;
    }
    m_charts.clear();
}

void CMonitorWnd::OnStart() {
    std::vector<PollCommand> commands = ChosenCommands();
    QString refusal;
    if (!m_session.IsConnected()) {
        refusal = Text("포트가 연결되어 있지 않습니다. 먼저 \"통신연결\"을 누르십시오.");
    } else if (commands.empty()) {
        refusal = Text("읽을 명령을 하나 이상 고르십시오.");
    }
    if (!refusal.isEmpty()) {
        m_btnStart->setChecked(false);
        ShowStatus(refusal);
        return;
    }
    ClearCharts();
    m_lastCounts = {PollMonitor::Clock::now(), 0, 0};
    m_monitor = std::make_unique<PollMonitor>(m_session.Port(), m_stationId(), commands,
                                              m_interval->value(), PollMonitor::Clock::now());
    m_session.Journal().Record(JournalRecord::MonitorStart(m_stationId(), m_monitor->Schedule()));
    double span = kSpanMinutes[m_cbSpan->currentIndex()] * 60.0;
    for (const PollCommand& command : m_monitor->Schedule().Commands()) {
        QString name = QString::fromStdString(command.Name());
        QStringList labels = m_labels.value(name);
        // A parameter's one value is named after the parameter.
        if (labels.isEmpty() && command.Number() >= 0)
            labels.append(ParamNameText::Of(command.Number()));
        auto* chart = new MonitorChart(name, labels, this);
        chart->SetSpan(span);
        chart->SetPaused(m_chkPause->isChecked());
        connect(chart, &MonitorChart::Zoomed, m_chkPause, [this] { m_chkPause->setChecked(true); });
        m_chartLayout->insertWidget(m_chartLayout->count() - 1, chart);
        m_charts.push_back(chart);
    }
    m_btnStart->setChecked(true);
    m_btnStart->setText(Text("정지"));
    EnableChoice(false);
    // The rate's line says what runs.
    ShowStatus(QString());
    ShowRateLine(Text("%1 ms마다 읽습니다.").arg(m_monitor->Schedule().IntervalMs()), false);
    m_pollTimer.start();
    OnPoll();
}

void CMonitorWnd::OnStop() {
    m_pollTimer.stop();
    if (m_monitor) {
        // Replies that came meanwhile still count.
        for (const PollMonitor::Row& row : m_monitor->TakeReplies(PollMonitor::Clock::now())) {
            TakeRow(row);
        }
        ShowCounts();
        m_session.Journal().Record(
            JournalRecord::MonitorStop(m_stationId(), m_monitor->Schedule()));
    }
    for (MonitorChart* chart : m_charts) chart->Redraw();
    m_monitor.reset();
    ShowRate();
    m_btnStart->setChecked(false);
    m_btnStart->setText(Text("시작"));
    EnableChoice(true);
    ShowStatus(Text("멈췄습니다."));
}

void CMonitorWnd::OnPoll() {
    if (!m_monitor) return;
    if (!m_session.IsConnected()) {
        OnStop();
        ShowStatus(Text("포트가 닫혀 모니터를 멈췄습니다."));
        return;
    }
    PollMonitor::Clock::time_point now = PollMonitor::Clock::now();
    for (const PollMonitor::Row& row : m_monitor->TakeReplies(now)) TakeRow(row);
    // The round goes to the writer at once, after whatever the form queued before it.
    if (m_monitor->Tick(now, m_session.Queue()) == PollSchedule::Slot::kSent) {
        m_session.HandOverLines();
    }
    // The counts change every round, and each new text lays the window out
    // again: once a second is as often as they can be read.
    if (now - m_countsShownAt >= std::chrono::seconds(1)) ShowCounts();
}

void CMonitorWnd::TakeRow(const PollMonitor::Row& row) {
    const std::vector<PollCommand>& commands = m_monitor->Schedule().Commands();
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].IsAnsweredBy(row.reply)) {
            m_charts[i]->AddRow(row.ms / 1000.0, commands[i].Values(row.reply));
            break;
        }
    }
    if (m_recorder.IsOpen() && !m_recorder.Write(row)) {
        StopRecording(Text("기록 파일에 쓸 수 없어 기록을 멈췄습니다."));
    }
}

void CMonitorWnd::OnRecord(bool on) {
    if (!on) {
        StopRecording(Text("기록을 멈췄습니다."));
        return;
    }
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(QDir::currentPath());
    dialog.setNameFilter(Text("CSV 파일(*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        m_btnRecord->setChecked(false);
        return;
    }
    QString path = dialog.selectedFiles().first();
    if (!m_recorder.Open(path.toStdString())) {
        m_btnRecord->setChecked(false);
        ShowStatus(Text("기록 파일을 열 수 없습니다: %1 (%2)")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    m_btnRecord->setText(Text("기록 중지"));
    ShowStatus(Text("%1에 기록합니다.").arg(QFileInfo(path).fileName()));
}

void CMonitorWnd::StopRecording(const QString& why) {
    m_recorder.Close();
    m_btnRecord->setChecked(false);
    m_btnRecord->setText(Text("CSV 기록..."));
    ShowStatus(why);
}

void CMonitorWnd::OnPause(bool paused) {
    for (MonitorChart* chart : m_charts) chart->SetPaused(paused);
}

void CMonitorWnd::OnResetZoom() {
    m_chkPause->setChecked(false);
    for (MonitorChart* chart : m_charts) chart->ResetZoom();
}

void CMonitorWnd::OnSpanChanged(int index) {
    for (MonitorChart* chart : m_charts) chart->SetSpan(kSpanMinutes[index] * 60.0);
}

void CMonitorWnd::OnFrame() {
    for (MonitorChart* chart : m_charts) chart->Redraw();
    ShowRate();
}

void CMonitorWnd::ShowRate() {
    const PollSchedule* schedule = Schedule();
    if (!schedule) {
        m_lblRate->clear();
        m_lblRate->hide();
        return;
    }
    PollMonitor::Clock::time_point now = PollMonitor::Clock::now();
    // The rounds are counted over a few intervals at least.
    auto window = std::max<std::chrono::milliseconds>(
        kShortfallWindow, 3 * std::chrono::milliseconds(schedule->IntervalMs()));
    if (now - m_lastCounts.at < window) return;
    Counts since = m_lastCounts;
    m_lastCounts = {now, schedule->RoundsSent(), schedule->SlotsSkipped()};
    int64_t sent = m_lastCounts.sent - since.sent;
    double ms = std::chrono::duration<double, std::milli>(now - since.at).count();
    // A round late by a few ms now and then is no shortfall; rounds that come a
    // tenth or more apart beyond the interval are. Slots a late tick passed over
    // are not counted as skipped, so the rounds sent are what tells.
    bool behind = sent == 0 || ms / sent > 1.1 * schedule->IntervalMs();
    if (!behind) {
        ShowRateLine(Text("%1 ms마다 읽습니다.").arg(schedule->IntervalMs()), false);
        return;
    }
    QString how =
        sent > 0
            ? Text("약 %1 ms마다 읽고 있습니다.").arg(std::lround(ms / sent))
            : Text("지난 %1초 동안 한 라운드도 보내지 못했습니다.").arg(std::lround(ms / 1000));
    ShowRateLine(Text("%1 ms 주기를 지키지 못합니다: 한 라운드를 보내고 응답을 받는 데 "
                      "주기보다 오래 걸립니다. %2")
                     .arg(schedule->IntervalMs())
                     .arg(how),
                 true);
}

void CMonitorWnd::ShowRateLine(const QString& text, bool behind) {
    m_lblRate->setStyleSheet(behind ? QStringLiteral("color: #b00000") : QString());
    m_lblRate->setText(text);
    m_lblRate->show();
}

QString CMonitorWnd::RateText() const { return m_lblRate->text(); }

void CMonitorWnd::ShowCounts() {
    m_countsShownAt = PollMonitor::Clock::now();
    const PollSchedule* schedule = Schedule();
    m_lblCounts->setText(Text("라운드 %1 · 무응답 %2 · 건너뜀 %3")
                             .arg(schedule ? schedule->RoundsSent() : 0)
                             .arg(schedule ? schedule->RoundsUnanswered() : 0)
                             .arg(schedule ? schedule->SlotsSkipped() : 0));
}

void CMonitorWnd::ShowStatus(const QString& text) {
    m_lblStatus->setText(text);
    // No empty line above the rate's.
    m_lblStatus->setVisible(!text.isEmpty());
}

QString CMonitorWnd::StatusText() const { return m_lblStatus->text(); }

void CMonitorWnd::closeEvent(QCloseEvent* event) {
    // A closed window asks nothing more; the recording ends with it.
    if (IsRunning()) OnStop();
    if (m_recorder.IsOpen()) StopRecording(Text("기록을 멈췄습니다."));
    m_frameTimer.stop();
    event->accept();
}
