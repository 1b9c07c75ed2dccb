#pragma once
// What ties the log window and the log file together: the placement of an entry into both, and the receive
// side's share of the 10 ms housekeeping tick.

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/entry_rule.h"
#include "receive/log_file.h"
#include "receive/log_view.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

namespace trelvo {

// The sink that every placed entry goes to, sent or received: the view, and the file while recording.
class LogPlacement final : public EntrySink {
public:
    LogPlacement(LogView& view, LogFile& file) : view_(view), file_(file) {}
    // Text waiting to be drawn beyond which it is drawn a screen frame after the last drawing: a flood moves the
    // log about as often as a screen can show it (a drawing costs much the same however much it adds); and beyond
    // which it is drawn at once, so that a batch stays quick to lay out and small in memory.
    static constexpr std::size_t kDrawAtBytes = 32 * 1024;
    static constexpr std::size_t kDrawAtOnceBytes = 512 * 1024;

    // Called when an entry is placed into a view that had nothing left to draw, and when the text waiting grows
    // past kDrawAtBytes or kDrawAtOnceBytes: the housekeeping tick has work.
    void setWake(std::function<void()> wake) { wake_ = std::move(wake); }
    void placeEntry(const Bytes& entry) override {
        const bool hadWork = view_.hasPending();
        const std::size_t was = view_.pending().size();
        view_.append(entry);
        file_.write(entry);
        const std::size_t now = view_.pending().size();
        const auto crossed = [&](std::size_t mark) { return was < mark && now >= mark; };
        if (wake_ && (!hadWork || crossed(kDrawAtBytes) || crossed(kDrawAtOnceBytes))) wake_();
    }

private:
    LogView& view_;
    LogFile& file_;
    std::function<void()> wake_;
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
    // Entries reach the screen in batches: each drawing costs much the same however few lines it adds. An entry
    // that comes alone is drawn within 50 ms. While entries stream (the last drawing carried more than one), the
    // log moves ten times a second: lines that come faster than a drawing cannot be read as they pass anyway, and
    // a device talking without pause costs half as many drawings.
    static constexpr std::int64_t kDrawEveryMs = 50;
    static constexpr std::int64_t kStreamDrawEveryMs = 100;
    static constexpr std::int64_t kFloodDrawEveryMs = 16;

    // The line limit (also while paused), the log file's flush, and the clock label.
    LogHousekeepingResult tick(LogView& view, LogFile& file, const Clock& clock);

    // Milliseconds from now until the tick next has work: the clock label's next second, the entries waiting to be
    // drawn (no sooner than kDrawEveryMs or kStreamDrawEveryMs after the last drawing), the log file's next write.
    // `moreToDraw`: the window has other changes waiting for the next drawing (the receive figures).
    std::int64_t msUntilDue(const LogView& view, const LogFile& file, const Clock& clock,
                            bool moreToDraw = false) const;
    void noteDrawn(std::int64_t nowMs, std::int64_t entries) {
        lastDrawMs_ = nowMs;
        lastDrawEntries_ = entries;
    }

private:
    Bytes lastClock_;
    std::optional<std::int64_t> nextSecondMs_; // monotonic reading at which the clock label's next second begins
    std::int64_t lastDrawMs_ = std::numeric_limits<std::int64_t>::min() / 2;
    std::int64_t lastDrawEntries_ = 0;
};

} // namespace trelvo
