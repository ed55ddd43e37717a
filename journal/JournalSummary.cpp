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

constexpr auto List = &ReportHtml::List;

// The Korean words for a recorded word, the word itself where none is listed.
std::string Words(const Json& value,
                  std::initializer_list<std::pair<const char*, const char*>> words) {
    for (const auto& [word, korean] : words) {
        if (value == word) return korean;
    }
    return Value(value, "-");
}

// The `key` of each item of `list`, or each item, joined by ", ".
std::string Joined(const Json& list, const char* key = nullptr) {
    std::string text;
    for (const Json& item : list) {
        text += (text.empty() ? "" : ", ") + Value(key ? Field(item, key) : item, "-");
    }
    return text;
}

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
        case Kind::kSetMode:
            return Write(entry.payload);
        case Kind::kReadBack:
            return ReadBack(entry.payload);
        case Kind::kInit:
        case Kind::kSend:
        case Kind::kVersion:
            return Lines(entry.payload);
        case Kind::kScan:
            return Scan(entry.payload);
        case Kind::kMonitor:
            return Monitor(entry.payload);
        case Kind::kFile:
            return File(entry.payload);
        case Kind::kCommission:
            return Commission(entry.payload);
        case Kind::kFailure:
            return Failure(entry.payload);
        case Kind::kDisconnect:
            return Field(entry.payload, "lost") == true ? "포트가 사라짐" : "";
        default:
            return Fields(entry.payload);
    }
}

const char* JournalSummary::FateText(const Json& fate) {
    if (fate == "sent") return "보냄";
    if (fate == "failed") return "쓰기 실패";
    return "보내지 않음";
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

// Lines sent and what came back: "#0.FRD 0 (보냄) → #0.FRD 0 0105".
std::string JournalSummary::Lines(const Json& payload) {
    std::string text;
    for (const Json& line : List(payload, "lines")) {
        text += (text.empty() ? "" : ", ") + Value(Field(line, "line"), "-") + " (" +
                FateText(Field(line, "fate")) + ")";
    }
    const Json& replies = List(payload, "replies");
    if (replies.empty()) return text;
    return text.empty() ? Joined(replies) : text + " → " + Joined(replies);
}

std::string JournalSummary::Scan(const Json& payload) {
    std::string text = "국번 " + Value(Field(payload, "first"), "?") + "~" +
                       Value(Field(payload, "last"), "?") + " " +
                       Words(Field(payload, "result"), {{"finished", "검색 끝남"},
                                                        {"cancelled", "검색 취소됨"},
                                                        {"port lost", "포트 연결이 끊어짐"}}) +
                       ": 응답 " + std::to_string(List(payload, "answers").size()) + "개";
    for (const Json& answer : List(payload, "answers")) {
        text += ", " + Value(Field(answer, "station"), "?") + " (" +
                Value(Field(answer, "version"), "-") + ")";
    }
    return text;
}

std::string JournalSummary::Monitor(const Json& payload) {
    if (Field(payload, "action") == "start") {
        return "시작: " + Joined(List(payload, "commands")) + ", " +
               Value(Field(payload, "interval_ms"), "?") + " ms마다";
    }
    return "멈춤: " + Value(Field(payload, "rounds_sent"), "?") + "회 보냄, " +
           Value(Field(payload, "rounds_answered"), "?") + "회 응답";
}

std::string JournalSummary::File(const Json& payload) {
    return Words(Field(payload, "action"),
                 {{"opened", "열기"}, {"saved", "저장"}, {"sent from", "보낸 파일"}}) +
           " " + Value(Field(payload, "path"), "-");
}

std::string JournalSummary::Commission(const Json& payload) {
    const Json& stations = List(payload, "stations");
    size_t verified = 0;
    for (const Json& station : stations) {
        if (Field(station, "result") == "verified") ++verified;
    }
    std::string text =
        Words(Field(payload, "mode"), {{"send", "보내기"}, {"compare only", "비교만"}}) + " " +
        Value(Field(payload, "file"), "-") + ": 국번 " + std::to_string(stations.size()) +
        "개 중 " + std::to_string(verified) + "개 확인됨";
    const Json& stopped = Field(payload, "stopped");
    return stopped.is_null() ? text : text + ", 중단됨 (" + Value(stopped, "-") + ")";
}

std::string JournalSummary::Failure(const Json& payload) {
    const Json& what = Field(payload, "what");
    std::string text = Words(what, {{"port lost", "포트 연결이 끊어짐"},
                                    {"write failed", "줄을 쓰지 못함"},
                                    {"stopped by a signal", "신호를 받아 멈춤"}});
    if (!Field(payload, "line").is_null()) text += ": " + Value(Field(payload, "line"), "-");
    if (!Field(payload, "signal").is_null())
        text += " (" + Value(Field(payload, "signal"), "-") + ")";
    return text;
}
