#include "journal/JournalSummary.h"

#include <array>
#include <utility>

#include "journal/ReportHtml.h"
#include "params/ParamTable.h"

namespace {

using Json = nlohmann::ordered_json;
using Kind = JournalEntry::Kind;

constexpr auto Field = &ReportHtml::Field;

constexpr std::array<std::pair<Kind, const char*>, 14> kWords{{
    {Kind::kConnect, "연결"},
    {Kind::kDisconnect, "연결 끊음"},
    {Kind::kRead, "읽기"},
    {Kind::kWrite, "쓰기"},
    {Kind::kReadBack, "다시 읽어 확인"},
    {Kind::kInit, "초기화"},
    {Kind::kSetMode, "SET 모드"},
    {Kind::kSend, "직접 보낸 줄"},
    {Kind::kVersion, "버전"},
    {Kind::kScan, "국번 검색"},
    {Kind::kMonitor, "모니터"},
    {Kind::kFile, "파일"},
    {Kind::kCommission, "일괄 설정"},
    {Kind::kFailure, "실패"},
}};

// A value as text; `missing` for null.
std::string Value(const Json& value, const char* missing) {
    if (value.is_null()) return missing;
    if (value.is_string()) return value.get<std::string>();
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

size_t SizeOf(const Json& value) { return value.is_structured() ? value.size() : 0; }

}  // namespace

const char* JournalSummary::KindText(Kind kind) {
    for (const auto& [each, word] : kWords) {
        if (each == kind) return word;
    }
    return "";
}

std::string JournalSummary::Of(const JournalEntry& entry) {
    switch (entry.kind) {
        case Kind::kRead:
            return Read(entry.payload);
        case Kind::kWrite:
            return Write(entry.payload);
        case Kind::kReadBack:
            return ReadBack(entry.payload);
        default:
            return Fields(entry.payload);
    }
}

std::string JournalSummary::Change(const Json& parameter) {
    const Json& number = Field(parameter, "number");
    std::string name;
    if (number.is_number_integer()) {
        int64_t n = number.get<int64_t>();
        if (n >= 0 && n < ParamTable::kCount) name = ParamTable::NameOf(static_cast<int32_t>(n));
    }
    return Value(number, "?") + (name.empty() ? "" : " " + name) + " " +
           Value(Field(parameter, "before"), "?") + " → " + Value(Field(parameter, "sent"), "?");
}

size_t JournalSummary::Unsent(const Json& payload) {
    size_t unsent = 0;
    const Json& lines = Field(payload, "lines");
    if (!lines.is_array()) return 0;
    for (const Json& line : lines) {
        if (Field(line, "fate") != "sent") ++unsent;
    }
    return unsent;
}

std::string JournalSummary::Fields(const Json& payload) {
    if (!payload.is_object()) return Value(payload, "");
    std::string text;
    for (const auto& [key, value] : payload.items()) {
        text += (text.empty() ? "" : ", ") + key + ": " + Value(value, "-");
    }
    return text;
}

std::string JournalSummary::Read(const Json& payload) {
    return "읽기 " + std::to_string(SizeOf(Field(payload, "values"))) + "개 (" +
           (Field(payload, "complete") == true ? "완료" : "불완전") + ")";
}

std::string JournalSummary::Write(const Json& payload) {
    const Json& parameters = Field(payload, "parameters");
    size_t count = SizeOf(parameters);
    std::string text =
        count == 0 ? "보낸 값 없음" : Change(parameters.is_array() ? parameters[0] : Json());
    if (count > 1) text += " 외 " + std::to_string(count - 1) + "개";
    size_t unsent = Unsent(payload);
    if (unsent > 0) text += ", 못 보낸 줄 " + std::to_string(unsent) + "개";
    return text + (Field(payload, "saved") == true ? ", 저장함" : ", 저장 안 함");
}

std::string JournalSummary::ReadBack(const Json& payload) {
    const Json& result = Field(payload, "result");
    size_t count = SizeOf(Field(payload, "parameters"));
    if (result == "confirmed") return "확인됨 (" + std::to_string(count) + "개)";
    if (result == "mismatch") {
        size_t differ = 0;
        for (const Json& row : Field(payload, "parameters")) {
            if (Field(row, "drive") != Field(row, "sent")) ++differ;
        }
        return "불일치 " + std::to_string(differ) + "개 / " + std::to_string(count) + "개";
    }
    if (result == "no complete reply") return "드라이브가 완전히 응답하지 않음";
    return Value(result, "결과 없음");
}
