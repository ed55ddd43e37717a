#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Takes the hexadecimal fields of a reply line apart. A line ends with its
// carriage return, which every caller guarantees is present.
class ReplyParser {
  public:
    static constexpr int kMaxValues = 200;
    static constexpr int kTokenSize = 16;
    static constexpr int kTokenWindow = 10;

    enum Token { kEnd = -1, kWindow = 0, kMore = 1 };

    // How the fields after a reply code are taken.
    enum class Kind {
        kFirstValue,  // STA, MTP, MIO, MIE, MAL: the first field, 32-bit
        kValues32,    // MVW, PRD: every field, 32-bit
        kPra,         // PRA: every field, signed 16-bit
        kOther,       // any other code: nothing
    };

    // One reply line taken apart by the dispatcher's rules.
    struct ReplyLine {
        char station = 0;
        std::string code;  // the three bytes after the "."
        Kind kind = Kind::kOther;
        std::vector<int32_t> values;
    };

    // A received line as the dispatcher takes it: the line feeds that a drive
    // ending its lines with CR LF leaves at the start are dropped; true when
    // what remains has "#" at byte 0 and "." at byte 2.
    static bool TakeReplyLine(std::string_view& line);
    // A received line (without its carriage return) as the dispatcher takes it;
    // nothing when it is no reply line.
    static std::optional<ReplyLine> ParseLine(std::string_view line);
    // Of the values of a PRA reply, the whole number/value pairs the table
    // takes: those before the first number outside 0..109. `badNumber` tells
    // whether such a number ended them ("통신처리에러").
    static int32_t ValidPraPairs(const int32_t* values, int32_t count, bool& badNumber);

    // 0..15, or -1 for a character that is no hexadecimal digit.
    static int ParseHexDigit(char c);
    static int16_t ParseHex16(const char* text);
    static int32_t ParseHex32(const char* text);

    // Copies the field at `pos` into `token` (zero-ended) and moves `pos` past
    // it and the blanks after it, looking at no more than 10 characters.
    static Token NextToken(const char*& pos, char (&token)[kTokenSize]);

    // Each stores from element 0 and counts what it stores; the code at `pos`
    // is passed over first. Fields beyond the 200th are read and dropped.
    static void ParseFirstValue(bool skipOnly, const char*& pos, int32_t* values, int32_t& count);
    static void ParseValues32(const char*& pos, int32_t* values, int32_t& count);
    static void ParseValues16(const char*& pos, int32_t* values, int32_t& count);
    // The code at `pos` decides, compared case-sensitively over three bytes in
    // the dispatcher's order; the fields after it are taken as its kind says.
    static Kind ParseReply(const char*& pos, int32_t* values, int32_t& count);

  private:
    template <typename Convert>
    static void ParseValues(const char*& pos, int32_t* values, int32_t& count, Convert convert);
};
