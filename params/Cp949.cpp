#include "params/Cp949.h"

#include <iconv.h>

#include <cerrno>

namespace {

// Bytes of the input unit at `in`: a whole UTF-8 character, or one byte.
using UnitLength = size_t (*)(const char* in, size_t left);

size_t Utf8CharLength(const char* in, size_t left) {
    size_t length = 1;
    while (length < left && (static_cast<unsigned char>(in[length]) & 0xC0) == 0x80) ++length;
    return length;
}

size_t OneByte(const char*, size_t) { return 1; }

// Converts with iconv, putting `fallback` in place of each unit it refuses.
std::string Convert(const char* to, const char* from, const std::string& input,
                    UnitLength unitLength, const std::string& fallback) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return input;
    std::string output;
    char buffer[256];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = ::iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ, or EINVAL for a sequence cut off at the end.
        output += fallback;
        size_t step = unitLength(in, inLeft);
        in += step;
        inLeft -= step;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    ::iconv_close(cd);
    return output;
}

}  // namespace

std::string Cp949::FromUtf8(const std::string& utf8) {
    return Convert("CP949", "UTF-8", utf8, Utf8CharLength, "?");
}

std::string Cp949::ToUtf8(const std::string& cp949) {
    return Convert("UTF-8", "CP949", cp949, OneByte, "\xEF\xBF\xBD");
}
