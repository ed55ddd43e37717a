// Feeds arbitrary bytes to the dispatcher as received lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/ResponseDispatcher.h"
#include "serial/CTtyPort.h"
#include "serial/Notifier.h"

namespace {

class SilentNotifier : public Notifier {
  public:
    void Notify(const std::string&, const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentNotifier notifier;
    static CTtyPort port(notifier);
    static ParamTable table;
    static RefreshFlag refresh;
    static ResponseDispatcher dispatcher(port, table, refresh, notifier);
    // A slot holds at most 2048 bytes and ends at its first carriage return.
    const char* bytes = reinterpret_cast<const char*>(data);
    size = std::min<size_t>(size, CTtyPort::kRxSlotSize);
    const void* cr = std::memchr(bytes, '\r', size);
    size_t length =
        cr != nullptr ? static_cast<size_t>(static_cast<const char*>(cr) - bytes) : size;
    dispatcher.DispatchLine(bytes, length);
    if (dispatcher.ReplyCount() < 0 || dispatcher.ReplyCount() > ReplyParser::kMaxValues)
        __builtin_trap();
    return 0;
}
