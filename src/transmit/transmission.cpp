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

SendOutcome SendPortData(const Bytes& line, SendContext& ctx) {
    SendOutcome outcome;
    if (ctx.state.SendBusy) return outcome;
    BusyGuard guard(ctx.state.SendBusy);

    if (!ctx.portOpen) {
        outcome.status = SendStatus::PortClosed;
        ctx.dialogs.showOpenPortError(); // modal: timers may call in meanwhile and are dropped
        return outcome;
    }
    if (line.empty()) {
        outcome.status = SendStatus::EmptyLine;
        return outcome;
    }
    outcome.status = SendStatus::Sent;

    outcome.historyChanged = UpdateHistory(ctx.history, line);
    if (outcome.historyChanged && ctx.historyChanged) ctx.historyChanged();

    const SendInputs& in = ctx.inputs;
    const Bytes suffix = ConvAddStr(in.suffix, in.mainStrCmd, in.mode);
    const EncodedCmd cmd = EncodeCmdStr(line, suffix, in.mode);

    // The stamp belongs to the moment before the write.
    const Bytes entry = EchoEntry(cmd.echo, in.visTime, in.visTime ? ctx.clock.localTime() : LocalTime{});
    outcome.echoPlaced = PlaceEntry(entry, in.filter, ctx.log);

    ctx.port.purge();
    outcome.encoded = cmd.bytes.size();
    outcome.accepted = WriteAll(ctx.port, cmd.bytes);

    // Only what the port took is counted; a write it refused outright is no packet sent.
    ctx.counters.TxBytes += static_cast<std::int64_t>(outcome.accepted);
    if (outcome.accepted > 0) ++ctx.counters.SentPackets;
    return outcome;
}

} // namespace trelvo
