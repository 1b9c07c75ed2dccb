#pragma once
// Line settings as terminal attributes. Built only on POSIX systems.

#include "serial/serial_device.h"

#include <termios.h>

#include <cstdint>
#include <string>

namespace trelvo::posix {

// The termios speed constant of a baud rate; B0 when termios has none for it.
speed_t SpeedConstant(std::uint32_t baud);

// The attributes for dcb, starting from the device's current ones: raw (every byte passes unchanged), receiver on,
// modem lines ignored, the parity of dcb (generated, not checked: every byte passes as it came), RTS/CTS or XON/XOFF
// flow control when dcb asks for it, reads never wait. False with `problem` set when the
// combination cannot be expressed: termios encodes 1.5 stop bits as two stop bits with 5 data bits, so 1.5 goes
// only with 5 data bits and 2 only with 6 to 8, the combinations a serial driver accepts.
bool MakeLineTermios(const termios& current, const PortDcb& dcb, termios& out, std::string& problem);

// The attributes the line settings decide are equal. A pseudo-terminal always reports 8 data bits and no parity
// enabled whatever it was given; `pseudoTerminal` leaves those two out of the comparison.
bool SameLineSettings(const termios& a, const termios& b, bool pseudoTerminal);

} // namespace trelvo::posix
