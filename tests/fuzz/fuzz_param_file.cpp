// Feeds arbitrary bytes to the parameter file reader as a file's content.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "params/ParamFile.h"
#include "params/ParamTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ParamTable table;
    ParamFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size), table);
    // Whatever was read, a save of it must read back to the same listed values.
    ParamTable reread;
    ParamFile::Parse(ParamFile::Format(table), reread);
    for (int32_t number : table.ListedNumbers()) {
        if (reread.GetParamValue(number) != table.GetParamValue(number)) __builtin_trap();
    }
    return 0;
}
