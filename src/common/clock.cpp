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

LocalTime SystemClock::localTime() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return LocalTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec(), d.dayOfWeek()};
}

void SystemClock::sleepMs(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace trelvo
