#pragma once
// The numbers in what a device prints for a plotter. A received entry is cut into lines at CR and LF; a line holds
// named values ("temp:21.5 hum=40") or bare ones ("21.5,40;-3", the n-th of them is series "n"), separated by
// spaces, tabs, commas or semicolons. No widgets here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo {

// One value of a line: named, or the position-th bare value (counted from 1). A value that is not a number
// ("nan", "inf", a word) is NaN: a gap in that series for that line.
struct PlotValue {
    std::string_view name; // empty for a bare value
    int position = 0;      // 1.. for a bare value, 0 for a named one
    double value = 0;
};

// A decimal number with an optional sign, fraction and exponent, the whole of `text`; false for anything else,
// "nan" and "inf" among them.
bool ParsePlotNumber(std::string_view text, double& value);

// Reads one line into `out` (emptied first; the names point into `line`). Returns how many of the values are
// numbers; a line with none is no sample.
int ParsePlotLine(std::string_view line, std::vector<PlotValue>& out);

// Cuts entries into lines. A line is ended by CR or LF; what an entry leaves unended is held for the next entry,
// which in a fast stream carries the rest of it, or ended by itself once no continuation came for kHoldMs.
class PlotLineSplitter {
public:
    static constexpr std::int64_t kHoldMs = 500;  // a device, or a busy host, may pause within a line
    static constexpr std::size_t kMaxLine = 1024; // a longer line without an end is taken as it stands

    using LineFn = std::function<void(std::string_view line, std::int64_t placedMs)>;

    void feed(std::string_view bytes, std::int64_t placedMs, const LineFn& onLine);
    // Ends a held part line that has waited kHoldMs or longer. Returns whether one was ended.
    bool flushStale(std::int64_t nowMs, const LineFn& onLine);
    // The time a held part line is due to be ended; -1 when nothing is held.
    std::int64_t heldDueMs() const { return held_.empty() ? -1 : heldMs_ + kHoldMs; }
    void clear() { held_.clear(); }
    // Joining a stream that may be flowing: what comes before the first line end is taken for the rest of a line
    // begun earlier, and dropped; a pause of kHoldMs without a line end ends the dropping (the device ends no lines).
    void joinMidStream() {
        held_.clear();
        skipping_ = true;
        lastFedMs_ = -1;
    }

private:
    std::string held_;
    std::int64_t heldMs_ = 0;
    bool skipping_ = false;       // dropping up to the first line end
    std::int64_t lastFedMs_ = -1; // when the last bytes came since joining
};

} // namespace trelvo
