#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

#include "params/BackupStore.h"
#include "params/ParamSet.h"
#include "session/DriveSession.h"
#include "toolbox/BackupListDialog.h"

class CompareDialog;
class QWidget;

// The safe writes of the "도구" menu, over the drive session: compare the
// drive with a file and send what the operator ticks, keep the drive's set
// before the first write after each read, undo from such a backup, and read
// back after every write group when "전송 후 확인" is on. The core does the
// work (the session's write guard, ParamComparison, BackupStore); this ties
// it to the dialogs and the status bar. The form's timer ticks the session.
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

    const BackupStore& Backups() const { return m_store; }

  signals:
    void StatusMessage(const QString& text);

  private:
    // Reads the drive (as "읽어오기" does) and shows it beside `file`.
    void StartCompare(const ParamSet& file, const QString& source);
    void SendChosen(const ParamSet& chosen);
    BackupListDialog::Item ListItem(const BackupStore::Entry& entry) const;
    void UndoTo(const QString& path);
    // Values read from another station or port (`what`: "백업", "기록") are
    // restored only when the operator says so.
    bool ConfirmOtherDrive(int32_t readStation, const std::string& readPort, const char* what);
    bool CheckConnected();
    // The port the last complete read came from; empty when not known.
    std::string LastReadPort() const;
    // What the drive holds after the values sent: its last complete read, and
    // what the read-back carried.
    void TakeReadBack(const ReadBackReport& report);

    void OnReadFinished(bool complete) override;
    void OnBackupSaved(const std::string& path) override;
    void OnReadBackFinished(const ReadBackReport& report) override;

    enum class Waiting { kNothing, kRead, kReadBack };

    DriveSession& m_session;
    std::function<int32_t()> m_stationId;
    QWidget* m_window;
    BackupStore m_store;
    QPointer<CompareDialog> m_compare;
    ParamSet m_compareFile;
    // The drive's values the dialog compares with, and its station.
    DriveReads::Read m_compared;
    // The write group the dialog sent, for its read-back.
    uint64_t m_nGroup = 0;
    // The port the last complete read (by its serial) came from, for its backup.
    uint64_t m_nReadSerial = 0;
    std::string m_readPort;
    Waiting m_waiting = Waiting::kNothing;
};
