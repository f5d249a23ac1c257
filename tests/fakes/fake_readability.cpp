#include "tests/fakes/fake_readability.h"

#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_structured_guard.h"

namespace fakes {
namespace {
ReadabilityState state;
ResetRegistration reset{[] { state = ReadabilityState{}; }};

bool InRegisteredRange(const void* address, size_t size) {
    const auto begin = reinterpret_cast<uintptr_t>(address);
    for (const auto& range : state.readableRanges)
        if (begin >= range.first && begin <= range.second && size <= range.second - begin) return true;
    return false;
}

bool Readable(const void* address, size_t size) {
    if (state.faultingAddresses.count(address)) RaiseGuardedFault();
    if (!address || state.unreadable.count(address)) return false;
    return !state.onlyRegisteredRanges || InRegisteredRange(address, size);
}
}  // namespace

ReadabilityState& Readability() { return state; }

void AddReadable(const void* address, size_t size) {
    const auto begin = reinterpret_cast<uintptr_t>(address);
    state.onlyRegisteredRanges = true;
    state.readableRanges.emplace_back(begin, begin + size);
}

}  // namespace fakes

namespace platform {

bool CanReadBytes(const void* address, size_t size) {
    fakes::Record("CanReadBytes(" + std::to_string(size) + ")");
    return fakes::Readable(address, size);
}

bool CanReadText(const char* text, size_t maxBytes) {
    fakes::Record("CanReadText(" + std::to_string(maxBytes) + ")");
    return fakes::Readable(text, 1);
}

}  // namespace platform
