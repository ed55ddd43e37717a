#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

// The pieces the printable reports share: their style sheet for A4 paper,
// escaping, and table cells made from the fields of a JSON document. Every
// text is escaped, and bytes that are no UTF-8 (a CP949 file name, a garbled
// reply) show as U+FFFD.
class ReportHtml {
  public:
    using Json = nlohmann::ordered_json;

    // The top of a page titled `title` (HTML), its style sheet with
    // `extraStyle` and its `<h1>` (HTML) included; Tail() closes it.
    static std::string Head(const std::string& title, const std::string& heading,
                            const std::string& extraStyle);
    static std::string Tail();

    static std::string Escape(const std::string& text);
    // The field `key` of an object; null where there is none.
    static const Json& Field(const Json& object, const char* key);
    // The field `key` of an object when it is a list; an empty list otherwise.
    static const Json& List(const Json& object, const char* key);
    // A field as text: a string escaped, a number as it is, null as a dash.
    static std::string Text(const Json& value);
    static std::string Cell(const std::string& html, bool number = false);
    // A cell that may hold a long path or line, broken anywhere to fit.
    static std::string LongCell(const std::string& html);
    // A row of a facts table: its header and its cell.
    static std::string Row(const char* header, const std::string& html);
    // Each line of `lines` (texts) in a preformatted block that wraps.
    static std::string Lines(const Json& lines);
    // A parameter's name, escaped; "" for a number beyond the table.
    static std::string ParamName(int64_t number);
};
