#include "toolbox/CCommissionDlg.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "form/MessageBox.h"
#include "form/Named.h"
#include "form/NumberList.h"
#include "form/ParamFileCheckText.h"
#include "form/ParamFileDialog.h"
#include "form/Utf8Text.h"
#include "journal/JournalRecord.h"
#include "protocol/ReplyStation.h"
#include "protocol/ReplyWaits.h"
#include "session/StationList.h"

namespace {

using Station = Commissioning::Station;
using State = Commissioning::State;

constexpr int kWidth = 640;
constexpr int kHeight = 500;

enum Column { kStation, kState, kVersion, kSent, kDetail };

// What became of a station beyond its state: the values it does not hold,
// what its reply lacked, the lines that did not go out.
QString Detail(const Station& station, bool compareOnly) {
    QStringList parts;
    for (const Commissioning::Mismatch& m : station.mismatches) {
        QString mismatch =
            m.sent ? Text("%1: 보낸 값 %2, 드라이브 %3") : Text("%1: 파일 %2, 드라이브 %3");
        parts << mismatch.arg(m.number).arg(m.target).arg(m.kept);
    }
    if (!station.missing.empty()) parts << Text("응답에 없음: ") + NumberList(station.missing);
    if (!station.unsent.empty()) {
        parts << Text("보내지 못한 줄 %1개").arg(station.unsent.size());
    }
    if (station.Unsaved()) parts << Text("저장하지 않은 값 있음(PSV 안 나감)");
    if (station.state == State::kVerified && station.sent.empty() && !compareOnly) {
        parts << Text("보낼 값 없음");
    }
    return parts.join(", ");
}

// A row of `fields`: the label, the edit it names, a button beside the edit.
void AddEditRow(QFormLayout* fields, const QString& label, QLineEdit* edit, QPushButton* button) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(button);
    auto* name = new QLabel(label, edit->parentWidget());
    name->setBuddy(edit);
    fields->addRow(name, row);
}

QString StopText(Commissioning::Stop stop) {
    if (stop == Commissioning::Stop::kNone) return {};
    return Text(Commissioning::StopText(stop)) + Text(". ");
}

}  // namespace

CCommissionDlg::CCommissionDlg(DriveSession& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("commissionDlg"));
    setWindowTitle(Text("일괄 설정"));
    CreateControls();
    resize(kWidth, kHeight);
    m_stepTimer.setInterval(kStepMs);
    connect(&m_stepTimer, &QTimer::timeout, this, &CCommissionDlg::OnStep);
    m_lblStatus->setText(
        Text("국번마다 드라이브를 읽어 백업하고, 파일과 다른 값만 보낸 뒤 다시 읽어 "
             "확인합니다."));
    EnableControls();
}

// A run cut short by the window going away still ends with its record.
CCommissionDlg::~CCommissionDlg() { OnCancel(); }

void CCommissionDlg::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;

    m_editFile = Named(new QLineEdit(this), "commissionFile");
    m_btnBrowse = new QPushButton(Text("찾아보기(&B)..."), this);
    AddEditRow(fields, Text("목표 파일(&F):"), m_editFile, m_btnBrowse);
    m_editIds = Named(new QLineEdit(this), "commissionIds");
    m_editIds->setPlaceholderText(Text("예: 1-8 또는 1-3,7"));
    m_btnScan = Named(new QPushButton(Text("국번 검색(&S)"), this), "commissionScan");
    AddEditRow(fields, Text("국번(&I):"), m_editIds, m_btnScan);

    auto* mode = new QHBoxLayout;
    m_radioSend = Named(new QRadioButton(Text("다른 값 전송 후 확인(&W)"), this), "commissionSend");
    m_radioSend->setChecked(true);
    m_radioCompare = Named(new QRadioButton(Text("비교만(&M)"), this), "commissionCompareOnly");
    mode->addWidget(m_radioSend);
    mode->addWidget(m_radioCompare);
    mode->addStretch(1);
    fields->addRow(Text("방식:"), mode);
    layout->addLayout(fields);

    m_list = Named(new QTreeWidget(this), "commissionStations");
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {Text("국번"), Text("상태"), Text("버전"), Text("보낸 줄"), Text("내용")});
    // Every text whole: a long list of values a drive does not hold scrolls sideways.
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);
    layout->addWidget(m_list, 1);

    m_progress = Named(new QProgressBar(this), "commissionProgress");
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->setTextVisible(false);
    layout->addWidget(m_progress);

    m_lblStatus = Named(new QLabel(this), "commissionStatus");
    m_lblStatus->setWordWrap(true);
    layout->addWidget(m_lblStatus);
    m_lblReport = Named(new QLabel(this), "commissionReport");
    m_lblReport->setWordWrap(true);
    m_lblReport->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_lblReport);

    auto* box = new QDialogButtonBox(this);
    m_btnStart =
        Named(box->addButton(Text("시작(&R)"), QDialogButtonBox::ActionRole), "commissionStart");
    m_btnStart->setDefault(true);
    m_btnCancel =
        Named(box->addButton(Text("취소(&C)"), QDialogButtonBox::ActionRole), "commissionCancel");
    m_btnOpenReport = Named(box->addButton(Text("보고서 열기(&O)"), QDialogButtonBox::ActionRole),
                            "commissionOpenReport");
    QPushButton* close =
        Named(box->addButton(Text("닫기"), QDialogButtonBox::RejectRole), "commissionClose");
    layout->addWidget(box);

    connect(m_btnBrowse, &QPushButton::clicked, this, &CCommissionDlg::OnBrowse);
    connect(m_btnScan, &QPushButton::clicked, this, &CCommissionDlg::OnScan);
    connect(m_btnStart, &QPushButton::clicked, this, &CCommissionDlg::OnStart);
    connect(m_btnCancel, &QPushButton::clicked, this, &CCommissionDlg::OnCancel);
    connect(m_btnOpenReport, &QPushButton::clicked, this, &CCommissionDlg::OnOpenReport);
    connect(close, &QPushButton::clicked, this, &CCommissionDlg::reject);
}

