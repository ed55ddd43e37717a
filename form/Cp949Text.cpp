#include "form/Cp949Text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace {

// Converts `input` with `cd`, putting `fallback` in place of each byte run the
// converter refuses and skipping one input unit there.
std::string Convert(iconv_t cd, const std::string& input, size_t skip,
                    const std::string& fallback) {
    std::string output;
    char buffer[256];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = ::iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, out - buffer);
        if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut off at the end).
        output += fallback;
        size_t step = std::min(skip, inLeft);
        in += step;
        inLeft -= step;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return output;
}

std::string Iconv(const char* to, const char* from, const std::string& input, size_t skip,
                  const std::string& fallback) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return fallback;
    std::string output = Convert(cd, input, skip, fallback);
    ::iconv_close(cd);
    return output;
}

}  // namespace

QString Cp949Text::Decode(const std::string& bytes) {
    return QString::fromUtf8(Iconv("UTF-8", "CP949", bytes, 1, "\xEF\xBF\xBD"));
}

std::string Cp949Text::Encode(const QString& text) {
    // Wide characters in, so one refused character is skipped as a whole.
    std::wstring wide = text.toStdWString();
    std::string units(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return Iconv("CP949", "WCHAR_T", units, sizeof(wchar_t), "?");
}
