#include "tests/fakes/fake_readability.h"

#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_structured_guard.h"

namespace fakes {
namespace {
ReadabilityState state;
ResetRegistration reset{[] { state = ReadabilityState{}; }};

bool Readable(const void* address) {
    if (state.faultingAddresses.count(address)) RaiseGuardedFault();
    return address && !state.unreadable.count(address);
}
}  // namespace

ReadabilityState& Readability() { return state; }

}  // namespace fakes

namespace platform {

bool CanReadBytes(const void* address, size_t size) {
    fakes::Record("CanReadBytes(" + std::to_string(size) + ")");
    return fakes::Readable(address);
}

bool CanReadText(const char* text, size_t maxBytes) {
    fakes::Record("CanReadText(" + std::to_string(maxBytes) + ")");
    return fakes::Readable(text);
}

}  // namespace platform
