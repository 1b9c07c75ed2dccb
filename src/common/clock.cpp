#include "common/clock.h"

#include <QDateTime>
#include <QThread>
#include <chrono>

namespace trelvo {

namespace {
std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

// Starts well above zero: several rules treat a reading of 0 as "never happened".
SystemClock::SystemClock() : origin_(steadyMs() - 1'000'000) {}

std::int64_t SystemClock::monotonicMs() const { return steadyMs() - origin_; }

LocalTime LocalTimeAt(std::int64_t utcMs, int offsetSeconds) {
    using namespace std::chrono;
    const std::int64_t localMs = utcMs + std::int64_t{offsetSeconds} * 1000;
    const sys_days day = floor<days>(sys_time<milliseconds>(milliseconds(localMs)));
    const std::int64_t msOfDay = localMs - duration_cast<milliseconds>(day.time_since_epoch()).count();
    const year_month_day ymd(day);
    const unsigned weekday = std::chrono::weekday(day).iso_encoding();
    return LocalTime{int(ymd.year()),
                     int(unsigned(ymd.month())),
                     int(unsigned(ymd.day())),
                     int(msOfDay / 3'600'000),
                     int(msOfDay / 60'000 % 60),
                     int(msOfDay / 1000 % 60),
                     int(msOfDay % 1000),
                     int(weekday)};
}

LocalTime Clock::localTimeAt(std::int64_t monotonicMs) const {
    using namespace std::chrono;
    const LocalTime now = localTime();
    const std::int64_t back = this->monotonicMs() - monotonicMs;
    if (back <= 0) return now;
    const sys_days day{year{now.year} / month{unsigned(now.month)} / std::chrono::day{unsigned(now.day)}};
    const std::int64_t localMs = duration_cast<milliseconds>(day.time_since_epoch()).count() + now.msOfDay();
    return LocalTimeAt(localMs - back, 0);
}

LocalTime SystemClock::localTime() const {
    const std::int64_t utcMs = QDateTime::currentMSecsSinceEpoch();
    const auto minute = static_cast<std::uint32_t>(utcMs / 60'000);
    std::uint64_t cached = offsetOfMinute_.load(std::memory_order_relaxed);
    if (cached >> 32 != minute) {
        const int offset = QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc();
        cached = std::uint64_t{minute} << 32 | static_cast<std::uint32_t>(offset);
        offsetOfMinute_.store(cached, std::memory_order_relaxed);
    }
    return LocalTimeAt(utcMs, static_cast<std::int32_t>(static_cast<std::uint32_t>(cached)));
}

void SystemClock::sleepMs(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace trelvo
