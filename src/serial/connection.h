#pragma once
// Connect/Disconnect and the once-a-second watch of the port with its automatic reopen. The window's handlers
// (BTConnectClick, CheckConnectTimer) read their boxes, call this, and show the view it keeps.

#include "serial/port_state.h"

#include <functional>
#include <string>

namespace trelvo {

class Clock;
class Dialogs;
class SerialDevice;

enum class PortBoxColour {
    Standard, // the platform's window colour: disconnected
    Lime,     // 0, 255, 0: connected
    Red,      // 255, 0, 0: lost, no automatic reopen
    Yellow,   // 255, 255, 0: lost, automatic reopen has not succeeded yet
};

// What the window shows of the connection.
struct ConnectionView {
    std::string caption = "Connect"; // of BTConnect: "Connect" / "Disconnect"
    int Connected = 0;               // the tag of BTConnect: the user's wish, 1 also while a lost port is awaited
    bool settingsLocked = false;     // ComPort, BaudRate, BTRescan, ComBits and ComStopBits disabled
    PortBoxColour portBoxColour = PortBoxColour::Standard;

    bool operator==(const ConnectionView&) const = default;
};

struct ConnectionOutcome {
    // The port has just been connected with SendAsReconn ticked: the window calls CheckSendDataAftConnect now.
    bool sendAfterConnect = false;
};

class ConnectionControl {
public:
    // Called at every change of the view, before anything else happens (the 2000 ms wait after a reopen comes
    // after the lime colour), so the window can show each step as it happens.
    using ViewListener = std::function<void(const ConnectionView&)>;

    ConnectionControl(PortState& port, SerialDevice& device, Clock& clock, Dialogs& dialogs);

    void setViewListener(ViewListener listener) { listener_ = std::move(listener); }
    const ConnectionView& view() const { return view_; }

    // BTConnect was pressed. The window disables the button before this call and enables it again afterwards,
    // whatever happened; this never throws for any box contents.
    ConnectionOutcome connectClick(const PortSelection& selection, bool sendAsReconn);

    // The CheckConnect tick: probe; a lost port turns red (or is reopened with autoConnect, yellow while it fails).
    ConnectionOutcome checkConnectTick(const PortSelection& selection, bool autoConnect, bool sendAsReconn);

    static constexpr int kReconnectPauseMs = 2000;

private:
    void setColour(PortBoxColour colour);
    void setView(const ConnectionView& view);

    PortState& port_;
    SerialDevice& device_;
    Clock& clock_;
    Dialogs& dialogs_;
    ConnectionView view_;
    ViewListener listener_;
};

// The message for a port that would not open, with the platform's reason on a second line when there is one.
std::string OpenFailureMessage(const std::string& reason);

} // namespace trelvo
