#include "transmit/checksum.h"

namespace trelvo {

Bytes ChecksumData(std::string_view line, TxMode mode) {
    if (mode == TxMode::Ascii) return Bytes(line);
    Bytes data;
    data.reserve(line.size() / 3 + 1);
    for (std::size_t i = 0; i + 1 < line.size(); i += 3)
        data.push_back(static_cast<char>(PairValue(line, i)));
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

// The text that stands for a CRC value at `at` in the suffix.
Bytes CrcText(const Bytes& value, std::string_view suffix, std::size_t at, TxMode mode) {
    const bool escaped = mode == TxMode::Ascii && at > 0 && suffix[at - 1] == '$';
    const char* between = mode == TxMode::Hex ? " " : escaped ? "$" : "";
    Bytes text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (i > 0) text += between;
        text += HexByteText(static_cast<std::uint8_t>(value[i]));
    }
    return text;
}

} // namespace

std::uint16_t Crc16Modbus(std::string_view data) {
    std::uint16_t crc = 0xFFFF;
    for (const char ch : data) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

std::uint16_t Crc16CcittFalse(std::string_view data) {
    std::uint16_t crc = 0xFFFF;
    for (const char ch : data) {
        crc ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(ch) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc =
                (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021) : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

std::uint32_t Crc32(std::string_view data) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char ch : data) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return ~crc;
}

Bytes CrcValueBytes(std::size_t k, std::string_view data) {
    const auto byte = [](std::uint32_t v, int shift) { return static_cast<char>((v >> shift) & 0xFF); };
    switch (k) {
    case 0: {
        const std::uint16_t v = Crc16Modbus(data);
        return {byte(v, 0), byte(v, 8)};
    }
    case 1: {
        const std::uint16_t v = Crc16CcittFalse(data);
        return {byte(v, 8), byte(v, 0)};
    }
    default: {
        const std::uint32_t v = Crc32(data);
        return {byte(v, 24), byte(v, 16), byte(v, 8), byte(v, 0)};
    }
    }
}

std::uint8_t CalcCsum(std::size_t position, std::string_view line, TxMode mode) {
    return CsumOver(position, ChecksumData(line, mode));
}

std::optional<std::uint8_t> CalcCsum(std::string_view directive, std::string_view line, TxMode mode) {
    for (std::size_t k = 0; k < kChecksumDirectives.size(); ++k)
        if (kChecksumDirectives[k] == directive) return CalcCsum(k, line, mode);
    return std::nullopt;
}

Bytes HexByteText(std::uint8_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return Bytes{digits[value >> 4], digits[value & 0x0F]};
}

Bytes ConvAddStr(std::string_view suffix, std::string_view line, TxMode mode) {
    Bytes text(suffix);
    const Bytes data = ChecksumData(line, mode);
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
    for (std::size_t k = 0; k < kCrcDirectives.size(); ++k) {
        const std::string_view directive = kCrcDirectives[k];
        std::size_t at = text.find(directive);
        if (at == Bytes::npos) continue;
        const Bytes value = CrcValueBytes(k, data);
        while (at != Bytes::npos) {
            // Each occurrence is written for its own place (a "$" before it), and always shorter than the directive.
            text.replace(at, directive.size(), CrcText(value, text, at, mode));
            const std::size_t from = at >= directive.size() - 1 ? at - (directive.size() - 1) : 0;
            at = text.find(directive, from);
        }
    }
    return text;
}

} // namespace trelvo
