#pragma once
// Received bytes taken in by a thread of their own the moment the system has them, each read stamped with the
// monotonic clock, and held in a bounded queue until the window's thread reads them. When the queue is full the
// thread stops reading, so the system's queue and the line's flow control hold the rest back: nothing is dropped.

#include "common/clock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace trelvo {

class SerialIntake {
public:
    static constexpr std::uint32_t kQueueBytes = 1u << 20;

    // Stops the thread and waits for it, then closes the descriptor.
    virtual ~SerialIntake() = default;
    // Starts reading. `wake` is called on the reading thread when new bytes wait and the line has been silent for a
    // millisecond after them, once the oldest have waited the patience (or at once when many wait, or when the
    // oldest have waited a while with no silence), or when the device hangs up; once until notified() says it was
    // heard.
    virtual void start(std::function<void()> wake) = 0;
    // Any thread, any time; 0 until set.
    virtual void setPatience(int ms) = 0;
    virtual void notified() = 0;
    // Bytes of the oldest arrival still waiting, all with the same stamp.
    virtual std::uint32_t waiting() = 0;
    virtual std::optional<std::int64_t> nextArrivalMs() = 0;
    // Reads from the oldest arrival only.
    virtual std::uint32_t read(char* buffer, std::uint32_t maxBytes) = 0;
    virtual void clear() = 0;
    // The device hung up or failed; the thread reads no more.
    virtual bool hungUp() const = 0;
};

// Opens the device for reading on a descriptor of its own; called before the port's own open, which locks the
// device against any further open. Nothing where the platform reads through the port itself, or when this open
// fails (the port's own open then tells why).
std::unique_ptr<SerialIntake> OpenSerialIntake(const std::string& name, const Clock& clock);

} // namespace trelvo
