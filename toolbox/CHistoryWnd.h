#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "journal/JournalFilter.h"
#include "params/ParamSet.h"
#include "toolbox/CompareDialog.h"
#include "toolbox/HistoryQuery.h"

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTableWidget;

// "작업 기록": the journal's sessions, newest first and a page at a time,
// filtered by port, station, date and text; the entries of the one selected;
// a recorded complete read offered for restoring or compared with another
// read or a file; the service report of the selected sessions saved. The
// journal is queried on a thread of the window's own, whose answers the
// window collects while any is due.
class CHistoryWnd : public QDialog {
    Q_OBJECT
  public:
    enum SessionColumn {
        kStarted,
        kPort,
        kStations,
        kProgram,
        kUser,
        kEntryCount,
        kSessionColumns
    };
    enum EntryColumn { kId, kTime, kKind, kStation, kSummary, kEntryColumns };
    static constexpr size_t kPageSize = 100;

    CHistoryWnd(std::string journalPath, QWidget* parent = nullptr);
    ~CHistoryWnd() override;

    // Lists the sessions the filter fields want, from the first page.
    void Find();
    // Compares the selected read with the recorded read `id`, or with a file.
    void CompareWithEntry(int64_t id);
    void CompareWithFile(const QString& path);
    // Writes the service report of the selected sessions to `path`.
    void SaveReport(const QString& path);

    QTableWidget* Sessions() const { return m_sessions; }
    QTableWidget* Entries() const { return m_entries; }
    QString Status() const;
    // The last comparison shown, while it is open.
    CompareDialog* Comparison() const { return m_diff; }

  signals:
    // "이 값으로 되돌리기": a recorded read's values, what to call them, and
    // the station (-1 when not recorded) and port they were read from.
    void RestoreRequested(const ParamSet& values, const QString& label, int32_t station,
                          const QString& port);
    // The journal answered a request (found, saved or failed).
    void Answered();

  private:
    QHBoxLayout* MakeFilterRow();
    QHBoxLayout* MakeButtonRow();
    QTableWidget* MakeTable(const QStringList& headers);
    // The filter the fields say; nullopt (the status tells) when the date is none.
    std::optional<JournalFilter> FilterOfFields();
    void RequestSessions(size_t offset);
    // Takes the answers come and shows each.
    void CollectAnswers();
    void Show(const HistoryQuery::Answer& answer);
    void ShowSessions(const HistoryQuery::Answer& answer);
    void ShowEntries(const HistoryQuery::Answer& answer);
    void ShowOtherRead(const HistoryQuery::Answer& answer);
    void OnSessionSelected();
    void UpdateButtons();
    // The selected entry's values when it is a complete read.
    std::optional<ParamSet> SelectedRead() const;
    void ShowDiff(const ParamSet& other, const QString& otherLabel);
    void Restore();
    void AskCompareWithEntry();
    void AskCompareWithFile();
    void AskSaveReport();
    void SetStatus(const QString& text, bool busy);
    // Runs `query` on the query thread with a new request number, which it returns.
    template <typename Query>
    quint64 Post(Query query);

    std::unique_ptr<HistoryQuery> m_query;
    QTimer* m_collect = nullptr;
    int m_nDue = 0;  // requests not answered yet
    quint64 m_nRequest = 0;
    quint64 m_nSessionsRequest = 0;
    quint64 m_nEntriesRequest = 0;
    quint64 m_nOtherRequest = 0;
    JournalFilter m_filter;
    JournalSessions m_sessionList;
    JournalEntries m_entryList;

    QLineEdit* m_port = nullptr;
    QLineEdit* m_station = nullptr;
    QLineEdit* m_since = nullptr;
    QLineEdit* m_text = nullptr;
    QTableWidget* m_sessions = nullptr;
    QTableWidget* m_entries = nullptr;
    QPushButton* m_more = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_compare = nullptr;
    QPushButton* m_report = nullptr;
    QLabel* m_status = nullptr;
    QPointer<CompareDialog> m_diff;
};
