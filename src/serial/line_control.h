#pragma once
// Line control beside the connection: parity and flow control, DTR and RTS with a reset pulse, the modem status
// lines, break. The window calls these from its handlers and timers and shows what view() says; the timings (how
// long a pulse or a break lasts) are the window's timers, which call the end* functions.

#include "serial/line_options.h"
#include "serial/port_state.h"

#include <functional>
#include <optional>
#include <string>

namespace trelvo {

class SerialDevice;

inline constexpr int kPulseMinMs = 10;
inline constexpr int kPulseMaxMs = 5000;
inline constexpr int kPulseDefaultMs = 100;
inline constexpr int kBreakMs = 250;
// The modem status lines are looked at this often while the port is open, has them and cannot tell their changes.
inline constexpr int kModemPollMs = 100;

inline constexpr const char* kNoControlLinesHint = "У этого порта нет линий управления";
inline constexpr const char* kRtsByDriverHint =
    "Включено аппаратное управление потоком (RTS/CTS): линией RTS управляет драйвер";

// Keeps a pulse length within what the control allows.
int ClampPulseMs(int ms);

struct LineControlView {
    bool open = false;     // the port is open
    bool hasLines = false; // and has control lines
    unsigned lines = 0;    // ControlLine bits as last read (all clear while closed)
    bool rtsByDriver = false;
    bool pulsing = false;
    bool breaking = false;

    bool operator==(const LineControlView&) const = default;
};

class LineControl {
public:
    LineControl(PortState& port, SerialDevice& device) : port_(port), device_(device) {}
    ~LineControl();
    LineControl(const LineControl&) = delete;
    LineControl& operator=(const LineControl&) = delete;

    const LineOptions& options() const { return port_.Line; }
    // Where an open port can tell changes of its modem status lines, it calls `changed` (on the GUI thread), which
    // is to call refresh(); other ports with lines are polled. Takes effect at the next open.
    void watchLines(std::function<void()> changed) { changed_ = std::move(changed); }
    // The choice is kept for every later open and, while the port is open, applied at once. A refusal leaves the
    // previous choice and the port's settings as they were and returns the port's reason.
    std::optional<std::string> setOptions(const LineOptions& options);

    // To be called whenever the port may have been opened or closed (connect, disconnect, loss, reopen). On an
    // open: learns whether the port has control lines, sets DTR and RTS as the user last chose, reads the lines.
    // Returns true when the view changed.
    bool follow();

    // DTR or RTS, set or cleared by the user; kept for later opens. False when the line cannot be set now.
    bool setLine(ControlLine line, bool on);
    bool wish(ControlLine line) const { return line == kDtr ? dtrWish_ : rtsWish_; }

    ControlLine pulseLine() const { return pulseLine_; }
    void setPulseLine(ControlLine line) { pulseLine_ = line == kRts ? kRts : kDtr; }
    int pulseMs() const { return pulseMs_; }
    void setPulseMs(int ms) { pulseMs_ = ClampPulseMs(ms); }
    // Inverts the pulse line; endPulse() gives it back the state the user chose.
    bool beginPulse();
    void endPulse();
    bool beginBreak();
    void endBreak();

    // Reads the lines; true when they changed.
    bool refresh();

    bool canSet(ControlLine line) const;
    bool canPulse() const;
    bool canBreak() const;
    // Whether the modem status lines need looking at: the port has them and does not tell their changes.
    bool wantsPolling() const { return available() && !watched_; }
    const LineControlView& view() const { return view_; }

private:
    bool available() const { return view_.open && view_.hasLines; }
    bool rtsByDriver() const { return port_.Line.flow == FlowControl::Hardware; }
    void readLines();

    PortState& port_;
    SerialDevice& device_;
    bool dtrWish_ = false; // as an open leaves them: held off
    bool rtsWish_ = false;
    ControlLine pulseLine_ = kDtr;
    int pulseMs_ = kPulseDefaultMs;
    ControlLine pulsed_ = kDtr;  // the line a running pulse inverted
    std::uint32_t followed_ = 0; // the open last followed
    std::function<void()> changed_;
    bool watched_ = false; // the open port tells changes of its status lines
    LineControlView view_;
};

} // namespace trelvo
