#pragma once

#include <chrono>

// How long each part of the tool waits for the drive to answer, side by side,
// so that one is never set without seeing the others.
struct ReplyWaits {
    using Ms = std::chrono::milliseconds;

    // The form: a request that no line answers within this is noted in the
    // status bar ("응답 없음"). Long enough for a PRA's first line at 9600 baud.
    static constexpr Ms kFormSilence{1000};
    // A station scan: how long one station has to answer FRD 0 once its line
    // has left, before the next is asked; short, as most IDs are unused.
    static constexpr Ms kScanStation{200};
    // Commissioning: a station's answer to FRD 0 once its line has left.
    static constexpr Ms kCommissionVersion{1000};
    // A read (PRA): complete once the replies fall quiet for kReadQuiet;
    // given up after kReadSilence without any reply (unless a caller asks
    // for longer), and after kReadLongest in any case.
    static constexpr Ms kReadQuiet{200};
    static constexpr Ms kReadSilence{3000};
    static constexpr Ms kReadLongest{30000};
};
