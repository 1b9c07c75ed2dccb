#pragma once
// The text of the log window, apart from any widget: its lines as CP1251 bytes in blocks, appended to and
// emptied (the 5000-line rule keeps it bounded; see log_view.h), and the rows they wrap into at a width, measured
// with an advance per byte. Nothing is converted per character here: only the lines a view draws or a search reads
// become Unicode. A line that ends in a long run of hex bytes ("0D 0A 41 ...", as the HEX mode writes them) keeps
// that run as the bytes themselves, a third of its text, and is written out again when it is read.

#include "common/cp1251.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace trelvo {

// A place in the text: before the byte `column` of line `line`.
struct LogPos {
    int line = 0;
    int column = 0;
    auto operator<=>(const LogPos&) const = default;
};

// Width of each byte when drawn; a tab advances to the next multiple of `tabStop` from the row's start.
struct LogMetrics {
    std::array<float, 256> advance{};
    float tabStop = 80;
    float width = 0; // available to a row
};

class LogStore {
public:
    // Lines separated by "\n", each a new line of the log (the first too).
    void appendLines(std::string_view text);
    void clear();

    int lineCount() const { return static_cast<int>(starts_.size()); }
    // The text of a line. A line kept as hex bytes is written out into a buffer of the store: its view lasts until
    // line() is asked for another line.
    std::string_view line(int i) const;
    int lineSize(int i) const;
    // Lines from `from` to `to` (an empty range when `to` is before `from`), joined by "\n".
    Bytes text(LogPos from, LogPos to) const;
    Bytes allText() const { return text({}, end()); }
    LogPos end() const;
    std::size_t bytes() const { return bytes_; }

    // Rows: every line wraps at the metrics' width, after a blank where one fits, else anywhere; blanks that do not
    // fit hang past the edge, as in a text editor. A line takes at least one row.
    void setMetrics(const LogMetrics& m);
    const LogMetrics& metrics() const { return metrics_; }
    int rowCount() const { return rowsBefore_.empty() ? 0 : rowsBefore_.back() + lastRows_; }
    int firstRowOf(int line) const { return rowsBefore_[static_cast<std::size_t>(line)]; }
    int rowsOf(int line) const;
    // The line a row belongs to and the bytes of that row within it.
    struct Row {
        int line = 0;
        int begin = 0, end = 0;
    };
    Row row(int index) const;
    // The row a place is in (a place at a row's break belongs to the row it starts).
    int rowOf(LogPos p) const;
    // x of the place within its row, and the place in a row nearest to x.
    float xOf(LogPos p) const;
    LogPos posAt(int rowIndex, float x) const;

    // Where each row of `line` starts (0 first).
    std::vector<int> breaks(std::string_view line) const;

private:
    void addRows(std::string_view text);
    bool fitsOneRow(std::string_view text) const;

    // Lines never span blocks, and a block never moves once filled: growing copies nothing, so a flood's memory stays
    // near the bytes it holds. Emptied blocks are kept for the next lines.
    static constexpr std::size_t kBlockBytes = 256 * 1024;
    static constexpr std::uint32_t kPlain = UINT32_MAX;
    struct Line {
        std::uint32_t block, offset, length; // what the block holds
        std::uint32_t hexAt = kPlain;        // the text before the hex run; the rest of the block's part is its bytes
    };
    std::string_view stored(const Line& l) const { return {blocks_[l.block].data() + l.offset, l.length}; }
    std::vector<Bytes> blocks_;
    std::size_t block_ = 0; // the block being filled
    std::size_t bytes_ = 0;
    std::vector<Line> starts_;
    std::vector<int> rowsBefore_; // rows of the lines before each line
    int lastRows_ = 0;            // rows of the last line
    float widest_ = 0;            // the widest advance of a byte other than a tab
    LogMetrics metrics_;
    mutable Bytes written_; // the last hex line written out
    mutable int writtenLine_ = -1;
};

} // namespace trelvo
