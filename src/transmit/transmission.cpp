#include "transmit/transmission.h"

#include "transmit/checksum.h"

#include <algorithm>
#include <limits>

namespace trelvo {

namespace {

// Clears SendBusy however the call ends.
class BusyGuard {
public:
    explicit BusyGuard(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyGuard() { busy_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& busy_;
};

// One write call per transmission; the seam counts in 32 bits, so only a line beyond 4 GiB would need more.
std::uint64_t WriteAll(SerialDevice& port, const Bytes& bytes) {
    std::uint64_t accepted = 0;
    std::size_t at = 0;
    do {
        const auto chunk = static_cast<std::uint32_t>(
            std::min<std::size_t>(bytes.size() - at, std::numeric_limits<std::uint32_t>::max()));
        const std::uint32_t took = port.write(bytes.data() + at, chunk);
        accepted += took;
        at += chunk;
        if (took < chunk) break; // the port refused the rest
    } while (at < bytes.size());
    return accepted;
}

} // namespace

Bytes EchoDisplayText(std::string_view echo) {
    Bytes out;
    out.reserve(echo.size());
    for (const char ch : echo) {
        if (ch == '\0')
            out += "<NULL>";
        else
            out.push_back(ch);
    }
    return out;
}

Bytes EchoEntry(std::string_view echo, bool visTime, const LocalTime& time) {
    Bytes entry = visTime ? TimeStampPrefix(time, Direction::Sent) : Bytes();
    entry += EchoDisplayText(echo);
    return entry;
}

namespace {

// The send itself, with the inputs of the moment it was asked for.
SendOutcome Transmit(const Bytes& line, const SendInputs& in, SendContext& ctx) {
    SendOutcome outcome;
    outcome.status = SendStatus::Sent;
    outcome.historyChanged = UpdateHistory(ctx.history, line);
    if (outcome.historyChanged && ctx.historyChanged) ctx.historyChanged();

    const Bytes suffix = ConvAddStr(in.suffix, line, in.mode);
    const EncodedCmd cmd = EncodeCmdStr(line, suffix, in.mode);

    // The stamp belongs to the moment before the write.
    const Bytes entry = EchoEntry(cmd.echo, in.visTime, in.visTime ? ctx.clock.localTime() : LocalTime{});
    outcome.echoPlaced = PlaceEntry(entry, in.filter, ctx.log);

    // Received bytes not yet read go; bytes of an earlier send still on their way out stay.
    ctx.port.purgeInput();
    outcome.encoded = cmd.bytes.size();
    const std::uint64_t pendingBefore = ctx.port.bytesToWrite();
    outcome.accepted = WriteAll(ctx.port, cmd.bytes);
    const std::uint64_t pendingAfter = ctx.port.bytesToWrite();

    // Counted is what the system accepted: here what it took at once, the rest as the port reports it.
    const std::uint64_t queued = pendingAfter > pendingBefore ? pendingAfter - pendingBefore : 0;
    ctx.counters.TxBytes += static_cast<std::int64_t>(outcome.accepted - std::min(queued, outcome.accepted));
    // A write the port refused outright is no packet sent.
    if (outcome.accepted > 0) ++ctx.counters.SentPackets;
    return outcome;
}

} // namespace

SendOutcome SendPortData(const Bytes& line, SendContext& ctx) {
    SendOutcome outcome;
    if (ctx.state.SendBusy) return outcome;
    BusyGuard guard(ctx.state.SendBusy);

    if (!ctx.portOpen) {
        ctx.state.held.reset(); // the port it waited for is gone
        outcome.status = SendStatus::PortClosed;
        ctx.dialogs.showOpenPortError(); // modal: timers may call in meanwhile and are dropped
        return outcome;
    }
    if (line.empty()) {
        outcome.status = SendStatus::EmptyLine;
        return outcome;
    }
    if (ctx.port.bytesToWrite() > 0) {
        outcome.status = ctx.state.held ? SendStatus::Draining : SendStatus::Held;
        if (!ctx.state.held) ctx.state.held = HeldSend{line, ctx.inputs};
        return outcome;
    }
    // A held send whose port was closed before it had written the earlier bytes never goes.
    ctx.state.held.reset();
    return Transmit(line, ctx.inputs, ctx);
}

SendOutcome BytesWritten(std::uint64_t count, SendContext& ctx) {
    ctx.counters.TxBytes += static_cast<std::int64_t>(count);
    if (ctx.state.SendBusy || !ctx.state.held || ctx.port.bytesToWrite() > 0) return {};
    const HeldSend held = std::move(*ctx.state.held);
    ctx.state.held.reset();
    if (!ctx.portOpen) return {};
    BusyGuard guard(ctx.state.SendBusy);
    return Transmit(held.line, held.inputs, ctx);
}

} // namespace trelvo
