// Debug output is collected; sleeping calls a hook, so a test can change the world while the code waits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fakes {

struct FilterSupportState {
    std::vector<std::string> debugOutput;
    // Called on each SleepMilliseconds, so a test can change the world while the code under test waits.
    void (*onSleep)() = nullptr;
    int sleeps = 0;
};

FilterSupportState& FilterSupport();

}  // namespace fakes
