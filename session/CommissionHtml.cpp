#include "session/CommissionHtml.h"

#include <charconv>
#include <cstdint>

#include "journal/ReportHtml.h"
#include "session/Commissioning.h"

namespace {

using Json = nlohmann::ordered_json;
using Html = ReportHtml;

constexpr const char* kStyle =
    ".station{break-before:page;page-break-before:always}"
    ".verified{background:#e3f4e3}.mismatch,.no-reply{background:#fbe3e3}"
    ".not-reached,.cancelled,.waiting,.reading,.sending{background:#eee}"
    "tr.differ{background:#fbe3e3}tr.changed{background:#fff6d6}";

// The state's word in Korean, with the report's word beside it.
std::string ResultText(const Json& result) {
    std::string name = result.is_string() ? result.get<std::string>() : "";
    for (int i = 0; i <= static_cast<int>(Commissioning::State::kCancelled); ++i) {
        auto state = static_cast<Commissioning::State>(i);
        if (name == Commissioning::ResultName(state)) {
            return std::string(Commissioning::StateText(state)) + " (" + Html::Escape(name) + ")";
        }
    }
    return Html::Escape(name);
}

// "no reply" as a class name: "no-reply".
std::string ResultClass(const Json& result) {
    std::string name = result.is_string() ? result.get<std::string>() : "";
    std::string css;
    for (char c : name) css += (c >= 'a' && c <= 'z') ? c : '-';
    return css;
}

std::string StopText(const Json& stopped) {
    const char* text =
        stopped.is_string() ? Commissioning::StopText(stopped.get<std::string>()) : nullptr;
    return text ? text : Html::Text(stopped);
}

std::string NumberList(const Json& numbers) {
    std::string text;
    for (const Json& number : numbers) text += (text.empty() ? "" : ", ") + Html::Text(number);
    return text;
}

// The value of `number` in a set of the document, or null.
Json ValueOf(const Json& set, const std::string& number) {
    return Html::Field(set, number.c_str());
}

std::string ParamName(const std::string& number) {
    int32_t n = -1;
    std::from_chars(number.data(), number.data() + number.size(), n);
    return Html::ParamName(n);
}

}  // namespace

std::string CommissionHtml::Page(const Json& report) {
    std::string html = Html::Head("일괄 설정 보고서 " + Html::Text(Html::Field(report, "start")),
                                  "일괄 설정 보고서", kStyle) +
                       Facts(report);
    const Json& stations = Html::Field(report, "stations");
    html += Summary(stations);
    for (const Json& station : stations)
        html += StationPage(station, Html::Field(report, "target"));
    return html + Html::Tail();
}

std::string CommissionHtml::Facts(const Json& report) {
    std::string html = "<table class=\"facts\">\n";
    html += Html::Row("목표 파일", Html::Text(Html::Field(report, "file")));
    html += Html::Row("SHA-256", "<code>" + Html::Text(Html::Field(report, "sha256")) + "</code>");
    html += Html::Row("방식", Html::Field(report, "mode") == "compare only"
                                  ? "비교만 (보내지 않음)"
                                  : "다른 값만 보내고 다시 읽어 확인");
    html += Html::Row("포트", Html::Text(Html::Field(report, "port")) + " (" +
                                  Html::Text(Html::Field(report, "line")) + ")");
    html += Html::Row("사용자", Html::Text(Html::Field(report, "user")));
    html += Html::Row("컴퓨터", Html::Text(Html::Field(report, "host")));
    html += Html::Row("시작", Html::Text(Html::Field(report, "start")));
    html += Html::Row("끝", Html::Field(report, "end").is_null()
                                ? "끝나지 않음"
                                : Html::Text(Html::Field(report, "end")));
    if (!Html::Field(report, "stopped").is_null()) {
        html += Html::Row(
            "중단", "<span class=\"warn\">" + StopText(Html::Field(report, "stopped")) + "</span>");
    }
    return html + "</table>\n";
}

