#pragma once

#include <string>

#include "journal/JournalEntry.h"

// A journal entry in a few Korean words, as the history window lists it and
// the service report names it: "20 가속시간 500 → 300", "읽기 29개 (완료)".
// Tolerates any document, one changed by hand too.
class JournalSummary {
  public:
    static const char* KindText(JournalEntry::Kind kind);
    static std::string Of(const JournalEntry& entry);
    // "20 가속시간 500 → 300": one parameter of a write, `before` "?" when unknown.
    static std::string Change(const nlohmann::ordered_json& parameter);
    // Lines of a write that did not go out ("failed" or "not sent").
    static size_t Unsent(const nlohmann::ordered_json& payload);
    // The document as "key: value" pairs, for kinds whose shape is their recorder's.
    static std::string Fields(const nlohmann::ordered_json& payload);

  private:
    static std::string Read(const nlohmann::ordered_json& payload);
    static std::string Write(const nlohmann::ordered_json& payload);
    static std::string ReadBack(const nlohmann::ordered_json& payload);
};
