#pragma once

#include <QDialog>
#include <QString>
#include <cstddef>
#include <vector>

#include "journal/JournalEntry.h"
#include "params/ParamSet.h"

class QLabel;
class QPushButton;
class QTableWidget;

// "되돌리기": the journal's complete reads, the drive's backups, newest
// first, with the time, the station, the port and how many parameters each
// differs from the drive's last read (or why not: not read yet, another
// station or port). The operator chooses one to compare with the drive and
// send, or saves one as a parameter file. The journal answers on a thread of
// its own: the dialog shows at once and is filled when the answer comes. The
// newest read of the drive connected is chosen at first; no other is.
class BackupListDialog : public QDialog {
    Q_OBJECT
  public:
    // The newest reads listed; older ones are found in "작업 기록".
    static constexpr size_t kMaxListed = 100;

    struct Item {
        JournalEntry read;
        ParamSet values;
        // "3", or why there is no count.
        QString differ;
        // Of the station and port connected.
        bool likely = false;
    };
    enum Column { kWhen, kStation, kPort, kDiffer, kColumns };

    // Says that the journal at `journalPath` is being read.
    explicit BackupListDialog(const QString& journalPath, QWidget* parent = nullptr);

    // `more`: older reads than these were left out.
    void ShowItems(const std::vector<Item>& items, bool more);
    // The journal could not be read: `reason`, and nothing listed.
    void ShowFailure(const QString& reason);

    QTableWidget* Table() const { return m_table; }
    QString Intro() const;

  signals:
    void Chosen(const BackupListDialog::Item& item);
    void SaveRequested(const BackupListDialog::Item& item);

  private:
    void AddRow(int row, const Item& item);
    void UpdateButtons();
    // The selected item; nullptr when none is.
    const Item* Selected() const;
    void Choose();
    void Save();

    std::vector<Item> m_items;
    QLabel* m_intro = nullptr;
    QTableWidget* m_table = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_save = nullptr;
};
