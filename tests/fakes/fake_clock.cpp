#include "tests/fakes/fake_clock.h"

#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {
ClockState state;
ResetRegistration reset{[] { state = ClockState{}; }};
}  // namespace

ClockState& Clock() { return state; }

}  // namespace fakes

namespace platform {

LocalTime CurrentLocalTime() {
    fakes::Record("CurrentLocalTime()");
    ++fakes::Clock().reads;
    return fakes::Clock().now;
}

}  // namespace platform
