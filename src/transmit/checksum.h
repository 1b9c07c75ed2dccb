#pragma once
// Checksum directives in the suffix: fixed bracketed texts replaced by a checksum of the line being sent, written in
// upper-case hexadecimal digits: two for the nine 8-bit checksums, four or eight for the CRCs.

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

// Three more items of `LBTail`, after the nine: CRCs over the whole checksum data. Their values are written in the
// byte order the protocol sends (Modbus low byte first, the others high byte first), each byte as two digits: in
// HEX mode with a blank between the bytes, so that each falls on a pair position; in ASCII mode as plain digits,
// or, with a "$" right before the directive, as "$" escapes ("$LL$HH"), so that the value goes out as raw bytes.
inline constexpr std::array<std::string_view, 3> kCrcDirectives = {
    "[CRC16_MODBUS(0..n)]", // CRC-16/MODBUS: reflected poly 8005, init FFFF
    "[CRC16_CCITT(0..n)]",  // CRC-16/CCITT-FALSE: poly 1021, init FFFF
    "[CRC32(0..n)]",        // the CRC-32 of zip and Ethernet
};

std::uint16_t Crc16Modbus(std::string_view data);
std::uint16_t Crc16CcittFalse(std::string_view data);
std::uint32_t Crc32(std::string_view data);

// The value of CRC directive k (0..2 in kCrcDirectives) over `data`, its bytes in sending order.
Bytes CrcValueBytes(std::size_t k, std::string_view data);

// The bytes a checksum covers, from the text of the line being sent (without the suffix): in ASCII the characters
// themselves (no "$" escapes); in HEX the pairs at 1-based positions 1, 4, 7, ... that have a character after them, so
// a lone last digit takes no part. The whole text counts, however long.
Bytes ChecksumData(std::string_view line, TxMode mode);

// Value of the directive at `position` (0..8) over the checksum data of `line`.
std::uint8_t CalcCsum(std::size_t position, std::string_view line, TxMode mode);
// The same for a directive given by its exact text; nothing for a text that is not one of them.
std::optional<std::uint8_t> CalcCsum(std::string_view directive, std::string_view line, TxMode mode);

// "0A", "FF": two upper-case digits.
Bytes HexByteText(std::uint8_t value);

// The suffix with every occurrence of every directive (the nine, then the CRCs) replaced by its value; text around
// them stays as typed.
Bytes ConvAddStr(std::string_view suffix, std::string_view line, TxMode mode);

} // namespace trelvo
