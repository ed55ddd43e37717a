#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

#include "params/ParamComparison.h"
#include "params/ParamSet.h"
#include "protocol/ReadBackReport.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

// "드라이브와 비교": a file's values beside the drive's, the differing rows
// first and marked, each with a check box (ticked, unless the drive cannot
// keep the value in 16 bits); "선택 항목 전송" asks for
// the ticked values to be sent, and the read-back marks each row confirmed or
// not, in the comparison made again from what the drive then holds. The
// dialog shows; its owner reads, sends and reads back.
class CompareDialog : public QDialog {
    Q_OBJECT
  public:
    enum Column { kNumber, kName, kFile, kDrive, kDifference, kResult, kColumns };

    // `source` names the file (or backup) compared.
    CompareDialog(const QString& source, QWidget* parent = nullptr);

    // The drive is being read.
    void ShowReading();
    // The read or the send went wrong; nothing more can happen here.
    void ShowFailure(const QString& text);
    void ShowComparison(const ParamComparison& comparison, int32_t station);
    // Two recorded sets side by side, with nothing to send: `a` and `b` name
    // the sides, as the column headers and the summary show them.
    void ShowDifferences(const ParamComparison& comparison, const QString& a, const QString& b);
    // The ticked values are on their way, the read-back follows.
    void ShowSending(int count);
    // The comparison again after a send, with the drive as it was read back:
    // the rows sent carry the read-back's marks, right after the rows that
    // still differ, which start unticked (the operator chose what went).
    void ShowReadBack(const ParamComparison& comparison, int32_t station,
                      const ReadBackReport& report);

    // The file's values of the ticked rows.
    ParamSet Chosen() const;
    QTableWidget* Table() const { return m_table; }
    QString Summary() const;
    QString Status() const;

  signals:
    void SendRequested(const ParamSet& chosen);

  private:
    void Fill(const ParamComparison& comparison, int32_t station, const ParamSet& sent);
    void FillRows(const ParamComparison& comparison, const ParamSet& sent);
    void AddRow(int index, const ParamComparison::Row& row, bool tick);
    void MarkReadBack(const ReadBackReport& report);
    void ShowBusy(const QString& text);
    void SetBusy(bool busy);
    void UpdateSendButton();
    // A ticked value beyond 16 bits reaches the drive as another: asks first.
    bool ConfirmBeyond16Bits();

    QLabel* m_source = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QTableWidget* m_table = nullptr;
    QPushButton* m_send = nullptr;
    std::vector<ParamComparison::Row> m_rows;
    bool m_bSent = false;
    bool m_bBusy = false;
    // Sets compared, not a drive: no check boxes, nothing to send.
    bool m_bReadOnly = false;
    QString m_nameA;
    QString m_nameB;
};
