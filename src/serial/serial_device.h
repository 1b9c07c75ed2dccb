#pragma once
// The port operations the system relies on, one call each; none waits for the line. The production backend sits on
// QSerialPort (qt_serial_device.*); tests use doubles.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace trelvo {

// The line settings, laid out like the Win32 DCB the stored settings were designed for. Zero-filled at start;
// an open writes BaudRate, ByteSize, Parity and StopBits, and the flow-control fields when the user chose a flow
// control. Parity codes as in Win32: 0 none, 1 odd, 2 even, 3 mark, 4 space. Hardware flow control is fOutxCtsFlow
// with fRtsControl 2 (handshake); software flow control is fOutX with fInX.
struct PortDcb {
    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    std::uint32_t fBinary = 0, fParity = 0, fOutxCtsFlow = 0, fOutxDsrFlow = 0, fDtrControl = 0,
                  fDsrSensitivity = 0, fTXContinueOnXoff = 0, fOutX = 0, fInX = 0, fErrorChar = 0, fNull = 0,
                  fRtsControl = 0, fAbortOnError = 0;
    std::uint16_t wReserved = 0, XonLim = 0, XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;   // 0 = no parity
    std::uint8_t StopBits = 0; // 0 = one, 1 = one and a half, 2 = two
    char XonChar = 0, XoffChar = 0, ErrorChar = 0, EofChar = 0, EvtChar = 0;
    std::uint16_t wReserved1 = 0;

    bool operator==(const PortDcb&) const = default;
};

inline constexpr std::uint32_t kRtsHandshake = 2;

// The control and modem status lines, as bits.
enum ControlLine : unsigned {
    kDtr = 1u << 0, // outputs
    kRts = 1u << 1,
    kCts = 1u << 2, // inputs
    kDsr = 1u << 3,
    kDcd = 1u << 4,
    kRi = 1u << 5,
};

enum class SerialErrorKind {
    None,
    BadArgument, // the caller asked for something invalid (empty name, data bits out of range, ...)
    System,      // the operating system refused; errorText() holds its reason
    Unsupported, // the platform cannot do what was asked
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the device by the name the port list shows, exclusively, for reading and writing.
    virtual bool open(const std::string& name) = 0;
    // Driver queue sizes; the result is not examined by callers.
    virtual void setQueueSizes(std::uint32_t inBytes, std::uint32_t outBytes) = 0;
    // Applies the line settings. Fails when no device is open, the device has gone away, or the driver refuses
    // the settings; called once a second as the liveness probe.
    virtual bool applySettings(const PortDcb& dcb) = 0;
    // Clears the error state and tells how many received bytes can be read at once.
    virtual std::uint32_t bytesWaiting() = 0;
    // Reads at most maxBytes already waiting; never blocks. Returns the number read.
    virtual std::uint32_t read(char* buffer, std::uint32_t maxBytes) = 0;
    // The monotonic clock's reading when the oldest waiting bytes arrived, for a port that takes bytes in on its
    // own and stamps them; such a port's bytesWaiting() counts only the bytes of that one arrival, so a read never
    // spans two arrivals. Nothing for a port whose bytes are taken in when read: they arrive when they are read.
    virtual std::optional<std::int64_t> nextArrivalMs() { return std::nullopt; }
    // For such a port: how long news of new bytes may wait (see setReadNotify), so that a steady stream is read in
    // a few larger turns rather than a turn a packet; the stamps keep the framing as it is. 0: news once the line
    // has been silent for a millisecond after them.
    virtual void setArrivalPatience(int ms) { (void)ms; }
    // Hands the bytes to the port in one call and returns the number it took (0 when it refused outright). A port
    // that writes without waiting (see below) returns at once; the bytes go out in order as the line takes them.
    virtual std::uint32_t write(const char* data, std::uint32_t count) = 0;
    // Aborts pending operations and empties both queues.
    virtual void purge() = 0;
    virtual void close() = 0;

