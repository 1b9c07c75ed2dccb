#pragma once
// The receive path: the 1 ms poll of the port, the packet collected in RxBuf, the silence and size cuts, the receive
// statistics and the time-out arrows. Every interval is taken from the monotonic clock, so a wall-clock step can
// neither cut nor merge a packet.

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/entry_rule.h"
#include "receive/packet_render.h"
#include "receive/packet_tap.h"
#include "serial/serial_device.h"
#include "common/transfer_counters.h"

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

namespace trelvo {

struct RxState {
    static constexpr std::uint32_t kBufSize = 2048;
    static constexpr std::uint32_t kCutAbove = 1500; // a packet holding more than this is ended at once
    static constexpr std::int64_t kNoMinWait = std::numeric_limits<std::int64_t>::max();

    std::array<char, kBufSize> RxBuf{};
    std::uint32_t RxLen = 0;
    bool RxBusy = false;
    std::int32_t RxTimeOutMs = 0;
    std::int64_t LastRxMs = 0; // monotonic reading of the last tick that found bytes waiting
    std::int64_t LastReadMs = 0, PrevReadMs = 0;
    std::int64_t ReadCount = 0;
    std::int64_t MinWaitMs = kNoMinWait;
    std::int64_t MaxWaitMs = 0;
    std::int64_t RenderedPackets = 0; // since start, shown or filtered out; not reset with the statistics
    // A flood may fill several buffers in one tick; each is cut exactly as if it had been read by a tick of its own.
    int MaxBuffersPerTick = 32;
    // ... and for this long at most: a read that has to wait for the system must not hold up the window.
    static constexpr std::int64_t kMoreBuffersForMs = 2;
    Bytes scratch; // reused for the entry text, so a packet costs no allocation
};

// Called after every rendered packet (shown or filtered out) with the bytes still waiting in the port.
using AfterAnswerFn = std::function<void(std::uint32_t waiting)>;

// Everything the receive path reads or writes besides its own state. The window builds it once; the references
// are read live, so a port closed from a nested event loop is seen at once.
struct ReceivePath {
    SerialDevice& device;
    const bool& portOpen;
    Clock& clock;
    TransferCounters& counters;
    const RenderSettings& settings;
    EntrySink& sink;
    AfterAnswerFn afterAnswer; // may be empty
    PacketTap* tap = nullptr;  // told of every packet that became an entry; null while nobody listens
};

// Which labels the tick has changed; the window rewrites only these.
struct RxTickResult {
    bool readCaption = false;     // LRead: ReadCaption
    bool waitCaptions = false;    // MinTimeWait, MaxTimeWait: MinWaitCaption, MaxWaitCaption
    bool transferCaption = false; // StaticText3: TransferCaption
    int packets = 0;              // packets rendered in this tick (shown or filtered out)
    bool moreWaiting = false;     // stamped bytes were left for the next tick, which is due at once
    bool stamped = false;         // the bytes read came stamped on arrival: the port tells of the next ones
};

RxTickResult RxTimerTimer(RxState& rx, ReceivePath& path);

// Reads at most `count` bytes, never more than RxBuf can still hold; the rest stays in the port's queue.
// Returns the number of bytes read.
std::uint32_t ReadComInBufRx(RxState& rx, ReceivePath& path, std::uint32_t count);

// Renders RxBuf as one entry, empties it, places the entry and hands over to the after-answer step. `endedMs`: the
// monotonic moment the packet ended where the arrival stamps tell it (the entry's time stamp and the tap's time are
// of that moment, however late the tick runs); else now. Returns whether a packet was rendered (false for an empty
// buffer or an ASCII packet of LF bytes only).
bool ReadBufRxInLog(RxState& rx, ReceivePath& path, std::optional<std::int64_t> endedMs = std::nullopt);

Bytes ReadCaption(const RxState& rx);    // "Read: n"
Bytes MinWaitCaption(const RxState& rx); // "MIN_T_W:  n", "MIN_T_W:  NA" before two reads
Bytes MaxWaitCaption(const RxState& rx); // "MAX_T_W: n", "MAX_T_W: NA" before two reads

// Statistics reset. The window then rewrites LRead, LSend, MinTimeWait and MaxTimeWait; StaticText3 stays.
void BTClrStatClick(RxState& rx, TransferCounters& counters);

// The time-out arrows. They keep a position of their own, 0..10000; a press that cannot move it is not reported.
enum class ArrowDirection { Up, Down };

struct TimeOutArrows {
    static constexpr int kMax = 10000;
    int position = 0;
};

// The step table: coarser steps for larger values, with the down arrow one band behind the up arrow.
std::int32_t TimeOutStep(std::int32_t value, ArrowDirection direction);

// A press the arrows reported (a widget that keeps the position itself calls this one).
void TimeOutRxClick(RxState& rx, ArrowDirection direction);
// A press on arrows whose position is kept here. Returns whether it was reported; only then does the window
// rewrite TimeOutAns.
bool TimeOutRxClick(RxState& rx, TimeOutArrows& arrows, ArrowDirection direction);

Bytes TimeOutCaption(std::int32_t value); // "TimeOutRX: n"
inline bool TimeOutHighlighted(std::int32_t value) {
    return value != 0;
} // yellow background

} // namespace trelvo
