#include "support/DispatchedPortTest.h"

#include <algorithm>
#include <chrono>

#include "support/Eventually.h"

void DispatchedPortTest::SetUp() {
    ASSERT_TRUE(port.Open(pty.SlavePath(), 115200, 0, 8, 0));
    ASSERT_TRUE(dispatcher.Start());
}

std::string DispatchedPortTest::Flush() {
    size_t lines = 0;
    for (; queue.HasPending(); ++lines) queue.FlushTxLine(port);
    std::string bytes;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\r')) < lines &&
           std::chrono::steady_clock::now() < end) {
        bytes += pty.Read(1, std::chrono::milliseconds(200));
    }
    return bytes;
}

void DispatchedPortTest::Answer(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r";
    pty.Write(bytes);
    consumed = (consumed + static_cast<int32_t>(lines.size())) % CTtyPort::kRxSlots;
    ASSERT_TRUE(Eventually([&] { return port.RxReadIndex() == consumed; }))
        << "read index " << port.RxReadIndex() << ", expected " << consumed;
}
