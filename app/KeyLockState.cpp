#include "app/KeyLockState.h"

#include <glob.h>

#include <fstream>
#include <string>

bool KeyLockState::IsOn(Lock lock) {
    const char* pattern = lock == Lock::kCaps  ? "/sys/class/leds/*::capslock/brightness"
                          : lock == Lock::kNum ? "/sys/class/leds/*::numlock/brightness"
                                               : "/sys/class/leds/*::scrolllock/brightness";
    glob_t found{};
    bool on = false;
    if (::glob(pattern, 0, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc && !on; ++i) {
            std::ifstream file(found.gl_pathv[i]);
            int brightness = 0;
            on = (file >> brightness) && brightness > 0;
        }
    }
    ::globfree(&found);
    return on;
}
