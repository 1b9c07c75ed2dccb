#include "receive/receive_tick.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace trelvo {
namespace {

// Gap statistics between this read and the previous one; returns whether either figure changed.
bool NoteRead(RxState& rx, std::int64_t now) {
    rx.PrevReadMs = rx.LastReadMs;
    rx.LastReadMs = now;
    const std::int64_t gap = now - rx.PrevReadMs;
    if (gap <= 0 || rx.PrevReadMs <= 0) return false;
    bool changed = false;
    if (gap < rx.MinWaitMs) {
        rx.MinWaitMs = gap;
        changed = true;
    }
    if (gap > rx.MaxWaitMs) {
        rx.MaxWaitMs = gap;
        changed = true;
    }
    return changed;
}

// Takes in one more buffer within the same tick while the previous one was cut for size and more is waiting.
// Nothing else of the tick is repeated: the read was already counted, and a tick that finds bytes never ends a
// packet by silence, so only the size cut can apply. Each read is timed on its own, so the silence after the
// last one is measured from that read and not from the start of the tick.
void TakeMoreBuffers(RxState& rx, ReceivePath& path, RxTickResult& result, std::int64_t tickStart) {
    for (int n = 1; n < rx.MaxBuffersPerTick; ++n) {
        if (!path.portOpen || rx.RxLen != 0) return;
        const std::int64_t now = path.clock.monotonicMs();
        if (now - tickStart >= RxState::kMoreBuffersForMs) return;
        const std::uint32_t waiting = path.device.bytesWaiting();
        if (waiting == 0) return;
        rx.LastRxMs = now;
        if (ReadComInBufRx(rx, path, waiting) > 0) result.transferCaption = true;
        if (rx.RxLen <= RxState::kCutAbove) return;
        if (ReadBufRxInLog(rx, path)) ++result.packets;
    }
}

// When a look every millisecond would have found the line silent past the time-out: the moment a stamped packet
// ends, whenever the tick that ends it runs. Its entry's time stamp and its plot point are of that moment.
std::int64_t SilenceEndMs(const RxState& rx) {
    return rx.LastRxMs + rx.RxTimeOutMs + 1;
}

// Bytes the port stamped on arrival are framed as a tick every millisecond would have framed them, had it read each
// arrival in its own millisecond: a packet ends before an arrival when a look in the millisecond before it would
// have found the line silent for longer than the time-out, and every millisecond that brought bytes is one read.
// Returns whether bytes are still waiting (the tick took its share of buffers or time).
bool TakeArrivals(RxState& rx, ReceivePath& path, RxTickResult& result, std::int64_t tickStart) {
    int reads = 0;
    while (path.portOpen) {
        const std::uint32_t waiting = path.device.bytesWaiting();
        if (waiting == 0) return false;
        const std::int64_t at = path.device.nextArrivalMs().value_or(path.clock.monotonicMs());
        if (at < rx.LastRxMs) rx.LastRxMs = at;
        if (rx.RxLen > 0 && at - 1 - rx.LastRxMs > rx.RxTimeOutMs) {
            // Placing the entry may open a window whose ticks read on; the port is looked at afresh.
            if (ReadBufRxInLog(rx, path, SilenceEndMs(rx))) ++result.packets;
            continue;
        }
        if (at != rx.LastReadMs) {
            ++rx.ReadCount;
            result.readCaption = true;
            if (NoteRead(rx, at)) result.waitCaptions = true;
        }
        rx.LastRxMs = at;
        if (ReadComInBufRx(rx, path, waiting) > 0) result.transferCaption = true;
        if (rx.RxLen > RxState::kCutAbove && ReadBufRxInLog(rx, path, at)) ++result.packets;
        if (++reads >= rx.MaxBuffersPerTick || path.clock.monotonicMs() - tickStart >= RxState::kMoreBuffersForMs)
            return path.device.bytesWaiting() > 0;
    }
    return false;
}

} // namespace

RxTickResult RxTimerTimer(RxState& rx, ReceivePath& path) {
    RxTickResult result;
    // A tick entered again from a modal window opened inside a tick only clears the flag; see the nesting tests.
    if (rx.RxBusy) {
        rx.RxBusy = false;
        return result;
    }
    rx.RxBusy = true;
    if (path.portOpen) {
        const std::uint32_t waiting = path.device.bytesWaiting();
        const std::int64_t now = path.clock.monotonicMs();
        if (waiting > 0 && path.device.nextArrivalMs()) {
            const bool more = TakeArrivals(rx, path, result, now);
            result.moreWaiting = more;
            result.stamped = true;
            // The silence is measured from the last arrival to this moment, once nothing is left waiting.
            const std::int64_t end = path.clock.monotonicMs();
            if (end < rx.LastRxMs) rx.LastRxMs = end;
            if (path.portOpen && !more && end - rx.LastRxMs > rx.RxTimeOutMs &&
                ReadBufRxInLog(rx, path, SilenceEndMs(rx)))
                ++result.packets;
            rx.RxBusy = false;
            return result;
        }
        if (waiting > 0) {
            if (ReadComInBufRx(rx, path, waiting) > 0) result.transferCaption = true;
            ++rx.ReadCount;
            result.readCaption = true;
            result.waitCaptions = NoteRead(rx, now);
        }
        if (now < rx.LastRxMs) rx.LastRxMs = now;
        if (waiting > 0) rx.LastRxMs = now;
        const std::int64_t silence = now - rx.LastRxMs;
        const bool cutBySize = rx.RxLen > RxState::kCutAbove;
        if (silence > rx.RxTimeOutMs || cutBySize) {
            if (ReadBufRxInLog(rx, path)) ++result.packets;
        }
        if (waiting > 0 && cutBySize) TakeMoreBuffers(rx, path, result, now);
    }
    rx.RxBusy = false;
    return result;
}

