#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QPushButton;
class QTableWidget;

// "되돌리기": the backups, newest first, with the time, the station, the port
// and how many parameters each differs from the drive's last read (or why
// not: damaged, another station); the operator chooses one to compare with
// the drive and send. The newest sound backup of the drive connected is
// chosen at first; no other is.
class BackupListDialog : public QDialog {
    Q_OBJECT
  public:
    struct Item {
        QString path;
        QString when;
        int station = 0;
        QString port;
        // "3", or why there is no count, with the details as its tool tip.
        QString differ;
        QString differTip;
        // Sound, and of the station and port connected.
        bool likely = false;
    };
    enum Column { kWhen, kStation, kPort, kDiffer, kColumns };

    BackupListDialog(const std::vector<Item>& items, const QString& folder,
                     QWidget* parent = nullptr);

    QTableWidget* Table() const { return m_table; }

  signals:
    void Chosen(const QString& path);

  private:
    void Choose();

    std::vector<Item> m_items;
    QTableWidget* m_table = nullptr;
    QPushButton* m_choose = nullptr;
};
