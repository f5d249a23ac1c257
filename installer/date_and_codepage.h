// The calendar comparison behind IsAfter, apart from the clock so it can be checked for any "today".
#pragma once

#include "platform/clock.h"

namespace installer {

// True when `today` (calendar numbering) is on or after day/month/year, compared year first, then month, then
// day. Any 32-bit values are accepted and compared as they stand, without overflow.
bool IsOnOrAfter(const platform::LocalTime& today, int32_t day, int32_t month, int32_t year);

}  // namespace installer
