// Fake heap storage: real blocks, counted. Injected failure "AllocateStorage" returns null.
#pragma once

#include "platform/storage.h"

namespace fakes {

struct StorageState {
    int allocations = 0;  // blocks handed out
    int liveBlocks = 0;   // handed out and not yet released
    int refuseFrom = -1;  // when >= 0: every request once `allocations` has reached it returns null
};

StorageState& Storage();

}  // namespace fakes
