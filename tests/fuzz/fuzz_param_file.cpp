// Writes arbitrary bytes to a real file and reads it as a parameter file. The
// first byte may stretch the rest to just the largest size read or one byte
// beyond it, so the size limit is crossed as well. What was read must save and
// read back to the same values. A file the check for sending passes holds
// exactly the values opening reads from it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "params/ParamFile.h"
#include "params/ParamFileCheck.h"
#include "params/ParamTable.h"
#include "params/RefreshFlag.h"

namespace {

struct ScratchFile {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("fuzz-param-file-" + std::to_string(::getpid()) + ".par"))
                           .string();
    ~ScratchFile() { ::unlink(path.c_str()); }
};

// The body repeated to exactly `length` bytes.
std::string Stretched(std::string_view body, size_t length) {
    std::string content;
    content.reserve(length);
    while (content.size() < length) content.append(body.substr(0, length - content.size()));
    return content;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScratchFile file;
    if (size == 0) return 0;
    std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string content(body);
    if (!body.empty() && data[0] == 0xFE) content = Stretched(body, ParamFile::kMaxFileBytes);
    if (!body.empty() && data[0] == 0xFF) content = Stretched(body, ParamFile::kMaxFileBytes + 1);
    std::ofstream(file.path, std::ios::binary | std::ios::trunc) << content;

    ParamTable table;
    RefreshFlag refresh;
    bool read = ParamFile::Read(file.path, table, refresh);

    ParamTable expected;
    bool fits = content.size() <= ParamFile::kMaxFileBytes;
    if (fits) ParamFile::Parse(content, expected);
    if (read != fits || refresh.IsRaised() != fits) __builtin_trap();
    for (int32_t n = 0; n < ParamTable::kCount; ++n) {
        if (table.GetParamValue(n) != expected.GetParamValue(n)) __builtin_trap();
    }
    if (fits) {
        ParamFileCheck check(content);
        ParamSet opened;
        ParamFile::Parse(content, opened);
        if (check.Problems().empty() && !(check.Values() == opened)) __builtin_trap();
    }
    ParamTable reread;
    ParamFile::Parse(ParamFile::Format(table), reread);
    for (int32_t number : table.ListedNumbers()) {
        if (reread.GetParamValue(number) != table.GetParamValue(number)) __builtin_trap();
    }
    return 0;
}
