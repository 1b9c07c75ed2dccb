#pragma once
// The log window's model: what MainWindow holds, counted in lines, and the entries the view has yet to show.
// Entries are counted the moment they are placed, so the 5000-line rule, the pause snapshot and the log file do
// not depend on how far behind the view draws.
//
// A line is a line of the view's store (a wrapped line is still one line). CR LF, a lone CR and a lone LF are
// each one line break. One line break at the very end of an entry ends the entry's last line and adds no empty
// line: a received "OK" CR is one line, as is an echoed "AT" CR. So an entry with k inner line breaks takes k + 1
// lines, and the empty entry takes one (empty) line.

#include "common/cp1251.h"

#include <cstdint>
#include <string_view>

namespace trelvo {

inline constexpr std::int64_t kLogMaxLines = 5000;
inline constexpr const char* kLogStopLine = ">>>>>>>>>> STOP <<<<<<<<<<";

// Number of lines the entry takes in the view, by the rule above.
std::int64_t EntryLines(std::string_view entry);

class LogView {
public:
    // Counts the entry and queues its display text.
    void append(std::string_view entry);

    // The view's text still to be drawn, as CP1251 with "\n" as the only line break: the pending entries joined by
    // "\n", appended to the view's lines at once (the first starts a new line too).
    // Empty and hasPending() false when nothing is pending.
    Bytes takePending();
    // The same text in place, and dropping it while keeping its memory: the window converts it without a copy, and
    // a flood does not grow the buffer anew for every batch.
    std::string_view pending() const { return pending_; }
    void clearPending();
    bool hasPending() const { return pendingEntries_ > 0; }
    std::int64_t pendingEntries() const { return pendingEntries_; }

    std::int64_t lines() const { return lines_; }
    // More than 5000 lines: the housekeeping tick empties the view.
    bool overLimit() const { return lines_ > kLogMaxLines; }
    // BTLogClick: the view is emptied, and what it had not drawn yet goes with it.
    void clear();
    // The line limit: what the view has drawn goes, and what it had not drawn yet is drawn into the emptied view at
    // once, so the log is never blank while entries arrive. Should that alone be over the limit, only its last
    // 5000 lines are kept for drawing.
    void clearDrawn();

    // StartStopClick. The window first draws what is pending, so the snapshot holds every entry placed so far,
    // then empties SecondWindow and, when this returns true (now paused), fills it with MainWindow's text, an
    // empty line and kLogStopLine.
    bool StartStopClick();
    bool LogPaused() const { return paused_; }
    const char* StartStopCaption() const { return paused_ ? ">" : "||"; }

private:
    Bytes pending_;
    std::int64_t pendingEntries_ = 0;
    std::int64_t pendingLines_ = 0;
    std::int64_t lines_ = 0;
    bool paused_ = false;
};

} // namespace trelvo
