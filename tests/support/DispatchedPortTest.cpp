#include "support/DispatchedPortTest.h"

#include <chrono>

#include "support/Eventually.h"

void DispatchedPortTest::SetUp() {
    ASSERT_TRUE(session.OpenFromText(DriveSession::PortText(pty.SlavePath(), "115200")));
    ASSERT_TRUE(session.StartDispatcher());
}

std::string DispatchedPortTest::Flush() {
    int lines = queue.Pending();
    queue.FlushTxQueue();
    std::string bytes;
    for (int i = 0; i < lines; ++i) bytes += pty.ReadUntil("\r", std::chrono::seconds(10));
    EXPECT_TRUE(Eventually([&] {
        queue.EchoGoneLines();
        return !queue.HasPending();
    }));
    return bytes;
}

void DispatchedPortTest::Answer(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r";
    pty.Write(bytes);
    consumed = (consumed + static_cast<int32_t>(lines.size())) % RxLineRing::kSlots;
    ASSERT_TRUE(Eventually([&] { return port.Ring().ReadIndex() == consumed; }))
        << "read index " << port.Ring().ReadIndex() << ", expected " << consumed;
}
