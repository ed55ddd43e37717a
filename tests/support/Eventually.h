#pragma once

#include <chrono>
#include <thread>

// Waits until `done` holds, looking every millisecond; false when `limit`
// passed first. The limit is generous: a loaded machine may hold a thread.
template <typename Condition>
bool Eventually(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
