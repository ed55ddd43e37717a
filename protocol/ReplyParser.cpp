#include "protocol/ReplyParser.h"

#include "params/ParamTable.h"

bool ReplyParser::TakeReplyLine(std::string_view& line) {
    while (!line.empty() && line.front() == '\n') line.remove_prefix(1);
    return line.size() >= 3 && line[0] == '#' && line[2] == '.';
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
