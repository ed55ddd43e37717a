#pragma once

#include <QString>
#include <QStringList>

// The recent-file list the shell keeps in the per-user settings store
// (group "Recent File List", keys File1 to File4), newest first; the
// application sets the store up once (its names and format) before any use.
class RecentFileList {
  public:
    static constexpr int kEntries = 4;

    void Load();
    void Save() const;
    // Puts `path` (made absolute) first, dropping an older entry for it and
    // the oldest beyond four.
    void Add(const QString& path);
    const QStringList& Entries() const { return m_entries; }

  private:
    QStringList m_entries;
};
