#pragma once
#include "serial/serial_device.h"

namespace trelvo::test {

// Line settings as an open writes them: only these three fields (parity stays 0).
inline PortDcb Dcb(std::uint32_t baud, std::uint8_t bits, std::uint8_t stopCode) {
    PortDcb dcb;
    dcb.BaudRate = baud;
    dcb.ByteSize = bits;
    dcb.StopBits = stopCode;
    return dcb;
}

} // namespace trelvo::test
