#pragma once
#include "receive/receive_tick.h"
#include "support/fake_serial_device.h"
#include "support/manual_clock.h"

#include <string>
#include <vector>

namespace trelvo::test {

struct RecordingSink final : EntrySink {
    std::vector<Bytes> entries;
    void placeEntry(const Bytes& entry) override { entries.push_back(entry); }
};

// A receive path over a scripted port and a manual clock; the after-answer step records its waiting counts.
struct RxRig {
    FakeSerialDevice dev;
    ManualClock clock;
    TransferCounters counters;
    RenderSettings settings;
    bool portOpen = true;
    RecordingSink sink;
    std::vector<std::uint32_t> answers;
    RxState rx;
    ReceivePath path{dev, portOpen, clock, counters, settings, sink, [this](std::uint32_t w) { answers.push_back(w); }};

    RxRig() { dev.open("COM3"); }
    RxTickResult tick(std::int64_t advanceMs = 1) {
        clock.advance(advanceMs);
        return RxTimerTimer(rx, path);
    }
};

// The bytes of a HEX-mode entry without time stamp ("41 42", no blank after the last byte).
inline std::string Unhex(const Bytes& entry) {
    std::string out;
    for (std::size_t i = 0; i + 1 < entry.size(); i += 3)
        out.push_back(static_cast<char>(std::stoi(entry.substr(i, 2), nullptr, 16)));
    return out;
}

} // namespace trelvo::test
