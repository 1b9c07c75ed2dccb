#pragma once
// How a received packet becomes the text of one log entry.

#include "common/clock.h"
#include "common/cp1251.h"

#include <optional>
#include <string_view>

namespace trelvo {

enum class RenderMode { Ascii, Hex };

// The output controls as the receive path reads them. The window keeps one instance current from the controls'
// change signals (RBASCII/RBHEX, VisTime, FiltrLog as CP1251), so nothing is converted per packet.
struct RenderSettings {
    RenderMode mode = RenderMode::Ascii;
    bool visTime = false;
    Bytes filter;
};

// Writes the entry for `bytes` into `out` (replacing its content, keeping its capacity) and returns true, or
// returns false when the packet gives no entry at all. ASCII: CR becomes CR LF, LF is dropped, NUL becomes
// "<NULL>", every other byte stays as it is. HEX: "0D " per byte. With visTime the received time-stamp prefix
// goes in front. Then only what the rendering added at the end is removed: the blank after the last hex byte, the
// LF of a final CR's line break; every received character is kept.
// Appends each byte as the HEX mode writes it: two upper-case digits and a blank.
void AppendHex(Bytes& out, std::string_view bytes);

bool RenderPacket(Bytes& out, std::string_view bytes, RenderMode mode, bool visTime, const LocalTime& time);

inline std::optional<Bytes> RenderPacket(std::string_view bytes, RenderMode mode, bool visTime, const LocalTime& time) {
    Bytes out;
    if (!RenderPacket(out, bytes, mode, visTime, time)) return std::nullopt;
    return out;
}

} // namespace trelvo
