#pragma once
// Byte and packet counts shared by the sending and the receiving side. 64-bit: a fast device passes 2 GiB in well
// under an hour, and a 32-bit count would turn negative.

#include "common/cp1251.h"

#include <cstdint>
#include <string>

namespace trelvo {

struct TransferCounters {
    std::int64_t TxBytes = 0;     // bytes the port accepted for sending
    std::int64_t RxBytes = 0;     // bytes read from the port
    std::int64_t SentPackets = 0; // lines handed to the port
};

// Caption of the byte counter label: "TX: n RX: m".
inline Bytes TransferCaption(const TransferCounters& c) {
    return "TX: " + std::to_string(c.TxBytes) + " RX: " + std::to_string(c.RxBytes);
}

// Caption of the sent-packet label: "Send: n".
inline Bytes SentCaption(const TransferCounters& c) {
    return "Send: " + std::to_string(c.SentPackets);
}

} // namespace trelvo
