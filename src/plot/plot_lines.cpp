#include "plot/plot_lines.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace trelvo {
namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

} // namespace

bool ParsePlotNumber(std::string_view text, double& value) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    // A digit or a point must follow: from_chars would take "nan", "inf" and hexadecimal forms too.
    if (at == text.size() || !(IsDigit(text[at]) || text[at] == '.')) return false;
    const char* first = text.data() + at;
    const char* last = text.data() + text.size();
    double v = 0;
    const auto [end, error] = std::from_chars(first, last, v, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(v)) return false;
    value = negative ? -v : v;
    return true;
}

int ParsePlotLine(std::string_view line, std::vector<PlotValue>& out) {
    out.clear();
    int numbers = 0;
    int position = 0;
    std::string_view pendingName; // "name:" with its value in the next token
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        if (i == line.size()) break;
        std::size_t end = i;
        while (end < line.size() && !IsSeparator(line[end]))
            ++end;
        const std::string_view token = line.substr(i, end - i);
        i = end;
        PlotValue v;
        std::string_view text = token;
        const std::size_t mark = token.find_first_of(":=");
        if (!pendingName.empty()) {
            v.name = pendingName;
            pendingName = {};
        } else if (mark != std::string_view::npos && mark > 0) {
            v.name = token.substr(0, mark);
            text = token.substr(mark + 1);
            if (text.empty()) { // "temp: 21.5"
                pendingName = v.name;
                continue;
            }
        } else {
            v.position = ++position;
        }
        if (ParsePlotNumber(text, v.value))
            ++numbers;
        else
            v.value = kGap;
        out.push_back(v);
    }
    return numbers;
}

void PlotLineSplitter::feed(std::string_view bytes, std::int64_t placedMs, const LineFn& onLine) {
    const bool paused = lastFedMs_ >= 0 && placedMs - lastFedMs_ >= kHoldMs;
    lastFedMs_ = placedMs;
    if (skipping_ && !paused) {
        const std::size_t end = bytes.find_first_of("\r\n");
        if (end == std::string_view::npos) return;
        bytes.remove_prefix(end);
    }
    skipping_ = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        const std::string_view piece = bytes.substr(start, i - start);
        if (!held_.empty()) {
            held_.append(piece);
            onLine(held_, placedMs);
            held_.clear();
        } else if (!piece.empty()) {
            onLine(piece, placedMs);
        }
        start = i + 1;
    }
    if (start == bytes.size()) return;
    heldMs_ = placedMs;
    held_.append(bytes.substr(start));
    if (held_.size() >= kMaxLine) {
        onLine(held_, placedMs);
        held_.clear();
    }
}

bool PlotLineSplitter::flushStale(std::int64_t nowMs, const LineFn& onLine) {
    if (held_.empty() || nowMs - heldMs_ < kHoldMs) return false;
    onLine(held_, heldMs_);
    held_.clear();
    return true;
}

} // namespace trelvo
