#pragma once
// `SendPortData`: the one way bytes leave the system. It enters the line into the history, expands and encodes
// it, echoes it into the log, clears both port queues and writes the bytes in one call.

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/dialogs.h"
#include "receive/entry_rule.h"
#include "serial/serial_device.h"
#include "transmit/encoding.h"
#include "transmit/history.h"
#include "transmit/transfer_counters.h"

#include <cstdint>
#include <functional>

namespace trelvo {

// What the window's controls hold at the moment of the call.
struct SendInputs {
    Bytes suffix;     // `AddStrCmd`, before directive expansion
    Bytes mainStrCmd; // `MainStrCmd`: the checksums are taken over this, whatever line is sent
    TxMode mode = TxMode::Ascii;
    bool visTime = false; // `VisTime`
    Bytes filter;         // `FiltrLog`
};

struct SendState {
    bool SendBusy = false;
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

} // namespace trelvo
