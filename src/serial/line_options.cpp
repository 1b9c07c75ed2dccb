#include "serial/line_options.h"

namespace trelvo {

void PutLineOptions(PortDcb& dcb, const LineOptions& options) {
    dcb.Parity = static_cast<std::uint8_t>(options.parity);
    const bool hardware = options.flow == FlowControl::Hardware;
    const bool software = options.flow == FlowControl::Software;
    dcb.fOutxCtsFlow = hardware ? 1 : 0;
    dcb.fRtsControl = hardware ? kRtsHandshake : 0;
    dcb.fOutX = software ? 1 : 0;
    dcb.fInX = software ? 1 : 0;
}

char ParityLetter(Parity parity) {
    switch (parity) {
    case Parity::Odd:
        return 'O';
    case Parity::Even:
        return 'E';
    case Parity::Mark:
        return 'M';
    case Parity::Space:
        return 'S';
    case Parity::None:
        break;
    }
    return 'N';
}

std::string LineSummary(const std::string& dataBits, Parity parity, const std::string& stopBits, FlowControl flow) {
    std::string text = dataBits + ParityLetter(parity) + stopBits;
    if (flow == FlowControl::Hardware) text += " RTS/CTS";
    if (flow == FlowControl::Software) text += " XON/XOFF";
    return text;
}

} // namespace trelvo
