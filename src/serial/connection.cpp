#include "serial/connection.h"

#include "common/clock.h"
#include "common/dialogs.h"

namespace trelvo {

std::string OpenFailureMessage(const std::string& reason) {
    std::string text = "Что-то не открывается порт. Программа может работать только с COM1..COM9.";
    if (!reason.empty()) text += "\n" + reason;
    return text;
}

ConnectionControl::ConnectionControl(PortState& port, SerialDevice& device, Clock& clock, Dialogs& dialogs)
    : port_(port), device_(device), clock_(clock), dialogs_(dialogs) {}

void ConnectionControl::setView(const ConnectionView& view) {
    if (view == view_) return;
    view_ = view;
    if (listener_) listener_(view_);
}

void ConnectionControl::setColour(PortBoxColour colour) {
    ConnectionView view = view_;
    view.portBoxColour = colour;
    setView(view);
}

ConnectionOutcome ConnectionControl::connectClick(const PortSelection& selection, bool sendAsReconn) {
    if (view_.Connected == 0) {
        const OpenResult opened = OpenPort(port_, selection, device_, clock_, dialogs_);
        if (opened.ok) {
            setView({"Disconnect", 1, true, PortBoxColour::Lime});
            return {sendAsReconn};
        }
        // An empty port selection was already answered with "Выбери порт!".
        if (opened.failure != OpenFailure::NoPortSelected) dialogs_.message(OpenFailureMessage(opened.reason));
        return {};
    }
    ClosePort(port_, device_);
    setView({"Connect", 0, false, PortBoxColour::Standard});
    return {};
}

ConnectionOutcome ConnectionControl::checkConnectTick(const PortSelection& selection, bool autoConnect,
                                                      bool sendAsReconn) {
    const bool ok = ProbePort(port_, device_);
    if (!autoConnect && !ok && port_.PortOpen) setColour(PortBoxColour::Red);
    if (view_.Connected == 1 && !port_.PortOpen && !autoConnect) setColour(PortBoxColour::Red);
    if (!ok) ClosePort(port_, device_);
    if (!autoConnect) return {};

    if (view_.Connected == 1) {
        if (ok) return {};
        if (OpenPort(port_, selection, device_, clock_, dialogs_).ok) {
            setColour(PortBoxColour::Lime);
            // The port is fully configured; the whole program pauses before talking to the returned device.
            clock_.sleepMs(kReconnectPauseMs);
            return {sendAsReconn};
        }
        setColour(PortBoxColour::Yellow);
        return {};
    }
    setColour(PortBoxColour::Standard);
    return {};
}

} // namespace trelvo
