#include "transmit/checksum.h"

namespace trelvo {

Bytes ChecksumData(std::string_view mainStrCmd, TxMode mode) {
    if (mode == TxMode::Ascii) return Bytes(mainStrCmd);
    Bytes data;
    data.reserve(mainStrCmd.size() / 3 + 1);
    for (std::size_t i = 0; i + 1 < mainStrCmd.size(); i += 3)
        data.push_back(static_cast<char>(PairValue(mainStrCmd, i)));
    return data;
}

namespace {

std::uint8_t CsumOver(std::size_t position, std::string_view data) {
    const std::size_t first = position % 3; // each algorithm comes with first bytes 0, 1, 2
    const bool isXor = position >= 3 && position < 6;
    std::uint8_t acc = 0;
    for (std::size_t i = first; i < data.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(data[i]);
        acc = isXor ? static_cast<std::uint8_t>(acc ^ b) : static_cast<std::uint8_t>(acc + b);
    }
    return position >= 6 ? static_cast<std::uint8_t>(0xFF - acc) : acc;
}

} // namespace

std::uint8_t CalcCsum(std::size_t position, std::string_view mainStrCmd, TxMode mode) {
    return CsumOver(position, ChecksumData(mainStrCmd, mode));
}

std::optional<std::uint8_t> CalcCsum(std::string_view directive, std::string_view mainStrCmd, TxMode mode) {
    for (std::size_t k = 0; k < kChecksumDirectives.size(); ++k)
        if (kChecksumDirectives[k] == directive) return CalcCsum(k, mainStrCmd, mode);
    return std::nullopt;
}

Bytes HexByteText(std::uint8_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return Bytes{digits[value >> 4], digits[value & 0x0F]};
}

Bytes ConvAddStr(std::string_view suffix, std::string_view mainStrCmd, TxMode mode) {
    Bytes text(suffix);
    const Bytes data = ChecksumData(mainStrCmd, mode);
    for (std::size_t k = 0; k < kChecksumDirectives.size(); ++k) {
        const std::string_view directive = kChecksumDirectives[k];
        std::size_t at = text.find(directive);
        if (at == Bytes::npos) continue;
        const Bytes value = HexByteText(CsumOver(k, data)); // the same for every occurrence
        while (at != Bytes::npos) {
            text.replace(at, directive.size(), value);
            // A new occurrence can only be one that overlaps the inserted digits; everything before is clean.
            const std::size_t from = at >= directive.size() - 1 ? at - (directive.size() - 1) : 0;
            at = text.find(directive, from);
        }
    }
    return text;
}

} // namespace trelvo
