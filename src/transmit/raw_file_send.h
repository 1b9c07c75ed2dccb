#pragma once
// Sending a file's bytes to the line exactly as they are: no encoding, no directives, no suffix, no cutting into
// lines. The port's reports of bytes written drive the transfer: a chunk is read from the file and handed to the
// port whenever fewer than two chunks wait there, so a file of any size costs a few chunks of memory and the window
// never waits for the line. The transfer counter grows as the port reports bytes taken, as for a long line.
//
// Every step returns what it ended with: nothing while the file is still going out; otherwise the log entry that
// tells the outcome and, where the user must hear of it, a message.

#include "common/cp1251.h"
#include "common/transfer_counters.h"
#include "serial/serial_device.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFile;

namespace trelvo {

enum class RawSendEnd {
    Running,    // still going out, or never started
    NotOpened,  // the file could not be opened (or is no regular file): nothing was sent
    Sent,       // the port has taken every byte
    Cancelled,  // the user stopped it; what still waited in the port was thrown away
    PortClosed, // the port was closed, the device vanished or the port refused the bytes
    ReadFailed, // the file could not be read to its end
};

struct RawSendStep {
    RawSendEnd end = RawSendEnd::Running;
    Bytes entry;         // CP1251: the log entry of an ended transfer (none when the file did not open)
    std::string message; // UTF-8: what the user is told in a message box; empty when nothing needs saying
};

struct RawSendProgress {
    std::uint64_t sent = 0;                  // bytes the port has taken
    std::uint64_t total = 0;                 // the file's size when it was chosen
    std::optional<double> bytesPerSecond;    // nothing until half a second has been measured
    std::optional<std::int64_t> secondsLeft; // nothing while the rate is unknown or zero
};

class RawFileSend {
public:
    static constexpr std::size_t kChunkBytes = 64 * 1024;
    static constexpr std::uint64_t kMaxWaitingBytes = 2 * kChunkBytes; // in the port, not yet taken by the system
    // The rate is measured over the last two to four seconds, so it follows a line that slows down or stalls.
    static constexpr std::int64_t kRateWindowMs = 2000;
    static constexpr std::int64_t kRateFirstMs = 500;

    RawFileSend(SerialDevice& port, TransferCounters& counters);
    ~RawFileSend();
    RawFileSend(const RawFileSend&) = delete;
    RawFileSend& operator=(const RawFileSend&) = delete;

    bool running() const { return running_; }
    // The file's name without its directory, UTF-8, of the transfer running or last run.
    const std::string& name() const { return name_; }

    // Opens `file` (a name as the platform's file dialog gives it) and hands the port its first chunks. An empty
    // file is sent at once. Does nothing while a transfer runs.
    RawSendStep start(const std::string& file, std::int64_t nowMs);
    // The port reports `count` more bytes taken: counted, and the next chunks handed over.
    RawSendStep written(std::uint64_t count, std::int64_t nowMs);
    // The user stops the transfer: the bytes still waiting in the port are thrown away.
    RawSendStep cancel();
    // Ends the transfer when the port was closed (by the user, or because the device went away), also when it was
    // opened again since: the bytes that waited in it are then gone. Called a few times a second.
    RawSendStep checkPort(bool portOpen);

    // Where the transfer stands; moves the rate's measuring window along.
    RawSendProgress progress(std::int64_t nowMs);

private:
    struct Mark {
        std::int64_t ms = 0;
        std::uint64_t sent = 0;
    };
    RawSendStep pump();
    RawSendStep finish(RawSendEnd end, std::string message = {});
    void count(std::uint64_t bytes);
    void moveRateWindow(std::int64_t nowMs);
    std::string sentOfTotal() const;

    SerialDevice& port_;
    TransferCounters& counters_;
    std::unique_ptr<QFile> file_;
    std::vector<char> buffer_;
    bool running_ = false;
    std::string name_;
    std::uint64_t total_ = 0;
    std::uint64_t handed_ = 0; // given to the port
    std::uint64_t sent_ = 0;   // taken by the system
    Mark rateFrom_, rateNext_;
};

// The progress display's three texts (UTF-8): "1,5 МБ из 100,0 МБ (1 %)", "11,3 КБ/с", "1:02:03"; an unknown rate
// or time shows as "—".
struct RawSendTexts {
    std::string amount, rate, left;
    bool operator==(const RawSendTexts&) const = default;
};
RawSendTexts DescribeProgress(const RawSendProgress& p);

} // namespace trelvo
