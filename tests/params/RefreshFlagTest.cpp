#include <gtest/gtest.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

#include "params/RefreshFlag.h"

namespace {

using namespace std::chrono_literals;

RefreshFlag flag;
std::atomic<int> raised{0};

// The dispatcher's side, which raises the flag after it stored values; here
// whenever the flag is down.
void OnTimer(int) {
    if (flag.IsRaised()) return;
    raised.fetch_add(1);
    flag.Raise();
}

// A timer signal interrupts the tick wherever it is and raises the flag, as a
// dispatcher on another core may at any moment; every raise is taken exactly
// once, one that lands while the tick takes the flag included.
TEST(RefreshFlag, EveryRaiseIsTakenOnceWhereverItLands) {
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = OnTimer;
    ASSERT_EQ(::sigaction(SIGRTMIN, &action, &previous), 0);
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = SIGRTMIN;
    event._sigev_un._tid = ::gettid();  // sigev_notify_thread_id, unnamed in glibc 2.36
    timer_t timer;
    ASSERT_EQ(::timer_create(CLOCK_MONOTONIC, &event, &timer), 0);
    const itimerspec every50us{{0, 50000}, {0, 50000}};
    ::timer_settime(timer, 0, &every50us, nullptr);
    int taken = 0;
    for (auto end = std::chrono::steady_clock::now() + 1s;
         std::chrono::steady_clock::now() < end;) {
        for (int i = 0; i < 1000; ++i) taken += flag.Take();
    }
    ::timer_delete(timer);
    // Drops a signal still pending.
    action.sa_handler = SIG_IGN;
    ::sigaction(SIGRTMIN, &action, nullptr);
    taken += flag.Take();
    ::sigaction(SIGRTMIN, &previous, nullptr);
    EXPECT_GT(raised.load(), 0);
    EXPECT_EQ(taken, raised.load());
}

}  // namespace
