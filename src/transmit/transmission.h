#pragma once
// `SendPortData`: the one way bytes leave the system. It enters the line into the history, expands and encodes
// it, echoes it into the log, clears the port's receive queue and hands the bytes to the port in one call.
//
// The port writes without waiting, so a long line on a slow line never holds up the window: its bytes drain while
// the window goes on handling events, and `TxBytes` grows as the port reports them accepted. One transmission
// drains at a time, in order. A send asked for meanwhile is held (one at most, with the inputs of its call) and
// carried out whole as soon as the port has written the earlier bytes; a further one is dropped like a nested
// call, so automatic sending on a slow line neither piles up nor shows a message per tick.

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/dialogs.h"
#include "common/entry_rule.h"
#include "common/transfer_counters.h"
#include "serial/serial_device.h"
#include "transmit/encoding.h"
#include "transmit/history.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace trelvo {

// What the window's controls hold at the moment of the call.
struct SendInputs {
    Bytes suffix; // `AddStrCmd`, before directive expansion; its checksums are taken over the line being sent
    TxMode mode = TxMode::Ascii;
    bool visTime = false; // `VisTime`
    Bytes filter;         // `FiltrLog`
};

// A send asked for while the port was still writing an earlier one.
struct HeldSend {
    Bytes line;
    SendInputs inputs;
};

struct SendState {
    bool SendBusy = false;
    std::optional<HeldSend> held;
};

struct SendContext {
    SendState& state;
    bool portOpen; // `PortOpen`
    SerialDevice& port;
    Clock& clock;
    Dialogs& dialogs;
    SendInputs inputs;
    CmdHistory& history;
    EntrySink& log; // the log window and, while recording, the log file
    TransferCounters& counters;
    // Called right after the history changed (the window refreshes its lists in history view).
    std::function<void()> historyChanged = {};
};

enum class SendStatus {
    Busy,       // a call was already running: this one was dropped
    PortClosed, // `TOpenPortError` was shown; nothing else happened
    EmptyLine,  // port open, nothing to send: nothing happened
    Sent,       // handed to the port (see `accepted` for what it took)
    Held,       // the port is still writing: this send goes as soon as it has written the earlier bytes
    Draining,   // the port is still writing and a send is already held: this one was dropped
};

struct SendOutcome {
    SendStatus status = SendStatus::Busy;
    bool historyChanged = false;
    bool echoPlaced = false;    // the echo passed the filter
    std::uint64_t encoded = 0;  // bytes handed to the port
    std::uint64_t accepted = 0; // bytes the port took
};

// The echo entry as placed: NUL shows as "<NULL>", as in received entries; CR and LF stay (the window shows
// them as line breaks); every other byte is its own character.
Bytes EchoDisplayText(std::string_view echo);

// The whole entry: the " [ hh:mm:ss:zzz > ] " prefix when `visTime`, then the display text of the echo.
Bytes EchoEntry(std::string_view echo, bool visTime, const LocalTime& time);

SendOutcome SendPortData(const Bytes& line, SendContext& ctx);

// The port reports `count` more bytes accepted by the system: they are counted, and once the port has written
// everything, a held send is carried out (status Sent); otherwise the status is Busy.
SendOutcome BytesWritten(std::uint64_t count, SendContext& ctx);

} // namespace trelvo
