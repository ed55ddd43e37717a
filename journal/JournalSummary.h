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
    // A line's fate: "보냄", "쓰기 실패", "보내지 않음".
    static const char* FateText(const nlohmann::ordered_json& fate);
  private:
    // The document as "key: value" pairs, for a shape no kind has.
    static std::string Fields(const nlohmann::ordered_json& payload);
    static std::string Read(const nlohmann::ordered_json& payload);
    static std::string Write(const nlohmann::ordered_json& payload);
    static std::string ReadBack(const nlohmann::ordered_json& payload);
    static std::string Lines(const nlohmann::ordered_json& payload);
    static std::string Scan(const nlohmann::ordered_json& payload);
    static std::string Monitor(const nlohmann::ordered_json& payload);
    static std::string File(const nlohmann::ordered_json& payload);
    static std::string Commission(const nlohmann::ordered_json& payload);
    static std::string Failure(const nlohmann::ordered_json& payload);
};
