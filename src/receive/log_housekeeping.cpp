#include "receive/log_housekeeping.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace trelvo {

Bytes ClockLabelText(const LocalTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return Bytes(buf);
}

LogHousekeepingResult LogHousekeeping::tick(LogView& view, LogFile& file, const Clock& clock) {
    LogHousekeepingResult r;
    if (view.overLimit()) {
        view.clearDrawn();
        r.clearView = true;
    }
    const std::int64_t now = clock.monotonicMs();
    r.logCaptions = file.flushIfDue(now);
    // The local clock is read (which costs more than the rest of this tick) only once its next second is due: the
    // label follows a change of the clock's setting within a second.
    if (nextSecondMs_ && now < *nextSecondMs_) return r;
    const LocalTime local = clock.localTime();
    nextSecondMs_ = now + 1000 - local.msec;
    Bytes text = ClockLabelText(local);
    if (text != lastClock_) {
        lastClock_ = text;
        r.clockChanged = true;
        r.clockText = std::move(text);
    }
    return r;
}

std::int64_t LogHousekeeping::msUntilDue(const LogView& view, const LogFile& file, const Clock& clock,
                                         bool moreToDraw) const {
    const std::int64_t now = clock.monotonicMs();
    // The label's next second, as the last tick saw the local clock: reading it costs more than the rest of this.
    std::int64_t due = nextSecondMs_ ? *nextSecondMs_ - now : 1000 - clock.localTime().msec;
    if (view.pending().size() >= LogPlacement::kDrawAtOnceBytes)
        due = 0;
    else if (view.pending().size() >= LogPlacement::kDrawAtBytes)
        due = lastDrawMs_ + kFloodDrawEveryMs - now;
    else if (moreToDraw || view.hasPending() || view.overLimit())
        due = std::min(due, lastDrawMs_ + (lastDrawEntries_ > 1 ? kStreamDrawEveryMs : kDrawEveryMs) - now);
    if (const auto at = file.flushDueMs()) due = std::min(due, *at - now);
    return std::max<std::int64_t>(due, 0);
}

} // namespace trelvo
