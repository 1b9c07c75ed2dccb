#pragma once
// Parity and flow control: what the user chose beside the baud rate, and how it goes into the line settings.

#include "serial/serial_device.h"

#include <cstdint>
#include <string>

namespace trelvo {

// The codes are those of PortDcb::Parity.
enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class FlowControl : std::uint8_t { None, Hardware, Software };

// None and none at every start: the line is then exactly as without these choices.
struct LineOptions {
    Parity parity = Parity::None;
    FlowControl flow = FlowControl::None;

    bool operator==(const LineOptions&) const = default;
};

// Writes parity and flow control into dcb; every other field stays.
void PutLineOptions(PortDcb& dcb, const LineOptions& options);

// The letter of a parity in a line summary: N, O, E, M, S.
char ParityLetter(Parity parity);

// The short form of the line: data bits, parity letter, stop bits ("8N1", "7E2", "5N1,5"), then the flow control
// when there is one ("8N1 RTS/CTS", "8N1 XON/XOFF"). The texts are those of the settings boxes.
std::string LineSummary(const std::string& dataBits, Parity parity, const std::string& stopBits, FlowControl flow);

} // namespace trelvo
