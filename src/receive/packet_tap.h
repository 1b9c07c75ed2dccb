#pragma once
// A listener at the point where a received packet becomes an entry, like the log file: it sees the packet's own
// bytes, whatever the view mode, the time stamps and the filter make of them. Nobody listening costs one test of a
// null pointer per packet.

#include <cstdint>
#include <string_view>

namespace trelvo {

class PacketTap {
public:
    virtual ~PacketTap() = default;
    // every received packet that became an entry, as its raw bytes, with the monotonic ms it was placed
    virtual void packetPlaced(std::string_view bytes, std::int64_t monotonicMs) = 0;
};

} // namespace trelvo
