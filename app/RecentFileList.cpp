#include "app/RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const kGroup = "Recent File List";

QString Key(int index) { return QStringLiteral("File%1").arg(index + 1); }

}  // namespace

void RecentFileList::Load() {
    QSettings settings;
    settings.beginGroup(kGroup);
    m_entries.clear();
    for (int i = 0; i < kEntries; ++i) {
        QString path = settings.value(Key(i)).toString();
        if (!path.isEmpty()) m_entries.append(path);
    }
}

void RecentFileList::Save() const {
    QSettings settings;
    settings.remove(kGroup);
    settings.beginGroup(kGroup);
    for (int i = 0; i < m_entries.size(); ++i) settings.setValue(Key(i), m_entries[i]);
}

void RecentFileList::Add(const QString& path) {
    QString absolute = QFileInfo(path).absoluteFilePath();
    m_entries.removeAll(absolute);
    m_entries.prepend(absolute);
    while (m_entries.size() > kEntries) m_entries.removeLast();
}
