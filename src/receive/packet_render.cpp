#include "receive/packet_render.h"

#include "common/entry_rule.h"

#include <array>
#include <cstring>

namespace trelvo {
namespace {

// "00 " .. "FF ", three characters per byte.
constexpr std::array<char, 256 * 3> MakeHexTable() {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<char, 256 * 3> t{};
    for (int b = 0; b < 256; ++b) {
        t[b * 3] = digits[b >> 4];
        t[b * 3 + 1] = digits[b & 15];
        t[b * 3 + 2] = ' ';
    }
    return t;
}
constexpr std::array<char, 256 * 3> kHex = MakeHexTable();

constexpr bool IsSpecial(unsigned char b) {
    return b == 0 || b == '\n' || b == '\r';
}

// Copies runs of plain bytes at once; only NUL, LF and CR are looked at one by one.
void AppendAscii(Bytes& out, std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* run = p;
        while (p < end && !IsSpecial(static_cast<unsigned char>(*p)))
            ++p;
        out.append(run, static_cast<std::size_t>(p - run));
        if (p == end) break;
        switch (*p) {
        case '\r':
            out.append("\r\n", 2);
            break;
        case '\n':
            break;
        default:
            out.append("<NULL>", 6);
            break;
        }
        ++p;
    }
}

} // namespace

void AppendHex(Bytes& out, std::string_view bytes) {
    const std::size_t start = out.size();
    out.resize(start + bytes.size() * 3);
    char* dst = out.data() + start;
    for (unsigned char b : bytes) {
        std::memcpy(dst, &kHex[b * 3u], 3);
        dst += 3;
    }
}

bool RenderPacket(Bytes& out, std::string_view bytes, RenderMode mode, bool visTime, const LocalTime& time) {
    out.clear();
    if (visTime) out.append(TimeStampPrefix(time, Direction::Received));
    const std::size_t prefix = out.size();
    if (mode == RenderMode::Hex) {
        AppendHex(out, bytes);
    } else {
        out.reserve(prefix + bytes.size() + bytes.size() / 8 + 8);
        AppendAscii(out, bytes);
    }
    if (out.size() == prefix) { // nothing but LF bytes (or nothing at all): no entry
        out.clear();
        return false;
    }
    // Only what the rendering added goes: the blank after the last hex byte, the LF of a final CR's line break.
    // Every received character stays.
    if (mode == RenderMode::Hex || (out.size() - prefix >= 2 && out.back() == '\n')) out.pop_back();
    return true;
}

} // namespace trelvo
