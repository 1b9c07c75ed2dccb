#pragma once
// The platform's part of QtSerialDevice. One implementation per platform, chosen by CMake.

#include "serial/serial_device.h"

#include <QSerialPort>

#include <cstdint>
#include <string>

namespace trelvo::serial_platform {

struct Outcome {
    SerialErrorKind kind = SerialErrorKind::None;
    std::string text; // the system's own reason when kind is System

    bool ok() const { return kind == SerialErrorKind::None; }
};

// Right after QSerialPort opened the device: exclusive use, fresh queues.
Outcome AfterOpen(QSerialPort& port);

// Applies baud rate, data bits, stop-bit code, parity and flow control, raw. Fails when the device has gone away or
// the driver does not take the settings. Arguments are already checked for range. `fresh`: dcb differs from what
// was last applied to this open port, so it is set even where the port's present settings look the same.
Outcome ApplyLineSettings(QSerialPort& port, const PortDcb& dcb, bool fresh);

// Whether the device has gone away (unplugged, the other side of a pseudo-terminal closed), with the system's
// reason; cheap, never waits. `input`, when given, tells whether the system holds received bytes that QSerialPort
// has not taken in yet (true where the platform cannot tell).
Outcome CheckPresent(QSerialPort& port, bool* input = nullptr);

// Shared by the platform files.
SerialErrorKind KindOf(QSerialPort::SerialPortError error);

} // namespace trelvo::serial_platform
