#include "common/entry_rule.h"

#include <cstdio>

namespace trelvo {

Bytes TimeStampPrefix(const LocalTime& t, Direction direction) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " [ %02d:%02d:%02d:%03d %c ] ", t.hour, t.minute, t.second, t.msec,
                  direction == Direction::Sent ? '>' : '<');
    return Bytes(buf);
}

bool PassesFilter(std::string_view entry, std::string_view filter) {
    return filter.empty() || entry.find(filter) != std::string_view::npos;
}

bool PlaceEntry(const Bytes& entry, std::string_view filter, EntrySink& sink) {
    if (!PassesFilter(entry, filter)) return false;
    sink.placeEntry(entry);
    return true;
}

} // namespace trelvo
