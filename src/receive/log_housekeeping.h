#pragma once
// What ties the log window and the log file together: the placement of an entry into both, and the receive
// side's share of the 10 ms housekeeping tick.

#include "common/clock.h"
#include "common/cp1251.h"
#include "receive/entry_rule.h"
#include "receive/log_file.h"
#include "receive/log_view.h"

namespace trelvo {

// The sink that every placed entry goes to, sent or received: the view, and the file while recording.
class LogPlacement final : public EntrySink {
public:
    LogPlacement(LogView& view, LogFile& file) : view_(view), file_(file) {}
    void placeEntry(const Bytes& entry) override {
        view_.append(entry);
        file_.write(entry);
    }

private:
    LogView& view_;
    LogFile& file_;
};

// TextTime in the long time format, "hh:mm:ss".
Bytes ClockLabelText(const LocalTime& t);

struct LogHousekeepingResult {
    bool clearView = false;   // empty MainWindow, then draw what is pending (the model holds only that now)
    bool logCaptions = false; // recording stopped by a failed write: rewrite StartLog and STLog
    bool clockChanged = false;
    Bytes clockText; // set when clockChanged
};

class LogHousekeeping {
public:
    // The line limit (also while paused), the log file's flush, and the clock label.
    LogHousekeepingResult tick(LogView& view, LogFile& file, const Clock& clock);

private:
    Bytes lastClock_;
};

} // namespace trelvo
