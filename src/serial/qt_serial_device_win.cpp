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
Outcome CheckPresent(QSerialPort& port, bool* input) {
    if (input) *input = true;
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

} // namespace trelvo::serial_platform
