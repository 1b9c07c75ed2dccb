// QtSerialDevice on Windows: QSerialPort's setters go to SetCommState, which also fails for a device that is gone.
#include "serial/serial_platform.h"

namespace trelvo::serial_platform {

namespace {

Outcome FromPort(const QSerialPort& port) {
    return {KindOf(port.error()), port.errorString().toStdString()};
}

QSerialPort::StopBits StopBitsOf(std::uint8_t code) {
    switch (code) {
    case 1:
        return QSerialPort::OneAndHalfStop;
    case 2:
        return QSerialPort::TwoStop;
    default:
        return QSerialPort::OneStop;
    }
}

} // namespace

// Qt reports a removed device as a resource error.
Outcome CheckPresent(QSerialPort& port) {
    if (port.error() == QSerialPort::ResourceError) return FromPort(port);
    return {};
}

Outcome AfterOpen(QSerialPort& port) {
    port.clear(QSerialPort::AllDirections);
    return {};
}

Outcome ApplyLineSettings(QSerialPort& port, const PortDcb& dcb) {
    port.clearError();
    const bool ok = port.setBaudRate(static_cast<qint32>(dcb.BaudRate)) &&
                    port.setDataBits(static_cast<QSerialPort::DataBits>(dcb.ByteSize)) &&
                    port.setParity(QSerialPort::NoParity) && port.setStopBits(StopBitsOf(dcb.StopBits)) &&
                    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) return FromPort(port);
    return {};
}

std::uint32_t WriteNow(QSerialPort& port, const char* data, std::uint32_t count, Outcome& outcome) {
    const qint64 taken = port.write(data, count);
    if (taken < 0) {
        outcome = FromPort(port);
        return 0;
    }
    while (port.bytesToWrite() > 0)
        if (!port.waitForBytesWritten(1000)) break;
    const qint64 left = port.bytesToWrite();
    if (left > 0) outcome = FromPort(port);
    return static_cast<std::uint32_t>(taken - left);
}

} // namespace trelvo::serial_platform
