#pragma once
// The rule that sent and received entries share: the optional time-stamp prefix, the substring filter, and the
// hand-off of an entry that passed to the log window and (while recording) the log file.

#include "common/clock.h"
#include "common/cp1251.h"

#include <string_view>

namespace trelvo {

enum class Direction { Sent, Received };

// " [ hh:mm:ss:zzz > ] " for a sent entry, " [ hh:mm:ss:zzz < ] " for a received one: 20 characters.
Bytes TimeStampPrefix(const LocalTime& time, Direction direction);

// An empty filter passes everything; otherwise a case-sensitive substring test (the prefix is part of the entry).
bool PassesFilter(std::string_view entry, std::string_view filter);

class EntrySink {
public:
    virtual ~EntrySink() = default;
    // Called once for every entry that passed the filter, in order.
    virtual void placeEntry(const Bytes& entry) = 0;
};

// Applies the filter and places the entry; returns whether it was placed.
bool PlaceEntry(const Bytes& entry, std::string_view filter, EntrySink& sink);

} // namespace trelvo
