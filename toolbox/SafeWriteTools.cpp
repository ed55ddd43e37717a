#include "toolbox/SafeWriteTools.h"

#include <QTimer>
#include <optional>

#include "form/MessageBox.h"
#include "form/NumberList.h"
#include "form/ParamFileCheckText.h"
#include "form/ParamFileDialog.h"
#include "form/Utf8Text.h"
#include "journal/JournalPath.h"
#include "journal/JournalRecord.h"
#include "params/ParamComparison.h"
#include "params/ParamFile.h"
#include "params/ParamFileCheck.h"
#include "toolbox/CompareDialog.h"
#include "toolbox/HistoryQuery.h"
#include "toolbox/JournalEntryText.h"

namespace {

// "확인: 29/29", or what went wrong, for the status bar.
QString ReadBackStatus(const ReadBackReport& report) {
    QString counts = Text("확인: %1/%2").arg(report.ConfirmedCount()).arg(report.SentCount());
    if (report.Result() == ReadBackReport::Outcome::kConfirmed) return counts;
    if (report.Result() == ReadBackReport::Outcome::kNoCompleteReply) {
        return counts + Text(" — 드라이브가 다시 읽기에 응답하지 않았습니다 (파라미터 %1)")
                            .arg(NumberList(report.Missing()));
    }
    QStringList mismatches;
    for (const ParamComparison::Row& row : report.Comparison().Rows()) {
        if (!row.differ) continue;
        QString text = Text("%1 (%2→%3").arg(row.number).arg(row.a).arg(row.b);
        if (!ParamComparison::Fits16(row.a)) text += Text(", 16비트를 넘는 값");
        mismatches << text + ")";
    }
    return counts + Text(" — 불일치: ") + mismatches.join(", ");
}

// The file's values when it yields each listed one once from a well-formed
// record; otherwise a box says what is wrong, and nothing is sent.
std::optional<ParamSet> LoadForSending(QWidget* window, const QString& path) {
    std::optional<ParamFileCheck> check = ParamFileCheck::Read(path.toStdString());
    if (check && check->Sendable()) return check->Values();
    MessageBox::Show(window, ParamFileCheckText::Refusal(path, check));
    return std::nullopt;
}

// Ports name the same one when their names match but for case, as they open;
// a read recorded without its port (an old backup's) matches any.
bool SamePort(const std::string& a, const std::string& b) {
    return a.empty() || b.empty() ||
           QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

QString PortShown(const std::string& port) {
    return port.empty() ? Text("기록 없음") : QString::fromStdString(port);
}

}  // namespace

SafeWriteTools::SafeWriteTools(DriveSession& session, std::function<int32_t()> stationId,
                               QWidget* window)
    : QObject(window),
      m_session(session),
      m_stationId(std::move(stationId)),
      m_window(window),
      m_collect(new QTimer(this)) {
    m_collect->setInterval(15);
    connect(m_collect, &QTimer::timeout, this, &SafeWriteTools::CollectReads);
    m_session.AddListener(this);
}

SafeWriteTools::~SafeWriteTools() { m_session.RemoveListener(this); }

bool SafeWriteTools::CheckConnected() {
    if (m_session.IsConnected()) return true;
    MessageBox::Show(m_window, Text("통신이 연결되어 있지 않습니다. 먼저 통신연결을 하십시오."));
    return false;
}

void SafeWriteTools::OnCompareWithDrive() {
    if (!CheckConnected()) return;
    QString path = ParamFileDialog::Choose(m_window, false, false);
    if (path.isEmpty()) return;
    std::optional<ParamSet> file = LoadForSending(m_window, path);
    if (file) StartCompare(*file, Text("파일: %1").arg(path), path.toStdString());
}

void SafeWriteTools::CompareWithRecorded(const ParamSet& values, const QString& source,
                                         int32_t station, const QString& port) {
    if (!CheckConnected() || !ConfirmOtherDrive(station, port.toStdString())) return;
    StartCompare(values, source);
}

void SafeWriteTools::StartCompare(const ParamSet& file, const QString& source,
                                  const std::string& filePath) {
    if (m_compare) m_compare->close();
    m_compareFile = file;
    m_compareFilePath = filePath;
    m_compare = new CompareDialog(source, m_window);
    m_compare->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_compare, &CompareDialog::SendRequested, this, &SafeWriteTools::SendChosen);
    m_compare->ShowReading();
    m_compare->open();
    m_session.QueueRead(m_stationId(), ParamTable::Instance().ListedNumbers());
    // After the PRA is queued: an earlier read that ends now is not this one.
    m_waiting = Waiting::kRead;
}

std::string SafeWriteTools::LastReadPort() const {
    const DriveReads::Read* read = m_session.LastRead();
    return read && read->serial == m_nReadSerial ? m_readPort : std::string();
}

void SafeWriteTools::SendChosen(const ParamSet& chosen) {
    if (chosen.Empty()) return;
    std::vector<std::pair<int32_t, int32_t>> writes;
    for (int32_t number : chosen.Numbers()) writes.emplace_back(number, chosen.Value(number));
    m_nGroup = m_session.ReadBackNextGroup();
    m_waiting = Waiting::kReadBack;
    m_compare->ShowSending(static_cast<int>(writes.size()));
    if (!m_compareFilePath.empty()) {
        m_session.Journal().Record(JournalRecord::File("sent from", m_compareFilePath));
    }
    // To the drive that was read.
    m_session.Queue().QueueWriteGroup(m_compared.station, writes);
}