void CCommissionDlg::SetFile(const QString& path) { m_editFile->setText(path); }

void CCommissionDlg::SetStations(const QString& text) { m_editIds->setText(text); }

void CCommissionDlg::SetCompareOnly(bool on) {
    (on ? m_radioCompare : m_radioSend)->setChecked(true);
}

void CCommissionDlg::OnBrowse() {
    QString path = ParamFileDialog::Choose(this, false, true);
    if (!path.isEmpty()) SetFile(path);
}

bool CCommissionDlg::CheckConnected() {
    if (m_session.IsConnected()) return true;
    m_lblStatus->setText(Text("포트가 연결되어 있지 않습니다. 먼저 \"통신연결\"을 누르십시오."));
    return false;
}

bool CCommissionDlg::CheckStart(std::vector<int32_t>& stations,
                                std::optional<CommissionTarget>& target) {
    if (!CheckConnected()) return false;
    if (!StationList::Parse(m_editIds->text().toStdString(), stations)) {
        m_lblStatus->setText(
            Text("국번을 읽을 수 없습니다. 0에서 35까지의 국번을 한 번씩 적으십시오 (예: 1-8 "
                 "또는 1-3,7)."));
        m_editIds->setFocus();
        return false;
    }
    QString path = m_editFile->text();
    if (path.isEmpty()) {
        m_lblStatus->setText(Text("목표 파일을 고르십시오."));
        m_editFile->setFocus();
        return false;
    }
    target = CommissionTarget::Read(path.toStdString());
    if (target && target->Check().Sendable()) return true;
    std::optional<ParamFileCheck> check;
    if (target) check = target->Check();
    MessageBox::Show(this, ParamFileCheckText::Refusal(path, check));
    return false;
}

void CCommissionDlg::OnStart() {
    if (IsBusy()) return;
    std::vector<int32_t> stations;
    std::optional<CommissionTarget> target;
    if (!CheckStart(stations, target)) return;
    QString folder = m_reportFolder.isEmpty()
                         ? QString::fromStdString(CommissionReport::DefaultFolder())
                         : m_reportFolder;
    m_run.reset();
    m_report = std::make_unique<CommissionReport>(folder.toStdString(), *target,
                                                  m_session.OpenedText(), std::time(nullptr));
    if (!m_report->Create()) {
        m_report.reset();
        MessageBox::Show(this, Text("보고서를 이 폴더에 쓸 수 없습니다:\n%1\n\n아무것도 보내지 "
                                    "않았습니다.")
                                   .arg(folder));
        return;
    }
    m_run = std::make_unique<Commissioning>(
        m_session, target->Check().Values(), stations, m_radioCompare->isChecked(),
        [report = m_report.get()](const ParamSet& set, int32_t station) {
            return report->SaveBackup(set, station);
        },
        [report = m_report.get()](const Commissioning& run) { return report->Save(run); },
        [this](const Commissioning&, const Station& station) { OnProgress(station); });
    if (!m_report->Save(*m_run)) {
        m_run.reset();
        MessageBox::Show(this, Text("보고서를 쓸 수 없습니다:\n%1\n\n아무것도 보내지 "
                                    "않았습니다.")
                                   .arg(QString::fromStdString(m_report->JsonPath())));
        m_report.reset();
        return;
    }
    m_list->clear();
    for (int32_t station : stations) {
        m_list->addTopLevelItem(new QTreeWidgetItem(
            {QString::number(station), Text(Commissioning::StateText(State::kWaiting))}));
    }
    m_progress->setRange(0, static_cast<int>(stations.size()));
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_lblStatus->setText(Text("국번 %1부터 차례로 진행합니다...").arg(stations.front()));
    m_lblReport->clear();
    m_stepTimer.start();
    OnStep();
}

void CCommissionDlg::OnScan() {
    if (IsBusy() || !CheckConnected()) return;
    m_scan = std::make_unique<StationScan>(
        m_session.Port(), ReplyStation::kFirst, ReplyStation::kLast, ReplyWaits::kScanStation,
        [this](const StationScan::Progress& progress) { OnScanProgress(progress); });
    m_progress->setRange(0, m_scan->Total());
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_lblStatus->setText(Text("응답하는 국번을 찾는 중..."));
    m_stepTimer.start();
    OnStep();
}

