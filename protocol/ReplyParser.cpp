#include "protocol/ReplyParser.h"

#include <cstring>

#include "params/ParamTable.h"
#include "serial/RxLineRing.h"

namespace {

bool CodeIs(const char* pos, const char* code) { return std::strncmp(pos, code, 3) == 0; }

bool CodeIsAny(const char* pos, std::initializer_list<const char*> codes) {
    for (const char* code : codes) {
        if (CodeIs(pos, code)) return true;
    }
    return false;
}

}  // namespace

bool ReplyParser::TakeReplyLine(std::string_view& line) {
    while (!line.empty() && line.front() == '\n') line.remove_prefix(1);
    return line.size() >= 3 && line[0] == '#' && line[2] == '.';
}

std::optional<ReplyParser::ReplyLine> ReplyParser::ParseLine(std::string_view line) {
    if (!TakeReplyLine(line)) return std::nullopt;
    // As the dispatcher holds it: one slot's bytes at most, then the carriage
    // return its parser stops at.
    std::string text(line.substr(0, RxLineRing::kSlotSize));
    text += '\r';
    ReplyLine reply;
    reply.station = text[1];
    reply.code = text.substr(3, std::min<size_t>(3, text.find('\r') - 3));
    const char* pos = text.c_str() + 3;
    int32_t values[kMaxValues];
    int32_t count = 0;
    reply.kind = ParseReply(pos, values, count);
    reply.values.assign(values, values + count);
    return reply;
}

int32_t ReplyParser::ValidPraPairs(const int32_t* values, int32_t count, bool& badNumber) {
    badNumber = false;
    int32_t pairs = count / 2;
    for (int32_t i = 0; i < pairs; ++i) {
        if (values[2 * i] < 0 || values[2 * i] >= ParamTable::kCount) {
            badNumber = true;
            return i;
        }
    }
    return pairs;
}

int ReplyParser::ParseHexDigit(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= '0' && byte <= '9') return byte - '0';
    unsigned char lower = byte | 0x20;
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

int32_t ReplyParser::ParseHex32(const char* text) {
    uint32_t value = 0;
    for (int digit; (digit = ParseHexDigit(*text)) >= 0; ++text) {
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(value);
}

int16_t ReplyParser::ParseHex16(const char* text) {
    return static_cast<int16_t>(static_cast<uint16_t>(ParseHex32(text)));
}

ReplyParser::Token ReplyParser::NextToken(const char*& pos, char (&token)[kTokenSize]) {
    bool spaceSeen = false;
    for (int i = 0; i < kTokenWindow; ++i) {
        char c = *pos;
        if (c == ' ') {
            token[i] = 0;
            spaceSeen = true;
        } else if (c == '\r') {
            token[i] = 0;
            return kEnd;
        } else if (spaceSeen) {
            return kMore;
        } else {
            token[i] = c;
        }
        ++pos;
    }
    token[kTokenWindow] = 0;
    return kWindow;
}

void ReplyParser::ParseFirstValue(bool skipOnly, const char*& pos, int32_t* values,
                                  int32_t& count) {
    char token[kTokenSize];
    if (NextToken(pos, token) == kEnd || skipOnly) return;
    NextToken(pos, token);
    values[0] = ParseHex32(token);
    ++count;
}

template <typename Convert>
void ReplyParser::ParseValues(const char*& pos, int32_t* values, int32_t& count, Convert convert) {
    char token[kTokenSize];
    if (NextToken(pos, token) == kEnd) return;
    Token last;
    do {
        last = NextToken(pos, token);
        if (count < kMaxValues) values[count++] = convert(token);
    } while (last != kEnd);
}

void ReplyParser::ParseValues32(const char*& pos, int32_t* values, int32_t& count) {
    ParseValues(pos, values, count, [](const char* t) { return ParseHex32(t); });
}

void ReplyParser::ParseValues16(const char*& pos, int32_t* values, int32_t& count) {
    ParseValues(pos, values, count, [](const char* t) { return int32_t{ParseHex16(t)}; });
}

ReplyParser::Kind ReplyParser::ParseReply(const char*& pos, int32_t* values, int32_t& count) {
    if (CodeIsAny(pos, {"STA", "MTP", "MIO", "MIE", "MAL"})) {
        ParseFirstValue(false, pos, values, count);
        return Kind::kFirstValue;
    }
    if (CodeIsAny(pos, {"MVW", "PRD"})) {
        ParseValues32(pos, values, count);
        return Kind::kValues32;
    }
    if (CodeIs(pos, "PRA")) {
        ParseValues16(pos, values, count);
        return Kind::kPra;
    }
    ParseFirstValue(true, pos, values, count);
    return Kind::kOther;
}
