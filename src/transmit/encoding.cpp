#include "transmit/encoding.h"

namespace trelvo {

std::uint8_t HexToInt(char ch) {
    if (ch >= '0' && ch <= '9') return static_cast<std::uint8_t>(ch - '0');
    if (ch >= 'A' && ch <= 'F') return static_cast<std::uint8_t>(ch - 'A' + 10);
    if (ch >= 'a' && ch <= 'f') return static_cast<std::uint8_t>(ch - 'a' + 10);
    return 0;
}

std::uint8_t PairValue(std::string_view text, std::size_t i) {
    const auto digit = [&](std::size_t k) -> std::uint8_t { return k < text.size() ? HexToInt(text[k]) : 0; };
    return static_cast<std::uint8_t>(digit(i) * 16 + digit(i + 1));
}

namespace {

EncodedCmd EncodeAscii(std::string_view line, std::string_view suffix) {
    EncodedCmd out;
    out.bytes.reserve(line.size() + suffix.size());
    out.bytes.append(line); // a "$" in the line itself is a plain character
    for (std::size_t i = 0; i < suffix.size();) {
        if (suffix[i] == '$') {
            // The escape always takes the next two characters, present or not.
            out.bytes.push_back(static_cast<char>(PairValue(suffix, i + 1)));
            i += 3;
        } else {
            out.bytes.push_back(suffix[i]);
            ++i;
        }
    }
    out.echo = out.bytes;
    return out;
}

EncodedCmd EncodeHex(std::string_view line, std::string_view suffix) {
    EncodedCmd out;
    out.echo.reserve(line.size() + suffix.size());
    out.echo.append(line).append(suffix);
    const std::string_view s = out.echo;
    out.bytes.reserve(s.size() / 3 + 1);
    // Every third character is a separator and is skipped whatever it is.
    for (std::size_t i = 0; i < s.size(); i += 3)
        out.bytes.push_back(static_cast<char>(PairValue(s, i)));
    return out;
}

} // namespace

EncodedCmd EncodeCmdStr(std::string_view line, std::string_view suffix, TxMode mode) {
    return mode == TxMode::Ascii ? EncodeAscii(line, suffix) : EncodeHex(line, suffix);
}

Bytes DefaultSuffix(TxMode mode) {
    return mode == TxMode::Ascii ? Bytes("$0D") : Bytes();
}

} // namespace trelvo
