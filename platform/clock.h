// The local wall-clock time, read anew on every call.
#pragma once

#include "platform/types.h"

namespace platform {

// Calendar numbering as people write it: year in full, month 1-12, day 1-31.
struct LocalTime {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t millisecond;
};

// The current local time. Thread-safe: no result buffer is shared with other callers.
LocalTime CurrentLocalTime();

}  // namespace platform
