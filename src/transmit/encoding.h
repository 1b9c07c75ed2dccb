#pragma once
// How a command line and the suffix become the bytes written to the port and the text echoed into the log.

#include "common/cp1251.h"

#include <cstdint>
#include <string_view>

namespace trelvo {

// The output mode of the `RBASCII` / `RBHEX` pair; it governs the encoding of what is sent.
enum class TxMode { Ascii, Hex };

// Value of one hexadecimal digit, either case; any other character counts as 0.
std::uint8_t HexToInt(char ch);

// High digit times 16 plus low digit, taken at 0-based index i and i+1; a position past the end counts as 0.
std::uint8_t PairValue(std::string_view text, std::size_t i);

struct EncodedCmd {
    Bytes bytes; // what goes to the port
    Bytes echo;  // what the log shows of it (before any display substitution)
};

// ASCII: the line goes out literally; in the suffix "$" and the next two characters make one byte.
// HEX: the pairs at 1-based positions 1, 4, 7, ... of line + suffix; the echo is that text as typed.
// The result is never cut, however long the texts are.
EncodedCmd EncodeCmdStr(std::string_view line, std::string_view suffix, TxMode mode);

// The suffix a mode button puts into `AddStrCmd`: "$0D" for ASCII, empty for HEX.
Bytes DefaultSuffix(TxMode mode);

} // namespace trelvo
