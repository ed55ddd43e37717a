// Feeds arbitrary received bytes, in pieces of any size, to the reader's
// splitting into the ring's line slots, checks the ring against the lines the
// bytes hold, and hands each line in its slot to the dispatcher.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/ResponseDispatcher.h"
#include "serial/CTtyPort.h"
#include "support/RecordingNotifier.h"

namespace {

class FedPort : public CTtyPort {
  public:
    using CTtyPort::CTtyPort;
    using CTtyPort::EndOverflowRun;
    using CTtyPort::StoreBytes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte sets the size of the pieces a read returns.
    size_t piece = 1 + size_t{data[0]} * 9;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size_t count = size - 1;

    RecordingNotifier notifier;
    auto port = std::make_unique<FedPort>(notifier);
    for (size_t at = 0; at < count; at += piece) {
        port->StoreBytes(bytes + at, static_cast<uint32_t>(std::min(piece, count - at)));
    }
    port->EndOverflowRun();  // the line falls quiet

    std::vector<std::string> lines;
    std::vector<std::string> told;  // one notice for each line that filled its slot
    auto tell = [&](size_t fills) {
        if (fills == 1) told.push_back("Rx Buffer FULL");
        if (fills > 1) told.push_back("Rx Buffer FULL (" + std::to_string(fills) + " times)");
    };
    size_t start = 0;
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] != '\r') continue;
        lines.emplace_back(bytes + start, i - start);
        tell((i - start + 1) / RxLineRing::kSlotSize);
        start = i + 1;
    }
    size_t partial = count - start;
    tell(partial / RxLineRing::kSlotSize);

    if (port->Ring().WriteIndex() != static_cast<int32_t>(lines.size() % RxLineRing::kSlots) ||
        port->Ring().Offset() != static_cast<int32_t>(partial % RxLineRing::kSlotSize) ||
        port->Ring().Signal() != static_cast<uint32_t>(lines.size()) || notifier.Texts() != told ||
        notifier.Captions() != std::vector<std::string>(told.size(), Notifier::kAppCaption)) {
        __builtin_trap();
    }
    // The last 99 lines are in their slots, each whole when it fits one (the
    // slot at the write index takes the line being received).
    size_t kept = std::min(lines.size(), static_cast<size_t>(RxLineRing::kSlots - 1));
    static char copy[RxLineRing::kSlotSize];
    ParamTable table;
    RefreshFlag refresh;
    ResponseDispatcher dispatcher(*port, table, refresh, notifier);
    for (size_t n = lines.size() - kept; n < lines.size(); ++n) {
        if (lines[n].size() >= static_cast<size_t>(RxLineRing::kSlotSize)) continue;
        int32_t slot = static_cast<int32_t>(n % RxLineRing::kSlots);
        size_t copied = port->Ring().CopyLine(slot, copy, sizeof copy);
        if (std::string(copy, copied) != lines[n]) __builtin_trap();
        dispatcher.DispatchLine(copy, copied);
        if (dispatcher.ReplyCount() < 0 || dispatcher.ReplyCount() > ReplyParser::kMaxValues) {
            __builtin_trap();
        }
    }
    return 0;
}
