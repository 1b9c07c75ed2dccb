#pragma once
// The production port: QSerialPort, raw, exclusive, DTR and RTS held off at the open. The platform's own part
// (line settings, the hang-up check) sits in qt_serial_device_unix.cpp / _win.cpp. Writes go into QSerialPort's
// buffer and drain from the event loop; its bytesWritten signal is what the listener is told.

#include "serial/serial_device.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QSerialPort;

namespace trelvo {

class Clock;
class ModemWatch;
class SerialIntake;

class QtSerialDevice final : public SerialDevice {
public:
    // Bytes QSerialPort may hold in its own buffer. Beyond that it stops reading, so a device that sends faster
    // than the program reads is held back by the line, as a driver queue would hold it back.
    static constexpr std::int64_t kReadBufferBytes = 64 * 1024;

    QtSerialDevice();
    ~QtSerialDevice() override;
    QtSerialDevice(const QtSerialDevice&) = delete;
    QtSerialDevice& operator=(const QtSerialDevice&) = delete;

    // Where the platform allows, received bytes are then taken in by a thread of their own and stamped with this
    // clock on arrival (see serial_intake.h); without it, or elsewhere, QSerialPort reads them. Set before an open.
    void setArrivalClock(const Clock* clock) { arrivalClock_ = clock; }

    bool open(const std::string& name) override;
    void setQueueSizes(std::uint32_t inBytes, std::uint32_t outBytes) override;
    bool applySettings(const PortDcb& dcb) override;
    std::uint32_t bytesWaiting() override;
    std::uint32_t read(char* buffer, std::uint32_t maxBytes) override;
    std::optional<std::int64_t> nextArrivalMs() override;
    void setArrivalPatience(int ms) override;
    std::uint32_t write(const char* data, std::uint32_t count) override;
    void purge() override;
    void close() override;
    bool setReadNotify(std::function<void()> notify) override;
    bool hasControlLines() override;
    bool setControlLine(ControlLine line, bool on) override;
    std::optional<unsigned> controlLines() override;
    bool setControlLinesNotify(std::function<void()> notify) override;
    bool setBreak(bool on) override;

    std::uint64_t bytesToWrite() override;
    void setBytesWrittenListener(std::function<void(std::uint64_t)> written) override;
    void purgeInput() override;
    void purgeOutput() override;

    SerialErrorKind lastErrorKind() const override { return errorKind_; }
    std::string lastErrorText() const override { return errorText_; }

    bool isOpen() const;

private:
    bool fail(SerialErrorKind kind, std::string text);
    bool failFromPort();
    bool releaseIfGone(bool* input = nullptr);
    void closePort();
    void intakeWoke();

    std::unique_ptr<QSerialPort> port_;
    std::function<void()> readNotify_;
    const Clock* arrivalClock_ = nullptr;
    int patienceMs_ = 0;
    std::unique_ptr<SerialIntake> intake_; // while open, when received bytes are taken in by a thread
    std::chrono::steady_clock::time_point idleAt_; // when a look last found the system holding no input at all
    std::uint32_t inQueue_ = 2048;
    bool hasLines_ = false;          // the open port answered a look at its modem lines
    std::unique_ptr<ModemWatch> modemWatch_; // while the open port tells changes of its modem lines
    std::optional<PortDcb> applied_; // the settings last applied to this open port
    bool gone_ = false; // released because the device went away; calls fail with goneReason_ until the next open
    std::string goneReason_;
    SerialErrorKind errorKind_ = SerialErrorKind::None;
    std::string errorText_;
    std::uint64_t toReport_ = 0; // taken by write(), not yet told to the listener
    std::function<void(std::uint64_t)> written_;
};

} // namespace trelvo
