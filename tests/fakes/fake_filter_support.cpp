#include "tests/fakes/fake_filter_support.h"

#include "platform/filter_support.h"
#include "tests/fakes/fake_log.h"

namespace fakes {
namespace {
FilterSupportState state;
ResetRegistration reset{[] { state = FilterSupportState{}; }};
}  // namespace

FilterSupportState& FilterSupport() { return state; }

}  // namespace fakes

namespace platform {

void DebugOutput(const char* text) {
    fakes::Record(std::string("DebugOutput(\"") + text + "\")");
    fakes::FilterSupport().debugOutput.push_back(text);
}

void SleepMilliseconds(uint32_t) {
    ++fakes::FilterSupport().sleeps;
    if (fakes::FilterSupport().onSleep) fakes::FilterSupport().onSleep();
}

}  // namespace platform
