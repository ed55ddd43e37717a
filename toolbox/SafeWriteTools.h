#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "journal/JournalEntry.h"
#include "params/ParamSet.h"
#include "session/DriveSession.h"
#include "toolbox/BackupListDialog.h"

class CompareDialog;
class HistoryQuery;
class QTimer;
class QWidget;

// The safe writes of the "도구" menu, over the drive session: compare the
// drive with a file and send what the operator ticks, undo to a complete read
// the journal keeps (the journal's reads are the drive's backups) or save one
// as a file, and read back after every write group when "전송 후 확인" is on.
// The core does the work (the session's write guard, ParamComparison, the
// journal); this ties it to the dialogs and the status bar. The form's timer
// ticks the session.
class SafeWriteTools : public QObject, private DriveSession::Listener {
    Q_OBJECT
  public:
    // `stationId` gives the station the form's commands address.
    SafeWriteTools(DriveSession& session, std::function<int32_t()> stationId, QWidget* window);
    ~SafeWriteTools() override;

    // "드라이브와 비교(&C)...".
    void OnCompareWithDrive();
    // "되돌리기(&U)...".
    void OnUndo();
    // Values recorded before (a journal's read of `station` on `port`)
    // offered for sending: the drive is read first and shown beside them, as
    // "드라이브와 비교" does; another drive's only when the operator says so.
    void CompareWithRecorded(const ParamSet& values, const QString& source, int32_t station,
                             const QString& port);
    // "전송 후 확인(&V)".
    void SetVerifyAfterWrite(bool on) { m_session.SetVerifyAfterWrite(on); }

  signals:
    void StatusMessage(const QString& text);

  private:
    // Reads the drive (as "읽어오기" does) and shows it beside `file`.
    // `filePath`: the parameter file the values came from, recorded once they
    // are sent; empty for recorded values.
    void StartCompare(const ParamSet& file, const QString& source,
                      const std::string& filePath = {});
    void SendChosen(const ParamSet& chosen);
    // Shows the journal's answer in the list when it has come.
    void CollectReads();
    BackupListDialog::Item ListItem(const JournalEntry& read) const;
    void UndoTo(const BackupListDialog::Item& item);
    void SaveRead(const BackupListDialog::Item& item);
    // Values read from another station or port are restored only when the
    // operator says so.
    bool ConfirmOtherDrive(int32_t readStation, const std::string& readPort);
    bool CheckConnected();
    // The port the last complete read came from; empty when not known.
    std::string LastReadPort() const;
    // What the drive holds after the values sent: its last complete read, and
    // what the read-back carried.
    void TakeReadBack(const ReadBackReport& report);

    void OnReadFinished(bool complete) override;
    void OnReadBackFinished(const ReadBackReport& report) override;

    enum class Waiting { kNothing, kRead, kReadBack };

    DriveSession& m_session;
    std::function<int32_t()> m_stationId;
    QWidget* m_window;
    QPointer<CompareDialog> m_compare;
    ParamSet m_compareFile;
    std::string m_compareFilePath;
    // The drive's values the dialog compares with, and its station.
    DriveReads::Read m_compared;
    // The write group the dialog sent, for its read-back.
    uint64_t m_nGroup = 0;
    // The port the last complete read (by its serial) came from, for the list.
    uint64_t m_nReadSerial = 0;
    std::string m_readPort;
    Waiting m_waiting = Waiting::kNothing;
    // The list of reads, and the journal's queries for it (made when first listed).
    QPointer<BackupListDialog> m_list;
    std::unique_ptr<HistoryQuery> m_reads;
    QTimer* m_collect = nullptr;
    uint64_t m_nListRequest = 0;
};
