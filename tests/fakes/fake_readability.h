// Fake readability probes: every address is readable except null and those listed. An address listed in
// `faultingAddresses` stands for a probe that itself faults (it raises a guarded fault).
#pragma once

#include <set>

#include "platform/readability.h"

namespace fakes {

struct ReadabilityState {
    std::set<const void*> unreadable;
    std::set<const void*> faultingAddresses;
};

ReadabilityState& Readability();

}  // namespace fakes
