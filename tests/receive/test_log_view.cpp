#include "receive/log_housekeeping.h"
#include "receive/log_store.h"
#include "support/manual_clock.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace trelvo;
using namespace trelvo::test;

namespace {

TEST(LogView, LinesOfAnEntry) {
    const struct {
        const char* entry;
        std::int64_t lines;
    } rows[] = {
        {"", 1},         {"AT", 1},
        {"OK\r", 1},     {"OK\r\n", 1},
        {"A\r\nB\r", 2}, {"A\rB", 2},
        {"A\nB\n", 2},   {"A\r\n\r\n", 2},
        {"A\r\rB", 3},   {"\r", 1},
        {"\r\r", 2},     {"\n\r", 2},
        {"A\r\nB", 2},   {" [ x < ] A\r\nB\r", 2},
    };
    for (const auto& r : rows)
        EXPECT_EQ(EntryLines(r.entry), r.lines) << '"' << r.entry << '"';
}

TEST(LogView, PendingTextMatchesTheLineCount) {
    LogView v;
    v.append("A\r\nB\r");
    v.append("C");
    v.append("\xC0\rD\n");
    EXPECT_EQ(v.lines(), 5);
    EXPECT_EQ(v.takePending(), "A\nB\nC\n\xC0\nD");
    EXPECT_FALSE(v.hasPending());
    v.append("");
    v.append("E");
    EXPECT_TRUE(v.hasPending());
    EXPECT_EQ(v.takePending(), "\nE"); // an empty entry is an empty line of its own
    EXPECT_EQ(v.lines(), 7);
    v.clear();
    v.append("F");
    EXPECT_EQ(v.lines(), 1);
    EXPECT_EQ(v.takePending(), "F");
}

// Above 5000 lines the view is emptied, and the entries not yet drawn are drawn into it in the same tick: the log is
// never blank while entries arrive. Entries are numbered two-line ones ("n\r\nn\r") or one-line ones ("n\r").
TEST(LogView, MoreThan5000LinesAreClearedByTheHousekeepingTick) {
    const struct {
        const char* name;
        int linesPerEntry;
        int drawn, waiting; // entries drawn before the tick, entries placed since
        bool cleared;
        std::int64_t linesAfter;
        const char* firstWaitingLine; // the first line left to draw; "" when nothing is
    } rows[] = {
        {"5000 lines stay", 1, 4990, 10, false, 5000, "4990"},
        {"5001 drawn lines go", 1, 5001, 0, true, 0, ""},
        {"what waits is drawn into the emptied view", 1, 4990, 11, true, 11, "4990"},
        {"2501 two-line entries waiting: the last 5000 lines", 2, 0, 2501, true, 5000, "1"},
        {"5001 waiting lines: the last 5000", 1, 0, 5001, true, 5000, "1"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        LogView view;
        RecordingDialogs dialogs;
        LogFile file(dialogs);
        ManualClock clock;
        LogHousekeeping hk;
        if (r.waiting % 2) view.StartStopClick(); // paused or not, the limit applies
        for (int i = 0; i < r.drawn + r.waiting; ++i) {
            if (i == r.drawn) view.clearPending();
            const std::string n = std::to_string(i);
            view.append(r.linesPerEntry == 2 ? n + "\r\n" + n + "\r" : n + "\r");
        }
        if (r.waiting == 0) view.clearPending();
        const LogHousekeepingResult res = hk.tick(view, file, clock);
        EXPECT_EQ(res.clearView, r.cleared);
        EXPECT_EQ(view.lines(), r.linesAfter);
        const std::string_view pending = view.pending();
        EXPECT_EQ(pending.substr(0, pending.find('\n')), r.firstWaitingLine);
        EXPECT_EQ(static_cast<std::int64_t>(std::count(pending.begin(), pending.end(), '\n')) + view.hasPending(),
                  r.cleared ? r.linesAfter : r.waiting * r.linesPerEntry);
    }
}

TEST(LogView, PauseCaptionsAndClockLabel) {
    LogView view;
    EXPECT_STREQ(view.StartStopCaption(), "||");
    EXPECT_TRUE(view.StartStopClick());
    EXPECT_STREQ(view.StartStopCaption(), ">");
    EXPECT_FALSE(view.StartStopClick());
    EXPECT_STREQ(view.StartStopCaption(), "||");

    RecordingDialogs dialogs;
    LogFile file(dialogs);
    ManualClock clock;
    LogHousekeeping hk;
    LogHousekeepingResult r = hk.tick(view, file, clock);
    EXPECT_TRUE(r.clockChanged);
    EXPECT_EQ(r.clockText, "09:07:03");
    clock.local.msec = 900;
    clock.advance(955); // the second that began 45 ms before the first tick is over
    EXPECT_FALSE(hk.tick(view, file, clock).clockChanged);
    clock.local = LocalTime{2024, 3, 5, 23, 59, 59, 0, 2};
    EXPECT_FALSE(hk.tick(view, file, clock).clockChanged) << "read again only when its next second is due";
    clock.advance(100);
    EXPECT_EQ(hk.tick(view, file, clock).clockText, "23:59:59");
}

} // namespace

TEST(LogView, DroppingThePendingTextInPlaceKeepsTheCount) {
    LogView v;
    v.append("A\r\nB\r");
    v.append("C");
    EXPECT_EQ(v.pending(), "A\nB\nC");
    v.clearPending();
    EXPECT_FALSE(v.hasPending());
    EXPECT_EQ(v.pending(), "");
    EXPECT_EQ(v.lines(), 3); // the entries are in the view now; only the text to draw is gone
    v.append("D");
    EXPECT_EQ(v.pending(), "D"); // the next batch starts without a separator, as after takePending
    EXPECT_EQ(v.lines(), 4);
}

// The housekeeping tick is armed for its next piece of work only: the clock label's next second, or the next
// drawing, at most every 50 ms, every 100 ms while entries stream, a screen frame on when much text waits.
TEST(LogHousekeeping, WakesOnlyForWork) {
    const struct {
        const char* name;
        std::size_t waitingBytes; // placed, not drawn
        std::int64_t drawnMsAgo;  // -1: never drawn
        std::int64_t drawnEntries;
        bool moreToDraw;
        std::int64_t due;
    } rows[] = {
        {"nothing to do: the clock label's next second", 0, 5, 1, false, 955},
        {"entries waiting, never drawn", 1, -1, 0, false, 0},
        {"entries waiting, one drawn 10 ms ago", 1, 10, 1, false, 40},
        {"entries waiting, a stream of them drawn 10 ms ago", 1, 10, 2, false, 90},
        {"receive figures waiting, drawn 50 ms ago", 0, 50, 0, true, 0},
        {"much text waiting is drawn a frame after the last drawing", LogPlacement::kDrawAtBytes, 6, 9, false, 10},
        {"... or at once, a frame on", LogPlacement::kDrawAtBytes, 20, 9, false, 0},
        {"... or at once when very much waits", LogPlacement::kDrawAtOnceBytes, 6, 9, false, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        LogView view;
        RecordingDialogs dialogs;
        LogFile file(dialogs);
        ManualClock clock; // 45 ms into the second
        LogHousekeeping hk;
        if (r.drawnMsAgo >= 0) hk.noteDrawn(clock.now - r.drawnMsAgo, r.drawnEntries);
        if (r.waitingBytes > 0) view.append(std::string(r.waitingBytes, 'x'));
        EXPECT_EQ(hk.msUntilDue(view, file, clock, r.moreToDraw), r.due);
    }
}

namespace {

// Every byte one unit wide, tabs every 4 units, rows `width` units wide.
LogMetrics Monospace(float width) {
    LogMetrics m;
    m.advance.fill(1);
    m.tabStop = 4;
    m.width = width;
    return m;
}

} // namespace

TEST(LogStore, AppendedLinesAndTheTextOfARange) {
    LogStore s;
    s.appendLines("A\nBC");
    s.appendLines("");
    s.appendLines("\xC0\xE0\n\nD");
    EXPECT_EQ(s.lineCount(), 6);
    EXPECT_EQ(s.allText(), "A\nBC\n\n\xC0\xE0\n\nD");
    const struct {
        LogPos from, to;
        const char* text;
    } rows[] = {
        {{1, 1}, {3, 1}, "C\n\n\xC0"}, {{0, 0}, {0, 1}, "A"}, {{3, 2}, {5, 0}, "\n\n"},
        {{2, 0}, {2, 0}, ""},          {{1, 2}, {1, 0}, ""},  {{0, 0}, {0, 99}, "A"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(s.text(r.from, r.to), r.text) << r.from.line << ':' << r.from.column;
    s.clear();
    EXPECT_EQ(s.lineCount(), 0);
    EXPECT_EQ(s.rowCount(), 0);
    EXPECT_EQ(s.allText(), "");
}

// Lines ending in a run of hex bytes are kept as the bytes; every line reads back as it was appended.
TEST(LogStore, HexRunsReadBackExactly) {
    std::string run; // "00 11 22 .. FF", 16 bytes
    for (int i = 0; i < 16; ++i)
        run += std::string(i ? " " : "") + "0123456789ABCDEF"[i] + "0123456789ABCDEF"[15 - i];
    const std::string lines[] = {
        run,
        "12:00:01.234 <<< " + run,
        "F" + run,                                   // a digit before the run without a blank
        run.substr(3),                               // 15 bytes: too short to pack
        run + " ",                                   // a blank at the end
        "ab " + std::string(run).replace(0, 1, "a"), // lower case is not the HEX mode's
        run + " 4",
    };
    LogStore s;
    std::string all;
    for (const std::string& l : lines) {
        s.appendLines(l);
        all += (all.empty() ? "" : "\n") + l;
    }
    for (int i = 0; i < s.lineCount(); ++i) {
        EXPECT_EQ(s.line(i), lines[i]) << i;
        EXPECT_EQ(s.lineSize(i), static_cast<int>(lines[i].size())) << i;
    }
    EXPECT_EQ(s.allText(), all);
    EXPECT_EQ(s.text({1, 20}, {2, 4}), lines[1].substr(20) + "\n" + lines[2].substr(0, 4));
}

// Rows break after the last blank that fits, anywhere when none does; blanks hang past the edge.
TEST(LogStore, LinesWrapAtTheWidth) {
    const struct {
        const char* line;
        float width;
        std::vector<int> breaks;
    } rows[] = {
        {"", 8, {0}},
        {"12 34 56", 8, {0}},
        {"12 34 56 78", 8, {0, 9}},
        {"12 34 56   78", 8, {0, 11}},
        {"0123456789", 4, {0, 4, 8}},
        {"ab cdefghij", 4, {0, 3, 7}},
        {"a\tb\tc", 6, {0, 4}},
        {"abc", 0, {0}}, // no width yet: no wrapping
        {"abc", 0.5f, {0, 1, 2}},
    };
    for (const auto& r : rows) {
        LogStore s;
        s.setMetrics(Monospace(r.width));
        EXPECT_EQ(s.breaks(r.line), r.breaks) << r.line << " at " << r.width;
        s.appendLines(r.line);
        EXPECT_EQ(s.rowCount(), static_cast<int>(r.breaks.size())) << r.line;
    }
    // A new width wraps the lines already there.
    LogStore s;
    s.appendLines("0123456789\nab\n0123");
    EXPECT_EQ(s.rowCount(), 3);
    s.setMetrics(Monospace(4));
    EXPECT_EQ(s.rowCount(), 3 + 1 + 1);
    EXPECT_EQ(s.firstRowOf(2), 4);
    EXPECT_EQ(s.row(2).line, 0);
    EXPECT_EQ(s.row(2).begin, 8);
    EXPECT_EQ(s.row(3).line, 1);
}

// Places picked on wrapped rows (as the mouse and the keyboard pick them) and the text copied between them.
TEST(LogStore, SelectingAcrossWrappedLines) {
    LogStore s;
    s.setMetrics(Monospace(4));
    s.appendLines("0123456789\nab\nwxyz");
    // Rows: "0123" "4567" "89" | "ab" | "wxyz"
    const struct {
        int fromRow;
        float fromX;
        int toRow;
        float toX;
        const char* copied;
    } rows[] = {
        {0, 1.2f, 0, 3.6f, "123"}, {0, 2, 1, 2, "2345"},
        {1, 2.9f, 2, 1, "78"},     {1, 3.9f, 2, 1, "8"}, // a row's far right is its end: the next row's start
        {2, 0, 3, 9, "89\nab"},    {0, -5, 4, 99, "0123456789\nab\nwxyz"},
        {4, 2, 3, 1, ""}, // backwards: the caller orders the ends
    };
    for (const auto& r : rows) {
        const LogPos from = s.posAt(r.fromRow, r.fromX), to = s.posAt(r.toRow, r.toX);
        EXPECT_EQ(s.text(from, to), r.copied) << r.fromRow << ',' << r.fromX;
        EXPECT_EQ(s.rowOf(from), r.fromX > 3.5f && r.fromRow < 2 ? r.fromRow + 1 : r.fromRow);
    }
    EXPECT_EQ(s.xOf({0, 6}), 2);
    EXPECT_EQ(s.xOf({2, 4}), 4);
}
