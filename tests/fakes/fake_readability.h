// Fake readability probes: every address is readable except null and those listed, or, in the mode where
// ranges are registered (AddReadable switches it on), only what lies wholly inside them. An address listed in
// `faultingAddresses` stands for a probe that itself faults (it raises a guarded fault).
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "platform/readability.h"

namespace fakes {

struct ReadabilityState {
    std::set<const void*> unreadable;
    std::set<const void*> faultingAddresses;
    // When set, only what lies wholly inside readableRanges ([begin, end)) is readable.
    bool onlyRegisteredRanges = false;
    std::vector<std::pair<uintptr_t, uintptr_t>> readableRanges;
};

ReadabilityState& Readability();

// Makes [address, address + size) readable, and from then on only registered ranges.
void AddReadable(const void* address, size_t size);

}  // namespace fakes
