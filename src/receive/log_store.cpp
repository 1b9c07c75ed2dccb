#include "receive/log_store.h"

#include "receive/packet_render.h"

#include <algorithm>
#include <cstring>

namespace trelvo {
namespace {

float Advance(const LogMetrics& m, unsigned char c, float x) {
    if (c != '\t') return m.advance[c];
    const float next = (static_cast<int>(x / m.tabStop) + 1) * m.tabStop;
    return next - x;
}

// The value of each hex digit as the HEX mode writes them (upper case); -1 for every other byte.
constexpr std::array<std::int8_t, 256> MakeHexValues() {
    std::array<std::int8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(
            c >= '0' && c <= '9' ? c - '0' : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1));
    return t;
}
constexpr std::array<std::int8_t, 256> kHexValue = MakeHexValues();

inline int HexValue(char c) {
    return kHexValue[static_cast<unsigned char>(c)];
}

// Below this many bytes a hex run is kept as text: packing it would save less than the look for it costs.
constexpr std::size_t kMinHexRun = 16;

// Where the run of hex bytes that ends the line begins ("HH HH ... HH", upper case, one blank between), or npos
// when the line ends in no such run of kMinHexRun bytes or more. The text before it is kept as it is, so the line
// is written out again exactly, whatever it holds.
std::size_t HexRunAt(std::string_view s) {
    if (s.size() < kMinHexRun * 3 - 1 || HexValue(s.back()) < 0) return std::string_view::npos;
    std::size_t end = s.size(), runAt = std::string_view::npos, bytes = 0;
    while (end >= 2 && (HexValue(s[end - 1]) | HexValue(s[end - 2])) >= 0) {
        runAt = end - 2;
        ++bytes;
        if (runAt == 0 || s[runAt - 1] != ' ') break;
        end = runAt - 1;
    }
    return bytes >= kMinHexRun ? runAt : std::string_view::npos;
}

} // namespace

void LogStore::appendLines(std::string_view text) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find('\n', from);
        const std::string_view part =
            text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from);
        const std::size_t hexAt = HexRunAt(part);
        const std::size_t size = hexAt == std::string_view::npos ? part.size() : hexAt + (part.size() - hexAt + 1) / 3;
        if (blocks_.empty()) blocks_.emplace_back().reserve(kBlockBytes);
        if (blocks_[block_].capacity() - blocks_[block_].size() < size) {
            if (++block_ == blocks_.size()) blocks_.emplace_back();
            blocks_[block_].reserve(std::max(kBlockBytes, size));
        }
        Bytes& b = blocks_[block_];
        Line l{static_cast<std::uint32_t>(block_), static_cast<std::uint32_t>(b.size()),
               static_cast<std::uint32_t>(size)};
        if (hexAt == std::string_view::npos) {
            b.append(part);
        } else {
            l.hexAt = static_cast<std::uint32_t>(hexAt);
            b.append(part.substr(0, hexAt));
            const std::size_t at = b.size();
            b.resize(at + size - hexAt);
            char* out = b.data() + at;
            for (std::size_t i = hexAt; i < part.size(); i += 3)
                *out++ = static_cast<char>(HexValue(part[i]) << 4 | HexValue(part[i + 1]));
        }
        starts_.push_back(l);
        bytes_ += part.size();
        addRows(part);
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
    writtenLine_ = -1;
}

std::string_view LogStore::line(int i) const {
    const Line& l = starts_[static_cast<std::size_t>(i)];
    const std::string_view s = stored(l);
    if (l.hexAt == kPlain) return s;
    if (writtenLine_ != i) {
        written_.assign(s.substr(0, l.hexAt));
        AppendHex(written_, s.substr(l.hexAt));
        written_.pop_back(); // no blank after the last byte
        writtenLine_ = i;
    }
    return written_;
}

int LogStore::lineSize(int i) const {
    const Line& l = starts_[static_cast<std::size_t>(i)];
    return static_cast<int>(l.hexAt == kPlain ? l.length : l.hexAt + (l.length - l.hexAt) * 3 - 1);
}

LogPos LogStore::end() const {
    if (starts_.empty()) return {};
    return {lineCount() - 1, lineSize(lineCount() - 1)};
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
    widest_ = *std::max_element(m.advance.begin(), m.advance.end());
    rowsBefore_.clear();
    lastRows_ = 0;
    for (int l = 0; l < lineCount(); ++l)
        addRows(line(l));
}

void LogStore::addRows(std::string_view text) {
    rowsBefore_.push_back(rowCount());
    lastRows_ = fitsOneRow(text) ? 1 : static_cast<int>(breaks(text).size());
}

// In a flood most lines fit: told without measuring when even the widest bytes would fit (a pixel spare for the
// sums' rounding), else by the same sum breaks() makes, without its list.
bool LogStore::fitsOneRow(std::string_view text) const {
    if (metrics_.width <= 0) return true;
    if (std::memchr(text.data(), '\t', text.size()) != nullptr) return false;
    if (static_cast<float>(text.size()) * widest_ <= metrics_.width - 1) return true;
    float x = 0;
    for (const char c : text)
        x += metrics_.advance[static_cast<unsigned char>(c)];
    return x <= metrics_.width;
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
