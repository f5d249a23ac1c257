#include "installer/date_and_codepage.h"

#include "installer/exports.h"
#include "platform/system.h"

namespace installer {

bool IsOnOrAfter(const platform::LocalTime& today, int32_t day, int32_t month, int32_t year) {
    // The comparison is made in the runtime's numbering (years since 1900, months from 0). Widening first keeps
    // "year - 1900" and "month - 1" exact for every 32-bit argument, INT32_MIN included.
    const int64_t todayYear = int64_t{today.year} - 1900;
    const int64_t todayMonth = int64_t{today.month} - 1;
    const int64_t wantedYear = int64_t{year} - 1900;
    const int64_t wantedMonth = int64_t{month} - 1;
    if (todayYear != wantedYear) return todayYear > wantedYear;
    if (todayMonth != wantedMonth) return todayMonth > wantedMonth;
    return today.day >= day;
}

}  // namespace installer

extern "C" {

int32_t SETUPAID_STDCALL IsAfter(int32_t day, int32_t month, int32_t year) {
    return installer::IsOnOrAfter(platform::CurrentLocalTime(), day, month, year) ? 1 : 0;
}

uint32_t SETUPAID_STDCALL GetActiveCP() { return platform::ActiveCodePage(); }

int32_t SETUPAID_STDCALL RuveEntry(uint32_t, uint32_t, uint32_t) { return 0; }

}  // extern "C"
