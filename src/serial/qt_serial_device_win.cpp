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

QSerialPort::Parity ParityOf(std::uint8_t code) {
    switch (code) {
    case 1:
        return QSerialPort::OddParity;
    case 2:
        return QSerialPort::EvenParity;
    case 3:
        return QSerialPort::MarkParity;
    case 4:
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::FlowControl FlowOf(const PortDcb& dcb) {
    if (dcb.fOutxCtsFlow) return QSerialPort::HardwareControl;
    if (dcb.fOutX) return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
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

// Each setter reads the driver's state and writes it back, so `fresh` makes no difference here.
Outcome ApplyLineSettings(QSerialPort& port, const PortDcb& dcb, bool) {
    port.clearError();
    const bool ok = port.setBaudRate(static_cast<qint32>(dcb.BaudRate)) &&
                    port.setDataBits(static_cast<QSerialPort::DataBits>(dcb.ByteSize)) &&
                    port.setParity(ParityOf(dcb.Parity)) && port.setStopBits(StopBitsOf(dcb.StopBits)) &&
                    port.setFlowControl(FlowOf(dcb));
    if (!ok) return FromPort(port);
    return {};
}

} // namespace trelvo::serial_platform
