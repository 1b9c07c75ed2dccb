#include "receive/log_view.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace trelvo {
namespace {

// Length of the final line break of the entry (2 for CR LF, 1 for CR or LF, 0 for none).
std::size_t TrailingBreak(std::string_view e) {
    if (e.size() >= 2 && e[e.size() - 2] == '\r' && e.back() == '\n') return 2;
    if (!e.empty() && (e.back() == '\r' || e.back() == '\n')) return 1;
    return 0;
}

// Appends `body` with every line break made "\n"; returns the number of breaks. The next CR and the next LF are
// each searched for once (memchr), not byte by byte: most entries hold no break at all.
std::int64_t AppendNormalised(Bytes& out, std::string_view body) {
    std::int64_t breaks = 0;
    const char* p = body.data();
    const char* const end = p + body.size();
    const auto next = [end](const char* from, char c) {
        const void* at = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return at != nullptr ? static_cast<const char*>(at) : end;
    };
    const char* cr = next(p, '\r');
    const char* lf = next(p, '\n');
    while (p < end) {
        const char* brk = std::min(cr, lf);
        out.append(p, static_cast<std::size_t>(brk - p));
        if (brk == end) break;
        p = brk + (*brk == '\r' && brk + 1 < end && brk[1] == '\n' ? 2 : 1);
        out.push_back('\n');
        ++breaks;
        if (cr < p) cr = next(p, '\r');
        if (lf < p) lf = next(p, '\n');
    }
    return breaks;
}

} // namespace

std::int64_t EntryLines(std::string_view entry) {
    entry.remove_suffix(TrailingBreak(entry));
    std::int64_t lines = 1;
    for (std::size_t i = 0; i < entry.size(); ++i) {
        if (entry[i] == '\n' || (entry[i] == '\r' && (i + 1 == entry.size() || entry[i + 1] != '\n'))) ++lines;
    }
    return lines;
}

void LogView::append(std::string_view entry) {
    entry.remove_suffix(TrailingBreak(entry));
    if (pendingEntries_++ > 0) pending_.push_back('\n');
    const std::int64_t added = AppendNormalised(pending_, entry) + 1;
    lines_ += added;
    pendingLines_ += added;
}

Bytes LogView::takePending() {
    Bytes out;
    out.swap(pending_);
    pendingEntries_ = 0;
    pendingLines_ = 0;
    return out;
}

void LogView::clearPending() {
    pending_.clear();
    pendingEntries_ = 0;
    pendingLines_ = 0;
}

void LogView::clear() {
    clearPending();
    lines_ = 0;
}

void LogView::clearDrawn() {
    if (pendingLines_ > kLogMaxLines) {
        // Keep the text after the 5000th line break from the end.
        std::size_t at = pending_.size();
        for (std::int64_t breaks = 0; breaks < kLogMaxLines; ++breaks)
            at = pending_.rfind('\n', at - 1);
        pending_.erase(0, at + 1);
        pendingLines_ = kLogMaxLines;
    }
    lines_ = pendingLines_;
}

bool LogView::StartStopClick() {
    paused_ = !paused_;
    return paused_;
}

} // namespace trelvo
