// What loading and unloading the module does to the process's unhandled-exception filter.
#pragma once

#include "platform/types.h"

namespace installer {

// Records the filter in force when constructed and sets it again when destroyed. The module holds one as its
// very first static object, so the recorded filter is the one in force before the module was loaded, and the
// restore happens after every other static destructor: whatever the crash handler or other code installed while
// the module was loaded is withdrawn.
class FilterInForceBeforeLoad {
public:
    FilterInForceBeforeLoad();
    ~FilterInForceBeforeLoad();
    FilterInForceBeforeLoad(const FilterInForceBeforeLoad&) = delete;
    FilterInForceBeforeLoad& operator=(const FilterInForceBeforeLoad&) = delete;

    platform::ExceptionFilter recorded() const { return recorded_; }

private:
    platform::ExceptionFilter recorded_;
};

}  // namespace installer
