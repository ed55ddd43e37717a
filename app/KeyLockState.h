#pragma once

// The keyboard lock states as Linux reports them: the LEDs of the input
// devices under /sys/class/leds. Where none is reported, every lock reads off.
class KeyLockState {
  public:
    enum class Lock { kCaps, kNum, kScroll };

    static bool IsOn(Lock lock);
};
