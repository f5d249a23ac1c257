// A settable clock: CurrentLocalTime returns Clock().now.
#pragma once

#include "platform/clock.h"

namespace fakes {

struct ClockState {
    platform::LocalTime now{2026, 12, 11, 9, 30, 15, 250};
    int reads = 0;
};

ClockState& Clock();

}  // namespace fakes
