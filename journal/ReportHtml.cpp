#include "journal/ReportHtml.h"

#include "params/ParamTable.h"

using Json = ReportHtml::Json;

namespace {

// Printed on A4, nothing may run past the page's edge: a cell breaks a word
// that does not fit, and a cell that may hold a long path or line ("long")
// breaks it anywhere, so that the table never needs more than the width.
constexpr const char* kStyle =
    "@page{size:A4;margin:15mm}"
    "body{font-family:\"NanumGothic\",\"Gulim\",sans-serif;font-size:10pt;margin:1.5em}"
    "table{border-collapse:collapse;margin:.5em 0;max-width:100%}"
    "th,td{border:1px solid #999;padding:2px 8px;text-align:left;vertical-align:top;"
    "overflow-wrap:break-word}"
    "th{white-space:nowrap}td.long,.facts td{overflow-wrap:anywhere}"
    "td.n{text-align:right}"
    "pre,code{white-space:pre-wrap;overflow-wrap:anywhere;word-break:break-all}"
    ".warn{color:#a00;font-weight:bold}"
    "@media print{body{margin:0}}";

}  // namespace

std::string ReportHtml::Head(const std::string& title, const std::string& heading,
                             const std::string& extraStyle) {
    return "<!DOCTYPE html>\n<html lang=\"ko\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
           title + "</title>\n<style>" + kStyle + extraStyle + "</style>\n</head>\n<body>\n<h1>" +
           heading + "</h1>\n";
}

std::string ReportHtml::Tail() { return "</body>\n</html>\n"; }

std::string ReportHtml::Escape(const std::string& text) {
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

const Json& ReportHtml::Field(const Json& object, const char* key) {
    static const Json kNull;
    if (!object.is_object()) return kNull;
    auto it = object.find(key);
    return it == object.end() ? kNull : *it;
}

const Json& ReportHtml::List(const Json& object, const char* key) {
    static const Json kEmpty = Json::array();
    const Json& list = Field(object, key);
    return list.is_array() ? list : kEmpty;
}

std::string ReportHtml::Text(const Json& value) {
    if (value.is_null()) return "—";
    if (value.is_string()) return Escape(value.get<std::string>());
    return Escape(value.dump(-1, ' ', false, Json::error_handler_t::replace));
}

std::string ReportHtml::Cell(const std::string& html, bool number) {
    return std::string(number ? "<td class=\"n\">" : "<td>") + html + "</td>";
}

std::string ReportHtml::LongCell(const std::string& html) {
    return "<td class=\"long\">" + html + "</td>";
}

std::string ReportHtml::Row(const char* header, const std::string& html) {
    return std::string("<tr><th>") + header + "</th>" + Cell(html) + "</tr>\n";
}

std::string ReportHtml::Lines(const Json& lines) {
    std::string html = "<pre>";
    for (const Json& line : lines) html += Text(line) + "\n";
    return html + "</pre>\n";
}

std::string ReportHtml::ParamName(int64_t number) {
    return number >= 0 && number < ParamTable::kCount
               ? Escape(ParamTable::NameOf(static_cast<int32_t>(number)))
               : "";
}
