#include "toolbox/SafeWriteTools.h"

#include <QFileInfo>
#include <ctime>
#include <optional>

#include "form/MessageBox.h"
#include "form/ParamFileCheckText.h"
#include "form/ParamFileDialog.h"
#include "form/Utf8Text.h"
#include "params/ParamComparison.h"
#include "params/ParamFileCheck.h"
#include "toolbox/BackupListDialog.h"
#include "toolbox/CompareDialog.h"

namespace {

QString NumberList(const std::vector<int32_t>& numbers) {
    QStringList texts;
    for (int32_t number : numbers) texts << QString::number(number);
    return texts.join(", ");
}

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
// a backup saved without its port matches any.
bool SamePort(const std::string& a, const std::string& b) {
    return a.empty() || b.empty() ||
           QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

QString PortShown(const std::string& port) {
    return port.empty() ? Text("기록 없음") : QString::fromStdString(port);
}

// Where a backup that cannot be sent first goes wrong, for its row.
QString Damage(const ParamFileCheck& check) {
    QStringList parts;
    if (!check.Problems().empty()) parts << Text("%1번째 줄").arg(check.Problems().front().line);
    if (!check.Missing().empty()) parts << Text("없는 파라미터 %1개").arg(check.Missing().size());
    return Text("손상됨 (%1)").arg(parts.join(", "));
}

}  // namespace

SafeWriteTools::SafeWriteTools(DriveSession& session, std::function<int32_t()> stationId,
                               QWidget* window)
    : QObject(window),
      m_session(session),
      m_stationId(std::move(stationId)),
      m_window(window),
      m_store(BackupStore::DefaultFolder(), BackupStore::kMaxBackups) {
    m_session.SetBackupSaver([this](const ParamSet& set, int32_t station) {
        return m_store.Save(set, station, LastReadPort(), std::time(nullptr));
    });
    m_session.AddListener(this);
}

SafeWriteTools::~SafeWriteTools() {
    m_session.SetBackupSaver({});
    m_session.RemoveListener(this);
}

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
    if (file) StartCompare(*file, Text("파일: %1").arg(path));
}

void SafeWriteTools::CompareWithRecorded(const ParamSet& values, const QString& source,
                                         int32_t station, const QString& port) {
    if (!CheckConnected() || !ConfirmOtherDrive(station, port.toStdString(), "기록")) return;
    StartCompare(values, source);
}

void SafeWriteTools::StartCompare(const ParamSet& file, const QString& source) {
    if (m_compare) m_compare->close();
    m_compareFile = file;
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
    // To the drive that was read.
    m_session.Queue().QueueWriteGroup(m_compared.station, writes);
}

void SafeWriteTools::OnUndo() {
    std::vector<BackupListDialog::Item> items;
    for (const BackupStore::Entry& entry : m_store.List()) items.push_back(ListItem(entry));
    auto* dialog = new BackupListDialog(items, QString::fromStdString(m_store.Folder()), m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &BackupListDialog::Chosen, this, &SafeWriteTools::UndoTo);
    dialog->open();
}

BackupListDialog::Item SafeWriteTools::ListItem(const BackupStore::Entry& entry) const {
    QString path = QString::fromStdString(entry.path);
    BackupListDialog::Item item;
    item.path = path;
    item.when = QString::fromStdString(entry.When());
    item.station = entry.station;
    item.port = PortShown(entry.port);
    // The check a file must pass before its values are sent, so that a
    // damaged backup shows here and not only once chosen.
    std::optional<ParamFileCheck> check = ParamFileCheck::Read(entry.path);
    const DriveReads::Read* read = m_session.LastRead();
    if (!check) {
        item.differ = Text("읽을 수 없음");
    } else if (!check->Sendable()) {
        item.differ = Damage(*check);
        item.differTip = ParamFileCheckText::Refusal(path, check);
    } else if (!read) {
        item.differ = Text("드라이브를 아직 읽지 않음");
    } else if (read->station != entry.station) {
        item.differ = Text("다른 국번");
    } else if (!SamePort(entry.port, LastReadPort())) {
        item.differ = Text("다른 포트");
    } else {
        const ParamSet& backup = check->Values();
        item.differ =
            QString::number(ParamComparison(backup, read->values, backup.Numbers()).Differences());
    }
    item.likely = check && check->Sendable() && entry.station == m_stationId() &&
                  SamePort(entry.port, m_session.OpenPort());
    return item;
}

void SafeWriteTools::UndoTo(const QString& path) {
    if (!CheckConnected()) return;
    BackupStore::Entry entry;
    BackupStore::Describe(path.toStdString(), entry);
    std::optional<ParamSet> backup = LoadForSending(m_window, path);
    if (!backup || !ConfirmOtherDrive(entry.station, entry.port, "백업")) return;
    StartCompare(*backup, Text("백업: %1, 국번 %2, 포트 %3 (%4)")
                              .arg(QString::fromStdString(entry.When()))
                              .arg(entry.station)
                              .arg(PortShown(entry.port))
                              .arg(path));
}

bool SafeWriteTools::ConfirmOtherDrive(int32_t readStation, const std::string& readPort,
                                       const char* what) {
    int32_t station = m_stationId();
    std::string port = m_session.OpenPort();
    if (readStation == station && SamePort(readPort, port)) return true;
    return MessageBox::AskYesNo(
        m_window, Text("이 %1은 지금 연결된 것과 다른 국번이나 포트에서 읽은 값입니다.\n"
                       "%1: 국번 %2, 포트 %3\n"
                       "연결된 드라이브: 국번 %4, 포트 %5\n\n"
                       "이 %1의 값을 국번 %4 드라이브와 비교하고 전송하시겠습니까?")
                      .arg(Text(what))
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

void SafeWriteTools::OnBackupSaved(const std::string& path) {
    if (path.empty()) {
        emit StatusMessage(
            Text("백업을 저장하지 못했습니다: %1").arg(QString::fromStdString(m_store.Folder())));
        return;
    }
    emit StatusMessage(
        Text("쓰기 전 백업: %1").arg(QFileInfo(QString::fromStdString(path)).fileName()));
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
