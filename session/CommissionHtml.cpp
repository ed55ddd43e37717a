#include "session/CommissionHtml.h"

#include <charconv>
#include <cstdint>

#include "params/ParamTable.h"
#include "session/Commissioning.h"

using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kStyle =
    "body{font-family:\"NanumGothic\",\"Gulim\",sans-serif;font-size:10pt;margin:1.5em}"
    "table{border-collapse:collapse;margin:.5em 0}"
    "th,td{border:1px solid #999;padding:2px 8px;text-align:left}"
    "td.n{text-align:right}"
    ".station{break-before:page;page-break-before:always}"
    ".verified{background:#e3f4e3}.mismatch,.no-reply{background:#fbe3e3}"
    ".not-reached,.cancelled,.waiting,.reading,.sending{background:#eee}"
    "tr.differ{background:#fbe3e3}tr.changed{background:#fff6d6}"
    ".warn{color:#a00;font-weight:bold}"
    "@media print{body{margin:0}}";

// Valid UTF-8, each byte that is none replaced with U+FFFD, then escaped for
// HTML text and attribute values.
std::string Escape(const std::string& text) {
    std::string valid = Json::parse(Json(text).dump(-1, ' ', false, Json::error_handler_t::replace))
                            .get<std::string>();
    std::string escaped;
    for (char c : valid) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// The field `key` of an object; null where there is none.
const Json& Field(const Json& object, const char* key) {
    static const Json kNull;
    if (!object.is_object()) return kNull;
    auto it = object.find(key);
    return it == object.end() ? kNull : *it;
}

// A field as text: a string escaped, a number as it is, null as a dash.
std::string Text(const Json& value) {
    if (value.is_null()) return "—";
    if (value.is_string()) return Escape(value.get<std::string>());
    return Escape(value.dump());
}

std::string Cell(const std::string& html, bool number = false) {
    return std::string(number ? "<td class=\"n\">" : "<td>") + html + "</td>";
}

std::string Row(const char* header, const std::string& html) {
    return std::string("<tr><th>") + header + "</th>" + Cell(html) + "</tr>\n";
}

// The state's word in Korean, with the report's word beside it.
std::string ResultText(const Json& result) {
    std::string name = result.is_string() ? result.get<std::string>() : "";
    for (int i = 0; i <= static_cast<int>(Commissioning::State::kCancelled); ++i) {
        auto state = static_cast<Commissioning::State>(i);
        if (name == Commissioning::ResultName(state)) {
            return std::string(Commissioning::StateText(state)) + " (" + Escape(name) + ")";
        }
    }
    return Escape(name);
}

// "no reply" as a class name: "no-reply".
std::string ResultClass(const Json& result) {
    std::string name = result.is_string() ? result.get<std::string>() : "";
    std::string css;
    for (char c : name) css += (c >= 'a' && c <= 'z') ? c : '-';
    return css;
}

std::string StopText(const Json& stopped) {
    static const std::pair<const char*, const char*> kTexts[] = {
        {"cancelled", "작업자가 취소했습니다"},
        {"port lost", "포트 연결이 끊어졌습니다"},
        {"write failed", "줄을 포트에 쓰지 못했습니다 (TTY Error!)"},
        {"backup failed", "백업을 저장하지 못해 더 보내지 않았습니다"},
    };
    for (const auto& [name, text] : kTexts) {
        if (stopped == name) return text;
    }
    return Text(stopped);
}

std::string Lines(const Json& lines) {
    std::string html = "<pre>";
    for (const Json& line : lines) html += Text(line) + "\n";
    return html + "</pre>\n";
}

std::string NumberList(const Json& numbers) {
    std::string text;
    for (const Json& number : numbers) text += (text.empty() ? "" : ", ") + Text(number);
    return text;
}

// The value of `number` in a set of the document, or null.
Json ValueOf(const Json& set, const std::string& number) { return Field(set, number.c_str()); }

std::string ParamName(const std::string& number) {
    int32_t n = -1;
    std::from_chars(number.data(), number.data() + number.size(), n);
    return n >= 0 && n < ParamTable::kCount ? Escape(ParamTable::NameOf(n)) : "";
}

}  // namespace

std::string CommissionHtml::Page(const Json& report) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"ko\">\n<head>\n<meta charset=\"utf-8\">\n<title>일괄 설정 "
        "보고서 " +
        Text(Field(report, "start")) + "</title>\n<style>" + kStyle +
        "</style>\n</head>\n<body>\n<h1>일괄 설정 보고서</h1>\n" + Facts(report);
    const Json& stations = Field(report, "stations");
    html += Summary(stations);
    for (const Json& station : stations) html += StationPage(station, Field(report, "target"));
    return html + "</body>\n</html>\n";
}

