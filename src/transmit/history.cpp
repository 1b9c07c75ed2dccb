#include "transmit/history.h"

#include "common/shortstring.h"

#include <algorithm>
#include <cstring>

namespace trelvo {

Bytes THistoryRec::text() const {
    return GetShortString(raw.data(), kHistoryTextCapacity);
}

void THistoryRec::setText(std::string_view text) {
    SetShortString(raw.data(), kHistoryTextCapacity, text);
}

bool UpdateHistory(CmdHistory& history, std::string_view line) {
    if (line.empty() || line.size() > kHistoryMaxLine) return false;
    std::size_t pos = kHistoryEntries;
    for (std::size_t k = 1; k <= kHistoryEntries; ++k) {
        const THistoryRec& e = history.entry(k);
        if (e.raw[0] == line.size() && std::memcmp(e.raw.data() + 1, line.data(), line.size()) == 0) pos = k;
    }
    // Whole records move, tails included.
    for (std::size_t k = pos; k >= 2; --k)
        history.entry(k) = history.entry(k - 1);
    history.entry(1).setText(line);
    return true;
}

std::vector<Bytes> HistoryItems(const CmdHistory& history) {
    std::vector<Bytes> items;
    for (const THistoryRec& e : history.records)
        if (!e.empty()) items.push_back(e.text());
    return items;
}

Bytes HistoryToFileBytes(const CmdHistory& history) {
    Bytes out(kHistoryFileSize, '\0');
    std::memcpy(out.data(), history.records.data(), kHistoryFileSize);
    return out;
}

std::size_t HistoryFromFileBytes(CmdHistory& history, std::string_view bytes) {
    history = CmdHistory{};
    const std::size_t complete = std::min(bytes.size() / kHistoryRecSize, kHistoryEntries);
    std::memcpy(history.records.data(), bytes.data(), complete * kHistoryRecSize);
    return complete;
}

} // namespace trelvo
