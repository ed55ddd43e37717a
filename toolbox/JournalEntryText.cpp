#include "toolbox/JournalEntryText.h"

#include "form/Utf8Text.h"
#include "journal/JournalTime.h"

QString JournalEntryText::LocalTime(const std::string& utc) {
    return QString::fromUtf8(JournalTime::Local(utc)).left(19);
}

QString JournalEntryText::Label(const JournalEntry& entry) {
    return Text("기록 #%1 (%2, 포트 %3, 국번 %4)")
        .arg(entry.id)
        .arg(LocalTime(entry.time), QString::fromUtf8(entry.port),
             entry.station ? QString::number(*entry.station) : Text("없음"));
}