std::string CommissionHtml::Facts(const Json& report) {
    std::string html = "<table class=\"facts\">\n";
    html += Row("목표 파일", Text(Field(report, "file")));
    html += Row("SHA-256", "<code>" + Text(Field(report, "sha256")) + "</code>");
    html +=
        Row("방식", Field(report, "mode") == "compare only" ? "비교만 (보내지 않음)"
                                                            : "다른 값만 보내고 다시 읽어 확인");
    html += Row("포트", Text(Field(report, "port")) + " (" + Text(Field(report, "line")) + ")");
    html += Row("사용자", Text(Field(report, "user")));
    html += Row("컴퓨터", Text(Field(report, "host")));
    html += Row("시작", Text(Field(report, "start")));
    html += Row("끝", Field(report, "end").is_null() ? "끝나지 않음" : Text(Field(report, "end")));
    if (!Field(report, "stopped").is_null()) {
        html +=
            Row("중단", "<span class=\"warn\">" + StopText(Field(report, "stopped")) + "</span>");
    }
    return html + "</table>\n";
}

std::string CommissionHtml::Summary(const Json& stations) {
    std::string html =
        "<h2>국번별 결과</h2>\n<table class=\"summary\">\n<tr><th>국번</th><th>결과</th>"
        "<th>버전</th><th>보낸 줄</th><th>불일치</th></tr>\n";
    for (const Json& station : stations) {
        std::string mismatches;
        for (const Json& m : Field(station, "mismatches")) {
            mismatches += (mismatches.empty() ? "" : ", ") + Text(Field(m, "number"));
        }
        html += "<tr class=\"" + ResultClass(Field(station, "result")) + "\">" +
                Cell(Text(Field(station, "station")), true) +
                Cell(ResultText(Field(station, "result"))) + Cell(Text(Field(station, "version"))) +
                Cell(std::to_string(Field(station, "sent").size()), true) +
                Cell(mismatches.empty() ? "—" : mismatches) + "</tr>\n";
    }
    return html + "</table>\n";
}

std::string CommissionHtml::StationPage(const Json& station, const Json& target) {
    std::string html =
        "<section class=\"station\">\n<h2 class=\"" + ResultClass(Field(station, "result")) +
        "\">국번 " + Text(Field(station, "station")) + ": " + ResultText(Field(station, "result")) +
        "</h2>\n<p>버전 " + Text(Field(station, "version")) + ", 백업 " +
        Text(Field(station, "backup")) + "</p>\n";
    if (!Field(station, "missing").empty()) {
        html += "<p class=\"warn\">응답에 없던 파라미터: " + NumberList(Field(station, "missing")) +
                "</p>\n";
    }
    if (Field(station, "unsaved") == true) {
        html +=
            "<p class=\"warn\">PSV가 나가지 않아 드라이브가 저장하지 않은 값을 갖고 "
            "있습니다.</p>\n";
    }
    if (!Field(station, "mismatches").empty()) {
        html +=
            "<h3>불일치</h3>\n<table>\n<tr><th>번호</th><th>이름</th><th>목표</th>"
            "<th>드라이브</th></tr>\n";
        for (const Json& m : Field(station, "mismatches")) {
            html += "<tr>" + Cell(Text(Field(m, "number")), true) + Cell(Text(Field(m, "name"))) +
                    Cell(Text(Field(m, "target")), true) + Cell(Text(Field(m, "kept")), true) +
                    "</tr>\n";
        }
        html += "</table>\n";
    }
    html += "<h3>보낸 줄</h3>\n" +
            (Field(station, "sent").empty() ? "<p>없음</p>\n" : Lines(Field(station, "sent")));
    if (!Field(station, "unsent").empty())
        html += "<h3>보내지 못한 줄</h3>\n" + Lines(Field(station, "unsent"));
    return html + ValueTable(station, target) + "</section>\n";
}

std::string CommissionHtml::ValueTable(const Json& station, const Json& target) {
    std::string html =
        "<h3>값</h3>\n<table>\n<tr><th>번호</th><th>이름</th><th>목표</th><th>이전</th>"
        "<th>이후</th></tr>\n";
    if (!target.is_object()) return html + "</table>\n";
    for (const auto& [number, value] : target.items()) {
        Json before = ValueOf(Field(station, "before"), number);
        Json after = ValueOf(Field(station, "after"), number);
        const char* marked = !after.is_null() && after != value     ? " class=\"differ\""
                             : !before.is_null() && before != value ? " class=\"changed\""
                                                                    : "";
        html += std::string("<tr") + marked + ">" + Cell(Escape(number), true) +
                Cell(ParamName(number)) + Cell(Text(value), true) + Cell(Text(before), true) +
                Cell(Text(after), true) + "</tr>\n";
    }
    return html + "</table>\n";
}
