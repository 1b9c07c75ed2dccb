#include "common/clock.h"
#include "support/manual_clock.h"

#include <gtest/gtest.h>

using namespace trelvo;

namespace {

struct LocalCase {
    std::int64_t utcMs;
    int offsetSeconds;
    LocalTime expected;
};

TEST(LocalTimeAt, SplitsTheShiftedInstantIntoDateTimeAndWeekday) {
    const LocalCase cases[] = {
        {0, 0, {1970, 1, 1, 0, 0, 0, 0, 4}},
        {0, -3600, {1969, 12, 31, 23, 0, 0, 0, 3}},
        // 2024-02-29 23:59:59.999 UTC, a Thursday; an hour east it is Friday, the first of March
        {1709251199999, 0, {2024, 2, 29, 23, 59, 59, 999, 4}},
        {1709251199999, 3600, {2024, 3, 1, 0, 59, 59, 999, 5}},
        // 2026-12-11 00:30:00.250 UTC, a Friday; five and a half hours west it is still Thursday
        {1796949000250, -19800, {2026, 12, 10, 19, 0, 0, 250, 4}},
        {1796949000250, 50400, {2026, 12, 11, 14, 30, 0, 250, 5}},
    };
    for (const LocalCase& c : cases) {
        const LocalTime t = LocalTimeAt(c.utcMs, c.offsetSeconds);
        const auto fields = [](const LocalTime& l) {
            return std::vector<int>{l.year, l.month, l.day, l.hour, l.minute, l.second, l.msec, l.dayOfWeek};
        };
        EXPECT_EQ(fields(t), fields(c.expected)) << c.utcMs << " " << c.offsetSeconds;
    }
}

TEST(Clock, LocalTimeAtAnEarlierReadingGoesBackOverMidnight) {
    test::ManualClock clock;
    clock.local = {2024, 3, 1, 0, 0, 0, 10, 5};
    const auto fields = [](const LocalTime& l) {
        return std::vector<int>{l.year, l.month, l.day, l.hour, l.minute, l.second, l.msec, l.dayOfWeek};
    };
    EXPECT_EQ(fields(clock.localTimeAt(clock.now - 10)), fields({2024, 3, 1, 0, 0, 0, 0, 5}));
    EXPECT_EQ(fields(clock.localTimeAt(clock.now - 20)), fields({2024, 2, 29, 23, 59, 59, 990, 4}));
    EXPECT_EQ(fields(clock.localTimeAt(clock.now + 5)), fields(clock.local)); // a later reading: now
}

} // namespace