std::uint32_t ReadComInBufRx(RxState& rx, ReceivePath& path, std::uint32_t count) {
    const std::uint32_t room = RxState::kBufSize - std::min(rx.RxLen, RxState::kBufSize);
    count = std::min(count, room);
    if (count == 0) return 0;
    // A device that claims to have read more than it was allowed to must not push RxLen past the buffer.
    const std::uint32_t got = std::min(path.device.read(rx.RxBuf.data() + rx.RxLen, count), count);
    path.counters.RxBytes += got;
    rx.RxLen += got;
    return got;
}

bool ReadBufRxInLog(RxState& rx, ReceivePath& path, std::optional<std::int64_t> endedMs) {
    if (rx.RxLen == 0) return false;
    const RenderSettings& s = path.settings;
    // Taken out of the state while in use: the after-answer step may run nested ticks that render too.
    Bytes entry = std::move(rx.scratch);
    const LocalTime time = !s.visTime ? LocalTime{}
                           : endedMs  ? path.clock.localTimeAt(*endedMs)
                                      : path.clock.localTime();
    const std::string_view raw(rx.RxBuf.data(), rx.RxLen);
    const bool rendered = RenderPacket(entry, raw, s.mode, s.visTime, time);
    rx.RxLen = 0;
    if (rendered) {
        // Before the placement, which may open a window in which nested ticks refill RxBuf.
        if (path.tap) path.tap->packetPlaced(raw, endedMs ? *endedMs : path.clock.monotonicMs());
        PlaceEntry(entry, s.filter, path.sink);
    }
    rx.scratch = std::move(entry);
    if (!rendered) return false;
    ++rx.RenderedPackets;
    const std::uint32_t waiting = path.device.bytesWaiting();
    if (path.afterAnswer) path.afterAnswer(waiting);
    return true;
}

Bytes ReadCaption(const RxState& rx) {
    return "Read: " + std::to_string(rx.ReadCount);
}

Bytes MinWaitCaption(const RxState& rx) {
    return rx.MinWaitMs == RxState::kNoMinWait ? Bytes("MIN_T_W:  NA") : "MIN_T_W:  " + std::to_string(rx.MinWaitMs);
}

Bytes MaxWaitCaption(const RxState& rx) {
    return rx.MaxWaitMs == 0 ? Bytes("MAX_T_W: NA") : "MAX_T_W: " + std::to_string(rx.MaxWaitMs);
}

void BTClrStatClick(RxState& rx, TransferCounters& counters) {
    rx.MinWaitMs = RxState::kNoMinWait;
    rx.MaxWaitMs = 0;
    rx.ReadCount = 0;
    counters.SentPackets = 0;
}

std::int32_t TimeOutStep(std::int32_t v, ArrowDirection direction) {
    if (direction == ArrowDirection::Up) {
        if (v >= 100000) return v;
        const std::int32_t step = v < 10 ? 1 : v < 100 ? 5 : v < 1000 ? 50 : v < 10000 ? 500 : 5000;
        return std::min(v + step, 100000);
    }
    if (v <= 0) return v;
    const std::int32_t step = v < 10 ? 1 : v < 100 ? 5 : v < 1000 ? 50 : v < 10000 ? 500 : v < 100000 ? 5000 : 50000;
    return v - step;
}

bool TimeOutRxClick(RxState& rx, TimeOutArrows& arrows, ArrowDirection direction) {
    const int next = arrows.position + (direction == ArrowDirection::Up ? 1 : -1);
    if (next < 0 || next > TimeOutArrows::kMax) return false;
    arrows.position = next;
    TimeOutRxClick(rx, direction);
    return true;
}

void TimeOutRxClick(RxState& rx, ArrowDirection direction) {
    rx.RxTimeOutMs = TimeOutStep(rx.RxTimeOutMs, direction);
}

Bytes TimeOutCaption(std::int32_t value) {
    return "TimeOutRX: " + std::to_string(value);
}

} // namespace trelvo
