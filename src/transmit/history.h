#pragma once
// The last 50 distinct command lines sent, newest first, as the fixed-size records of the file `OldCmd`.

#include "common/cp1251.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace trelvo {

inline constexpr std::size_t kHistoryEntries = 50;
inline constexpr std::size_t kHistoryRecSize = 256;
inline constexpr std::size_t kHistoryTextCapacity = kHistoryRecSize - 1;
inline constexpr std::size_t kHistoryFileSize = kHistoryEntries * kHistoryRecSize; // 12,800
// Lines of 1 to this many characters are remembered; longer ones are sent but not entered.
inline constexpr std::size_t kHistoryMaxLine = 254;

// One entry: a length byte, then 255 character bytes of which the first n count. The bytes behind the text are
// kept as they are, so a record goes back to the file exactly as it came.
struct THistoryRec {
    std::array<std::uint8_t, kHistoryRecSize> raw{};

    Bytes text() const;
    void setText(std::string_view text);
    bool empty() const { return raw[0] == 0; }
};
static_assert(sizeof(THistoryRec) == kHistoryRecSize);

struct CmdHistory {
    std::array<THistoryRec, kHistoryEntries> records{};

    // Entries are numbered 1 (newest) to 50.
    THistoryRec& entry(std::size_t k) { return records.at(k - 1); }
    const THistoryRec& entry(std::size_t k) const { return records.at(k - 1); }
};

// Enters a sent line: an equal entry (exact, case-sensitive; the last one if several) moves to the top, else the
// line enters at the top and entry 50 falls out. Returns false, changing nothing, for an empty line or one
// longer than 254 characters.
bool UpdateHistory(CmdHistory& history, std::string_view line);

// The non-empty entries from 1 to 50: the items of `FastOldCmd` and of `OldCmdList` in history view.
std::vector<Bytes> HistoryItems(const CmdHistory& history);

// The 12,800 bytes of the file, and back. FromFileBytes takes the complete records present and leaves the rest
// empty; it returns how many complete records it took.
Bytes HistoryToFileBytes(const CmdHistory& history);
std::size_t HistoryFromFileBytes(CmdHistory& history, std::string_view bytes);

} // namespace trelvo
