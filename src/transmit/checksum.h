#pragma once
// Checksum directives in the suffix: fixed bracketed texts replaced by an 8-bit checksum of the command line,
// written as two upper-case hexadecimal digits.

#include "common/cp1251.h"
#include "transmit/encoding.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace trelvo {

// The items of `LBTail`, in order; the position selects the algorithm. The blanks are part of the texts.
inline constexpr std::array<std::string_view, 9> kChecksumDirectives = {
    "[SUM_8(0..n)]",  "[SUM_8(1..n)]",      "[SUM_8(2..n)]",      "[XOR_8 (0..n)]",     "[XOR_8 (1..n)]",
    "[XOR_8 (2..n)]", "[FF - SUM_8(0..n)]", "[FF - SUM_8(1..n)]", "[FF - SUM_8(2..n)]",
};

// The bytes a checksum covers, from the text of `MainStrCmd`: in ASCII the characters themselves (no "$"
// escapes); in HEX the pairs at 1-based positions 1, 4, 7, ... that have a character after them, so a lone last
// digit takes no part. The whole text counts, however long.
Bytes ChecksumData(std::string_view mainStrCmd, TxMode mode);

// Value of the directive at `position` (0..8) over the checksum data of `mainStrCmd`.
std::uint8_t CalcCsum(std::size_t position, std::string_view mainStrCmd, TxMode mode);
// The same for a directive given by its exact text; nothing for a text that is not one of them.
std::optional<std::uint8_t> CalcCsum(std::string_view directive, std::string_view mainStrCmd, TxMode mode);

// "0A", "FF": two upper-case digits.
Bytes HexByteText(std::uint8_t value);

// The suffix with every occurrence of every directive replaced by its value; text around them stays as typed.
Bytes ConvAddStr(std::string_view suffix, std::string_view mainStrCmd, TxMode mode);

} // namespace trelvo