void CCommissionDlg::OnCancel() {
    if (m_scan && m_scan->IsRunning()) {
        m_scan->Cancel();
        ShowScanOutcome();
    }
    if (m_run && m_run->Running()) {
        m_run->Cancel();
        ShowOutcome();
    }
    EnableControls();
}

void CCommissionDlg::OnStep() {
    Commissioning::Clock::time_point now = Commissioning::Clock::now();
    if (m_scan && m_scan->IsRunning()) {
        m_scan->Step(m_session.Queue(), now);
        if (!m_scan->IsRunning()) ShowScanOutcome();
    }
    if (m_run && m_run->Running()) {
        m_run->Step(now);
        if (!m_run->Running()) ShowOutcome();
    }
    if (!IsBusy()) m_stepTimer.stop();
    EnableControls();
}

void CCommissionDlg::OnProgress(const Station& station) {
    QTreeWidgetItem* item =
        m_list->topLevelItem(static_cast<int>(&station - m_run->Stations().data()));
    item->setText(kState, Text(Commissioning::StateText(station.state)));
    item->setText(kVersion, QString::fromStdString(station.version.value_or("")));
    item->setText(kSent, station.Finished() ? QString::number(station.sent.size()) : QString());
    item->setText(kDetail, Detail(station, m_run->CompareOnly()));
    item->setToolTip(kDetail, item->text(kDetail));
    m_list->scrollToItem(item);
    if (station.Finished()) m_progress->setValue(m_run->FinishedCount());
}

void CCommissionDlg::ShowOutcome() {
    int counts[static_cast<int>(State::kCancelled) + 1] = {};
    for (const Station& station : m_run->Stations()) ++counts[static_cast<int>(station.state)];
    QStringList parts;
    for (State state : {State::kVerified, State::kMismatch, State::kNoReply, State::kNotReached,
                        State::kCancelled}) {
        int count = counts[static_cast<int>(state)];
        if (count > 0) parts << Text("%1 %2").arg(Text(Commissioning::StateText(state))).arg(count);
    }
    m_lblStatus->setText(StopText(m_run->Stopped()) + Text("끝: ") + parts.join(", "));
    QString html = QString::fromStdString(m_report->HtmlPath());
    bool saved = m_report->Save(*m_run, std::time(nullptr));
    m_session.Journal().Record(m_report->Record(*m_run));
    m_lblReport->setText(
        (saved ? Text("보고서: %1") : Text("보고서를 저장하지 못했습니다: %1")).arg(html));
    if (m_run->Stopped() == Commissioning::Stop::kReportFailed) {
        int done = m_run->FinishedCount() - counts[static_cast<int>(State::kNotReached)];
        MessageBox::Show(this, Text("보고서를 저장하지 못해 다음 줄을 보내지 않았습니다:\n%1\n\n"
                                    "국번 %2개 중 %3개를 마쳤습니다.")
                                   .arg(html)
                                   .arg(m_run->Stations().size())
                                   .arg(done));
    }
}

void CCommissionDlg::OnScanProgress(const StationScan::Progress& progress) {
    m_progress->setValue(progress.done);
    if (progress.done < progress.total) {
        m_lblStatus->setText(Text("국번 %1에 묻는 중...").arg(progress.station + 1));
    }
}

void CCommissionDlg::ShowScanOutcome() {
    m_session.Journal().Record(JournalRecord::Scan(*m_scan));
    std::vector<StationScan::Answer> answers = m_scan->Answers();
    std::sort(answers.begin(), answers.end(),
              [](const auto& a, const auto& b) { return a.station < b.station; });
    QStringList stations;
    for (const StationScan::Answer& answer : answers) stations << QString::number(answer.station);
    if (m_scan->GetState() == StationScan::State::kLost) {
        m_lblStatus->setText(Text("포트 연결이 끊어져 검색을 멈췄습니다."));
    } else if (stations.isEmpty()) {
        m_lblStatus->setText(Text("응답한 국번이 없습니다. 포트, 통신속도와 배선을 확인하십시오."));
    } else {
        m_editIds->setText(stations.join(","));
        m_lblStatus->setText(Text("응답한 국번 %1개를 적었습니다.").arg(stations.size()));
    }
}

void CCommissionDlg::EnableControls() {
    bool busy = IsBusy();
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_editFile, m_btnBrowse, m_editIds, m_btnScan, m_radioSend,
                                         m_radioCompare, m_btnStart}) {
        widget->setEnabled(!busy);
    }
    m_btnCancel->setEnabled(busy);
    m_btnOpenReport->setEnabled(!busy && m_run && m_report);
}

void CCommissionDlg::OnOpenReport() {
    if (!m_report) return;
    QString path = QString::fromStdString(m_report->HtmlPath());
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return;
    MessageBox::ShowSelectable(
        this,
        Text("보고서를 열 프로그램(HTML을 여는 프로그램)이 없습니다.\n보고서 파일:\n") + path);
}

void CCommissionDlg::reject() {
    OnCancel();
    m_stepTimer.stop();
    QDialog::reject();
}
