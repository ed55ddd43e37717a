#pragma once

#include <atomic>
#include <cstdint>

// One parameter of the drive. Only `value` changes at run time; it is shared
// by the form and the response dispatcher.
struct ParamEntry {
    static constexpr int32_t kListed = 1;  // flags bit 0: a listing candidate
    static constexpr int32_t kSetup = 2;   // flags bit 1: set through the setup controls

    int32_t number = 0;
    int32_t flags = 0;
    int32_t attr = 0;
    int32_t editKind = 0;  // 0 decimal dialog, 1 bit dialog, other: not editable
    std::atomic<int32_t> value{0};
    int32_t reserved[3] = {0, 0, 0};
    const char* name = "RESERVED";
};