void SafeWriteTools::OnUndo() {
    if (m_list) m_list->close();
    std::string journal = JournalPath::Default();
    m_list = new BackupListDialog(QString::fromStdString(journal), m_window);
    m_list->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_list, &BackupListDialog::Chosen, this, &SafeWriteTools::UndoTo);
    connect(m_list, &BackupListDialog::SaveRequested, this, &SafeWriteTools::SaveRead);
    m_list->open();
    if (!m_session.Journal().Recording()) {
        m_list->ShowFailure(Text("작업 기록을 열 수 없어 되돌릴 읽기를 보여 줄 수 없습니다: %1")
                                .arg(QString::fromStdString(m_session.Journal().Reason())));
        return;
    }
    if (!m_reads) m_reads = std::make_unique<HistoryQuery>(journal);
    uint64_t request = ++m_nListRequest;
    m_reads->Post([request](HistoryQuery& query) {
        query.FindCompleteReads(BackupListDialog::kMaxListed, request);
    });
    m_collect->start();
}

void SafeWriteTools::CollectReads() {
    using Kind = HistoryQuery::Answer::Kind;
    for (const HistoryQuery::Answer& answer : m_reads->TakeAnswers()) {
        // A damaged file put aside is told once, by JournalTools; an earlier
        // list's answer is for a list gone.
        if (answer.request != m_nListRequest || answer.kind == Kind::kPutAside) continue;
        m_collect->stop();
        if (!m_list) continue;
        if (answer.kind == Kind::kFailed) {
            m_list->ShowFailure(answer.text);
            continue;
        }
        std::vector<BackupListDialog::Item> items;
        for (const JournalEntry& read : answer.entries) items.push_back(ListItem(read));
        m_list->ShowItems(items, answer.more);
    }
}

BackupListDialog::Item SafeWriteTools::ListItem(const JournalEntry& read) const {
    BackupListDialog::Item item;
    item.read = read;
    item.values = JournalRecord::CompleteReadValues(read).value_or(ParamSet());
    int32_t station = read.station.value_or(-1);
    const DriveReads::Read* last = m_session.LastRead();
    if (!last) {
        item.differ = Text("드라이브를 아직 읽지 않음");
    } else if (last->station != station) {
        item.differ = Text("다른 국번");
    } else if (!SamePort(read.port, LastReadPort())) {
        item.differ = Text("다른 포트");
    } else {
        item.differ = QString::number(
            ParamComparison(item.values, last->values, item.values.Numbers()).Differences());
    }
    item.likely = station == m_stationId() && SamePort(read.port, m_session.OpenPort());
    return item;
}

void SafeWriteTools::UndoTo(const BackupListDialog::Item& item) {
    CompareWithRecorded(item.values, JournalEntryText::Label(item.read),
                        item.read.station.value_or(-1), QString::fromUtf8(item.read.port));
}

void SafeWriteTools::SaveRead(const BackupListDialog::Item& item) {
    ParamSet values = item.values;
    QString path = ParamFileDialog::ChooseToSave(m_list, false);
    if (path.isEmpty()) return;
    if (!ParamFile::Write(path.toStdString(), values)) {
        MessageBox::Show(m_list, QStringLiteral("File Error"));
        return;
    }
    m_session.Journal().Record(JournalRecord::File("saved", path.toStdString()));
}

bool SafeWriteTools::ConfirmOtherDrive(int32_t readStation, const std::string& readPort) {
    int32_t station = m_stationId();
    std::string port = m_session.OpenPort();
    if (readStation == station && SamePort(readPort, port)) return true;
    return MessageBox::AskYesNo(
        m_window, Text("이 기록은 지금 연결된 것과 다른 국번이나 포트에서 읽은 값입니다.\n"
                       "기록: 국번 %1, 포트 %2\n"
                       "연결된 드라이브: 국번 %3, 포트 %4\n\n"
                       "이 기록의 값을 국번 %3 드라이브와 비교하고 전송하시겠습니까?")
                      .arg(readStation)
                      .arg(PortShown(readPort))
                      .arg(station)
                      .arg(QString::fromStdString(port)));
}

void SafeWriteTools::OnReadFinished(bool complete) {
    const DriveReads::Read* read = m_session.LastRead();
    if (complete && read) {
        m_nReadSerial = read->serial;
        m_readPort = m_session.OpenPort();
    }
    if (m_waiting != Waiting::kRead) return;
    m_waiting = Waiting::kNothing;
    if (!m_compare) return;
    if (!complete || !read) {
        m_compare->ShowFailure(
            Text("드라이브를 다 읽지 못했습니다. 연결과 국번을 확인하고 다시 비교하십시오."));
        return;
    }
    m_compared = *read;
    m_compare->ShowComparison(
        ParamComparison(m_compareFile, m_compared.values, m_compareFile.Numbers()),
        m_compared.station);
}

void SafeWriteTools::OnReadBackFinished(const ReadBackReport& report) {
    emit StatusMessage(ReadBackStatus(report));
    // A read-back still under way when the dialog sent its values reports on an earlier group.
    if (m_waiting != Waiting::kReadBack || !report.Covers(m_nGroup)) return;
    m_waiting = Waiting::kNothing;
    if (!m_compare) return;
    TakeReadBack(report);
    m_compare->ShowReadBack(
        ParamComparison(m_compareFile, m_compared.values, m_compareFile.Numbers()),
        m_compared.station, report);
}

void SafeWriteTools::TakeReadBack(const ReadBackReport& report) {
    // The read-back's PRA asks for every parameter: when all came, the write
    // guard has made it the last complete read before this report. When some
    // did not, the values sent came back in the report at least.
    const DriveReads::Read* read = m_session.LastRead();
    if (read && read->station == m_compared.station) m_compared = *read;
    for (const ParamComparison::Row& row : report.Comparison().Rows()) {
        if (row.hasB) m_compared.values.Set(row.number, row.b);
    }
}
