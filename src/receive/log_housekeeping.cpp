#include "receive/log_housekeeping.h"

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
    r.logCaptions = file.flushIfDue(clock.monotonicMs());
    Bytes text = ClockLabelText(clock.localTime());
    if (text != lastClock_) {
        lastClock_ = text;
        r.clockChanged = true;
        r.clockText = std::move(text);
    }
    return r;
}

} // namespace trelvo