    // ---- writing without waiting. A port that writes at once needs none of these.
    // Bytes that write() took but the system has not accepted yet.
    virtual std::uint64_t bytesToWrite() { return 0; }
    // `written` is told, from the event loop and never from inside a call on this port, how many more of those
    // bytes the system accepted. An empty function stops the telling.
    virtual void setBytesWrittenListener(std::function<void(std::uint64_t)> written) { (void)written; }
    // Empties the receive queue only: what write() took still goes out.
    virtual void purgeInput() { purge(); }
    // Throws away what write() took and the system has not sent yet; received bytes stay.
    virtual void purgeOutput() { purge(); }
    // Wake-up for the receive path: `notify` is called on the GUI thread whenever received bytes may have become
    // waiting (an empty function stops the calls). Returns false when the device cannot tell; the receive path
    // then polls.
    virtual bool setReadNotify(std::function<void()> notify) {
        (void)notify;
        return false;
    }

    // ---- control lines. A port without them (a pseudo-terminal, a virtual device) answers false to
    // hasControlLines() and is not asked the rest.
    virtual bool hasControlLines() { return false; }
    // Sets or clears DTR or RTS.
    virtual bool setControlLine(ControlLine line, bool on) {
        (void)line;
        (void)on;
        return false;
    }
    // All six lines as ControlLine bits; nothing when the port cannot tell.
    virtual std::optional<unsigned> controlLines() { return std::nullopt; }
    // Wake-up for the modem status lines of the open port: `notify` is called on the GUI thread after CTS, DSR, DCD
    // or RI may have changed, until the port closes (an empty function stops the calls). Returns false when the
    // port cannot tell; its lines are then polled.
    virtual bool setControlLinesNotify(std::function<void()> notify) {
        (void)notify;
        return false;
    }
    // Holds the line in break (on) or releases it.
    virtual bool setBreak(bool on) {
        (void)on;
        return false;
    }

    virtual SerialErrorKind lastErrorKind() const = 0;
    // The platform's own reason for the last failure, for example "Permission denied".
    virtual std::string lastErrorText() const = 0;
};

// Another device as seen through a wrapper: every call goes to it, so a wrapper overrides only what it changes.
class ForwardingSerialDevice : public SerialDevice {
public:
    explicit ForwardingSerialDevice(SerialDevice& port) : port_(port) {}
    bool open(const std::string& name) override { return port_.open(name); }
    void setQueueSizes(std::uint32_t in, std::uint32_t out) override { port_.setQueueSizes(in, out); }
    bool applySettings(const PortDcb& dcb) override { return port_.applySettings(dcb); }
    std::uint32_t bytesWaiting() override { return port_.bytesWaiting(); }
    std::uint32_t read(char* buffer, std::uint32_t maxBytes) override { return port_.read(buffer, maxBytes); }
    std::optional<std::int64_t> nextArrivalMs() override { return port_.nextArrivalMs(); }
    void setArrivalPatience(int ms) override { port_.setArrivalPatience(ms); }
    std::uint32_t write(const char* data, std::uint32_t count) override { return port_.write(data, count); }
    void purge() override { port_.purge(); }
    void close() override { port_.close(); }
    std::uint64_t bytesToWrite() override { return port_.bytesToWrite(); }
    void setBytesWrittenListener(std::function<void(std::uint64_t)> written) override {
        port_.setBytesWrittenListener(std::move(written));
    }
    void purgeInput() override { port_.purgeInput(); }
    void purgeOutput() override { port_.purgeOutput(); }
    bool setReadNotify(std::function<void()> notify) override { return port_.setReadNotify(std::move(notify)); }
    bool hasControlLines() override { return port_.hasControlLines(); }
    bool setControlLine(ControlLine line, bool on) override { return port_.setControlLine(line, on); }
    std::optional<unsigned> controlLines() override { return port_.controlLines(); }
    bool setControlLinesNotify(std::function<void()> notify) override {
        return port_.setControlLinesNotify(std::move(notify));
    }
    bool setBreak(bool on) override { return port_.setBreak(on); }
    SerialErrorKind lastErrorKind() const override { return port_.lastErrorKind(); }
    std::string lastErrorText() const override { return port_.lastErrorText(); }

private:
    SerialDevice& port_;
};

} // namespace trelvo
