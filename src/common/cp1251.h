#pragma once
// The single place where text crosses between the widgets (Unicode) and the bytes of the port and the data
// files (code page 1251). Everything below the widget edge works on CP1251 bytes in std::string.

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace trelvo {

using Bytes = std::string; // CP1251 bytes; one char per byte

// Unicode code point of a CP1251 byte. The one unassigned byte (0x98) maps to U+0098 so that it survives a round trip.
char16_t Cp1251ToUnicode(std::uint8_t byte);
// CP1251 byte of a code point, or -1 when code page 1251 cannot hold it.
int UnicodeToCp1251(char16_t ch);

QString FromCp1251(std::string_view bytes);
// Characters that code page 1251 cannot hold become "?".
Bytes ToCp1251(const QString& text);

} // namespace trelvo
