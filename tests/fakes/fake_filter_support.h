// Debug output is collected; the current thread id is settable, so tests can play several threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fakes {

struct FilterSupportState {
    std::vector<std::string> debugOutput;
    uint32_t currentThreadId = 0x1234;
    // Called on each SleepMilliseconds, so a test can change the world while the code under test waits.
    void (*onSleep)() = nullptr;
    int sleeps = 0;
};

FilterSupportState& FilterSupport();

}  // namespace fakes
