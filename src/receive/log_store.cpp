#include "receive/log_store.h"

#include <algorithm>

namespace trelvo {
namespace {

float Advance(const LogMetrics& m, unsigned char c, float x) {
    if (c != '\t') return m.advance[c];
    const float next = (static_cast<int>(x / m.tabStop) + 1) * m.tabStop;
    return next - x;
}

} // namespace

void LogStore::appendLines(std::string_view text) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find('\n', from);
        const std::string_view part =
            text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from);
        if (blocks_.empty()) blocks_.emplace_back().reserve(kBlockBytes);
        if (blocks_[block_].capacity() - blocks_[block_].size() < part.size()) {
            if (++block_ == blocks_.size()) blocks_.emplace_back();
            blocks_[block_].reserve(std::max(kBlockBytes, part.size()));
        }
        Bytes& b = blocks_[block_];
        starts_.push_back({static_cast<std::uint32_t>(block_), static_cast<std::uint32_t>(b.size()),
                           static_cast<std::uint32_t>(part.size())});
        b.append(part);
        bytes_ += part.size();
        addRows(lineCount() - 1);
        if (at == std::string_view::npos) break;
        from = at + 1;
    }
}

void LogStore::clear() {
    // A flood fills the store again at once: its memory is kept, as the view's was.
    for (Bytes& b : blocks_)
        b.clear();
    block_ = 0;
    bytes_ = 0;
    starts_.clear();
    rowsBefore_.clear();
    lastRows_ = 0;
}

std::string_view LogStore::line(int i) const {
    const Line& l = starts_[static_cast<std::size_t>(i)];
    return {blocks_[l.block].data() + l.offset, l.length};
}

LogPos LogStore::end() const {
    if (starts_.empty()) return {};
    return {lineCount() - 1, static_cast<int>(line(lineCount() - 1).size())};
}

Bytes LogStore::text(LogPos from, LogPos to) const {
    Bytes out;
    if (to <= from || starts_.empty()) return out;
    for (int l = from.line; l <= to.line; ++l) {
        std::string_view s = line(l);
        const std::size_t b =
            l == from.line ? std::min<std::size_t>(static_cast<std::size_t>(from.column), s.size()) : 0;
        const std::size_t e =
            l == to.line ? std::min<std::size_t>(static_cast<std::size_t>(to.column), s.size()) : s.size();
        if (l != from.line) out.push_back('\n');
        if (e > b) out.append(s.substr(b, e - b));
    }
    return out;
}

void LogStore::setMetrics(const LogMetrics& m) {
    metrics_ = m;
    rowsBefore_.clear();
    lastRows_ = 0;
    for (int l = 0; l < lineCount(); ++l)
        addRows(l);
}

void LogStore::addRows(int line) {
    rowsBefore_.push_back(rowCount());
    lastRows_ = static_cast<int>(breaks(this->line(line)).size());
}

int LogStore::rowsOf(int line) const {
    if (line + 1 == lineCount()) return lastRows_;
    return rowsBefore_[static_cast<std::size_t>(line) + 1] - rowsBefore_[static_cast<std::size_t>(line)];
}

std::vector<int> LogStore::breaks(std::string_view line) const {
    std::vector<int> out{0};
    if (metrics_.width <= 0) return out;
    const int n = static_cast<int>(line.size());
    int start = 0, breakAfter = 0; // the row's start; the last place after blanks in this row
    float x = 0;
    for (int i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(line[static_cast<std::size_t>(i)]);
        const float w = Advance(metrics_, c, x);
        if (c == ' ' || c == '\t') { // blanks may hang past the edge
            x += w;
            breakAfter = i + 1;
            continue;
        }
        if (x + w > metrics_.width && i > start) {
            // Back to just after the last blank of the row, or break right here when the row has none.
            i = breakAfter > start ? breakAfter : i;
            start = breakAfter = i;
            out.push_back(i);
            x = Advance(metrics_, static_cast<unsigned char>(line[static_cast<std::size_t>(i)]), 0);
            continue;
        }
        x += w;
    }
    return out;
}

LogStore::Row LogStore::row(int index) const {
    const auto it = std::upper_bound(rowsBefore_.begin(), rowsBefore_.end(), index);
    const int l = static_cast<int>(it - rowsBefore_.begin()) - 1;
    const std::string_view s = line(l);
    const std::vector<int> b = breaks(s);
    const auto k = static_cast<std::size_t>(index - rowsBefore_[static_cast<std::size_t>(l)]);
    return {l, b[k], k + 1 < b.size() ? b[k + 1] : static_cast<int>(s.size())};
}

int LogStore::rowOf(LogPos p) const {
    if (starts_.empty()) return 0;
    const std::vector<int> b = breaks(line(p.line));
    const auto k = std::upper_bound(b.begin(), b.end(), p.column) - b.begin() - 1;
    return firstRowOf(p.line) + static_cast<int>(k);
}

float LogStore::xOf(LogPos p) const {
    const Row r = row(rowOf(p));
    const std::string_view s = line(p.line);
    float x = 0;
    for (int i = r.begin; i < std::min(p.column, r.end); ++i)
        x += Advance(metrics_, static_cast<unsigned char>(s[static_cast<std::size_t>(i)]), x);
    return x;
}

LogPos LogStore::posAt(int rowIndex, float x) const {
    if (starts_.empty()) return {};
    const Row r = row(std::clamp(rowIndex, 0, rowCount() - 1));
    const std::string_view s = line(r.line);
    float at = 0;
    for (int i = r.begin; i < r.end; ++i) {
        const float w = Advance(metrics_, static_cast<unsigned char>(s[static_cast<std::size_t>(i)]), at);
        if (x < at + w / 2) return {r.line, i};
        at += w;
    }
    return {r.line, r.end};
}

} // namespace trelvo