std::string CommissionHtml::Summary(const Json& stations) {
    std::string html =
        "<h2>국번별 결과</h2>\n<table class=\"summary\">\n<tr><th>국번</th><th>결과</th>"
        "<th>버전</th><th>보낸 줄</th><th>불일치</th></tr>\n";
    for (const Json& station : stations) {
        std::string mismatches;
        for (const Json& m : Html::Field(station, "mismatches")) {
            mismatches += (mismatches.empty() ? "" : ", ") + Html::Text(Html::Field(m, "number"));
        }
        html += "<tr class=\"" + ResultClass(Html::Field(station, "result")) + "\">" +
                Html::Cell(Html::Text(Html::Field(station, "station")), true) +
                Html::Cell(ResultText(Html::Field(station, "result"))) +
                Html::Cell(Html::Text(Html::Field(station, "version"))) +
                Html::Cell(std::to_string(Html::Field(station, "sent").size()), true) +
                Html::Cell(mismatches.empty() ? "—" : mismatches) + "</tr>\n";
    }
    return html + "</table>\n";
}

std::string CommissionHtml::StationPage(const Json& station, const Json& target) {
    std::string html = "<section class=\"station\">\n<h2 class=\"" +
                       ResultClass(Html::Field(station, "result")) + "\">국번 " +
                       Html::Text(Html::Field(station, "station")) + ": " +
                       ResultText(Html::Field(station, "result")) + "</h2>\n<p>버전 " +
                       Html::Text(Html::Field(station, "version")) + ", 백업 " +
                       Html::Text(Html::Field(station, "backup")) + "</p>\n";
    if (!Html::Field(station, "missing").empty()) {
        html += "<p class=\"warn\">응답에 없던 파라미터: " +
                NumberList(Html::Field(station, "missing")) + "</p>\n";
    }
    if (Html::Field(station, "unsaved") == true) {
        html +=
            "<p class=\"warn\">PSV가 나가지 않아 드라이브가 저장하지 않은 값을 갖고 "
            "있습니다.</p>\n";
    }
    if (!Html::Field(station, "mismatches").empty()) {
        html +=
            "<h3>불일치</h3>\n<table>\n<tr><th>번호</th><th>이름</th><th>목표</th>"
            "<th>드라이브</th></tr>\n";
        for (const Json& m : Html::Field(station, "mismatches")) {
            html += "<tr>" + Html::Cell(Html::Text(Html::Field(m, "number")), true) +
                    Html::Cell(Html::Text(Html::Field(m, "name"))) +
                    Html::Cell(Html::Text(Html::Field(m, "target")), true) +
                    Html::Cell(Html::Text(Html::Field(m, "kept")), true) + "</tr>\n";
        }
        html += "</table>\n";
    }
    html += "<h3>보낸 줄</h3>\n" + (Html::Field(station, "sent").empty()
                                        ? "<p>없음</p>\n"
                                        : Html::Lines(Html::Field(station, "sent")));
    if (!Html::Field(station, "unsent").empty())
        html += "<h3>보내지 못한 줄</h3>\n" + Html::Lines(Html::Field(station, "unsent"));
    return html + ValueTable(station, target) + "</section>\n";
}

std::string CommissionHtml::ValueTable(const Json& station, const Json& target) {
    std::string html =
        "<h3>값</h3>\n<table>\n<tr><th>번호</th><th>이름</th><th>목표</th><th>이전</th>"
        "<th>이후</th></tr>\n";
    if (!target.is_object()) return html + "</table>\n";
    for (const auto& [number, value] : target.items()) {
        Json before = ValueOf(Html::Field(station, "before"), number);
        Json after = ValueOf(Html::Field(station, "after"), number);
        const char* marked = !after.is_null() && after != value     ? " class=\"differ\""
                             : !before.is_null() && before != value ? " class=\"changed\""
                                                                    : "";
        html += std::string("<tr") + marked + ">" + Html::Cell(Html::Escape(number), true) +
                Html::Cell(ParamName(number)) + Html::Cell(Html::Text(value), true) +
                Html::Cell(Html::Text(before), true) + Html::Cell(Html::Text(after), true) +
                "</tr>\n";
    }
    return html + "</table>\n";
}
