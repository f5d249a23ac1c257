#include "installer/date_and_codepage.h"

#include <gtest/gtest.h>

#include <climits>

#include "installer/exports.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_log.h"
#include "tests/fakes/fake_system.h"

namespace {

struct DateCase {
    const char* what;
    platform::LocalTime today;
    int32_t day, month, year;
    int32_t expected;
};

// Today is 2026-12-11 unless a case says otherwise.
constexpr platform::LocalTime kToday{2026, 12, 11, 10, 0, 0, 0};
constexpr platform::LocalTime kNewYear{2026, 1, 1, 0, 0, 0, 0};

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.what; }

class IsAfterTable : public testing::TestWithParam<DateCase> {};

TEST_P(IsAfterTable, ComparesTodayWithTheGivenDate) {
    const DateCase& c = GetParam();
    fakes::Clock().now = c.today;
    EXPECT_EQ(IsAfter(c.day, c.month, c.year), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Dates, IsAfterTable,
    testing::Values(
        DateCase{"today", kToday, 11, 12, 2026, 1},
        DateCase{"tomorrow", kToday, 12, 12, 2026, 0},
        DateCase{"yesterday", kToday, 10, 12, 2026, 1},
        DateCase{"tomorrow across the year end", platform::LocalTime{2026, 12, 31, 0, 0, 0, 0}, 1, 1, 2027, 0},
        DateCase{"yesterday across the year end", kNewYear, 31, 12, 2025, 1},
        DateCase{"month 0 on the last day of the year", kToday, 31, 0, 2026, 1},
        DateCase{"month 0 on the first day of the year", kNewYear, 31, 0, 2026, 1},
        DateCase{"month 13 on the last day of the year", platform::LocalTime{2026, 12, 31, 0, 0, 0, 0}, 1, 13, 2026, 0},
        DateCase{"month 13 on the first day of the year", kNewYear, 1, 13, 2026, 0},
        DateCase{"day 0 of this month", kNewYear, 0, 1, 2026, 1},
        DateCase{"day 32 of this month", platform::LocalTime{2026, 1, 31, 0, 0, 0, 0}, 32, 1, 2026, 0},
        DateCase{"next year, earliest date", kToday, 0, 0, 2027, 0},
        DateCase{"next year, negative month and day", kToday, -5, -5, 2027, 0},
        DateCase{"last year, latest date", kToday, 99, 99, 2025, 1},
        DateCase{"year 0", kToday, 1, 1, 0, 1},
        DateCase{"year 1900 (the runtime's zero)", kToday, 1, 1, 1900, 1},
        DateCase{"the largest year", kToday, 1, 1, INT32_MAX, 0},
        DateCase{"the smallest year", kToday, INT32_MAX, INT32_MAX, INT32_MIN, 1},
        DateCase{"the smallest month this year", kToday, INT32_MAX, INT32_MIN, 2026, 1},
        DateCase{"the largest month this year", kToday, INT32_MIN, INT32_MAX, 2026, 0},
        DateCase{"the smallest day this month", kToday, INT32_MIN, 12, 2026, 1},
        DateCase{"the largest day this month", kToday, INT32_MAX, 12, 2026, 0}));

TEST(IsAfter, ReadsTheClockAnewOnEveryCall) {
    fakes::Clock().now = kToday;
    EXPECT_EQ(IsAfter(12, 12, 2026), 0);
    fakes::Clock().now.day = 12;
    EXPECT_EQ(IsAfter(12, 12, 2026), 1);
    EXPECT_EQ(fakes::Clock().reads, 2);
}

TEST(GetActiveCP, ReturnsWhatThePlatformReports) {
    for (uint32_t codePage : {1252u, 932u, 65001u, 0u, 0xFFFFFFFFu}) {
        fakes::System().activeCodePage = codePage;
        EXPECT_EQ(GetActiveCP(), codePage);
    }
}

TEST(RuveEntry, ReturnsZeroWhateverItIsGiven) {
    EXPECT_EQ(RuveEntry(0, 0, 0), 0);
    EXPECT_EQ(RuveEntry(1, 2, 3), 0);
    EXPECT_EQ(RuveEntry(0xFFFFFFFF, 0x80000000, 0x7FFFFFFF), 0);
    EXPECT_TRUE(fakes::CallLog().empty()) << "RuveEntry must not touch the system";
}

}  // namespace
