#pragma once
// Time for everything: a monotonic count for intervals (framing, periods, gaps), so that a wall-clock step can
// neither cut nor merge a packet, and the local time of day for stamps, the clock label and file names.

#include <atomic>
#include <cstdint>

namespace trelvo {

struct LocalTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, msec = 0;
    int dayOfWeek = 1; // 1 = Monday .. 7 = Sunday

    int msOfDay() const { return ((hour * 60 + minute) * 60 + second) * 1000 + msec; }
};

// The local time of day at `utcMs` (milliseconds since 1970 in UTC) for a zone `offsetSeconds` east of UTC.
LocalTime LocalTimeAt(std::int64_t utcMs, int offsetSeconds);

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t monotonicMs() const = 0;
    virtual LocalTime localTime() const = 0;
    // Blocks the caller; test clocks only advance.
    virtual void sleepMs(int ms) = 0;
    // The local time at an earlier reading of the monotonic clock: now's, less the time since (a later reading
    // gives now's).
    LocalTime localTimeAt(std::int64_t monotonicMs) const;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    std::int64_t monotonicMs() const override;
    LocalTime localTime() const override;
    void sleepMs(int ms) override;

private:
    std::int64_t origin_;
    // The zone's offset, asked of the system once per minute of UTC: asking costs a look at the zone file for
    // every time stamp, and offsets change only on a minute's boundary. The minute in the high half, the offset in
    // seconds in the low half; any thread may ask.
    mutable std::atomic<std::uint64_t> offsetOfMinute_{0};
};

} // namespace trelvo
