// The intake thread on POSIX systems: poll() on the device and on a wake pipe, read() whatever is there.
#include "serial/serial_intake.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace trelvo {
namespace {

constexpr std::size_t kReadBytes = 64 * 1024;
constexpr std::size_t kFloodReadBytes = 1024;

// The window is told of new bytes once the line has been silent for a millisecond after them (the receive tick
// then reads and ends the packet in one turn of its event loop instead of two) and the oldest have waited the
// patience; or when kTellAtBytes wait, at most once a millisecond (a flood is read in one turn of the window's
// event loop a millisecond, not in one per 4 KB the system passes on), and at once when kTellAtOnceBytes wait; or when
// the oldest untold bytes are kTellWithinMs old (or the patience, if longer), so that a line that never falls
// silent is still read.
constexpr std::size_t kTellAtBytes = 1024;
constexpr std::size_t kTellAtOnceBytes = 64 * 1024;
constexpr std::int64_t kTellWithinMs = 10;

class PosixIntake final : public SerialIntake {
public:
    PosixIntake(int fd, const int wake[2], const Clock& clock)
        : fd_(fd), wakeRead_(wake[0]), wakeWrite_(wake[1]), clock_(clock) {}

    ~PosixIntake() override {
        stop_ = true;
        poke();
        if (thread_.joinable()) thread_.join();
        ::close(wakeRead_);
        ::close(wakeWrite_);
        ::close(fd_);
    }

    void start(std::function<void()> wake) override {
        wake_ = std::move(wake);
        thread_ = std::thread([this] { run(); });
    }

    void notified() override { pending_ = false; }

    void setPatience(int ms) override {
        if (patienceMs_.exchange(std::max(ms, 0)) != ms) poke(); // the wait in poll() is measured anew
    }

    std::uint32_t waiting() override {
        const std::lock_guard lock(mutex_);
        return queue_.empty() ? 0 : static_cast<std::uint32_t>(queue_.front().bytes.size() - queue_.front().taken);
    }

    std::optional<std::int64_t> nextArrivalMs() override {
        const std::lock_guard lock(mutex_);
        if (queue_.empty()) return std::nullopt;
        return queue_.front().ms;
    }

    std::uint32_t read(char* buffer, std::uint32_t maxBytes) override {
        bool wakeReader = false;
        std::uint32_t n = 0;
        {
            const std::lock_guard lock(mutex_);
            if (queue_.empty()) return 0;
            Arrival& a = queue_.front();
            n = static_cast<std::uint32_t>(std::min<std::size_t>(maxBytes, a.bytes.size() - a.taken));
            std::memcpy(buffer, a.bytes.data() + a.taken, n);
            a.taken += n;
            queued_ -= n;
            if (a.taken == a.bytes.size()) queue_.pop_front();
            wakeReader = wantRoom_ && queued_ + kReadBytes <= kQueueBytes;
            if (wakeReader) wantRoom_ = false;
        }
        if (wakeReader) poke();
        return n;
    }

    void clear() override {
        bool wakeReader = false;
        {
            const std::lock_guard lock(mutex_);
            queue_.clear();
            queued_ = 0;
            wakeReader = wantRoom_;
            wantRoom_ = false;
        }
        if (wakeReader) poke();
    }

    bool hungUp() const override { return hungUp_; }

private:
    struct Arrival {
        std::int64_t ms;
        std::string bytes;
        std::size_t taken = 0;
    };

    void poke() {
        const char c = 0;
        while (::write(wakeWrite_, &c, 1) < 0 && errno == EINTR) {
        }
    }

    void tell() {
        if (!pending_.exchange(true) && wake_) wake_();
    }

    void run() {
        std::vector<char> buffer(kReadBytes);
        // The last read found many bytes: in a flood, read again before asking poll(), which costs more; after a
        // few bytes (a line of a slow stream) the second read would only find nothing.
        bool readable = false;
        while (!stop_) {
            bool room;
            {
                const std::lock_guard lock(mutex_);
                room = queued_ + kReadBytes <= kQueueBytes;
                wantRoom_ = !room;
            }
            if (room && readable) {
                const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
                if (n > 0) {
                    take(buffer.data(), static_cast<std::size_t>(n));
                    readable = static_cast<std::size_t>(n) >= kFloodReadBytes;
                    continue;
                }
                // Nothing more for now (a raw line with no minimum count reads 0 then); poll() tells of a hang-up.
                readable = false;
            }
            // With the queue full the device is not read: its own queue fills and the line holds the sender back.
            pollfd p[2] = {{fd_, static_cast<short>(room ? POLLIN : 0), 0}, {wakeRead_, POLLIN, 0}};
            const int ready = ::poll(p, 2, untoldWaitMs());
            if (ready < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (ready == 0) {
                tellUntold(); // the line fell silent
                continue;
            }
            if (p[1].revents & POLLIN) {
                char drain[64];
                while (::read(wakeRead_, drain, sizeof drain) > 0) {
                }
            }
            if (stop_) break;
            if (p[0].revents & POLLIN) {
                const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
                if (n > 0) {
                    take(buffer.data(), static_cast<std::size_t>(n));
                    readable = static_cast<std::size_t>(n) >= kFloodReadBytes;
                    continue;
                }
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
                hangUp(); // end of file or an error: the device is gone
                break;
            }
            if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                hangUp();
                break;
            }
        }
    }

    void take(const char* data, std::size_t n) {
        const std::int64_t ms = clock_.monotonicMs();
        {
            const std::lock_guard lock(mutex_);
            // Reads within one millisecond are one arrival.
            if (!queue_.empty() && queue_.back().ms == ms)
                queue_.back().bytes.append(data, n);
            else
                queue_.push_back({ms, std::string(data, n)});
            queued_ += n;
        }
        if (untold_ == 0) firstUntoldMs_ = ms;
        untold_ += n;
        if ((untold_ >= kTellAtBytes && ms > toldMs_) || untold_ >= kTellAtOnceBytes ||
            ms - firstUntoldMs_ >= longestWaitMs())
            tellUntold();
    }

    std::int64_t longestWaitMs() const { return std::max<std::int64_t>(kTellWithinMs, patienceMs_); }

    // How long poll() may wait before the untold bytes are told of: a millisecond of silence (a tick then finds the
    // line silent) once the oldest have waited the patience, at most until they are longestWaitMs() old; for ever
    // with nothing untold.
    int untoldWaitMs() const {
        if (untold_ == 0) return -1;
        const std::int64_t now = clock_.monotonicMs();
        const std::int64_t silent = std::max<std::int64_t>(now + 1, firstUntoldMs_ + patienceMs_);
        std::int64_t due = std::min(silent, firstUntoldMs_ + longestWaitMs());
        if (untold_ >= kTellAtBytes) due = std::min(due, toldMs_ + 1);
        return static_cast<int>(std::clamp<std::int64_t>(due - now, 0, 1'000'000));
    }

    void tellUntold() {
        if (untold_ == 0) return;
        untold_ = 0;
        toldMs_ = clock_.monotonicMs();
        tell();
    }

    void hangUp() {
        hungUp_ = true;
        tell();
    }

    const int fd_, wakeRead_, wakeWrite_;
    const Clock& clock_;
    std::function<void()> wake_;
    std::thread thread_;
    std::atomic<bool> stop_{false}, pending_{false}, hungUp_{false};
    std::atomic<int> patienceMs_{0};
    std::mutex mutex_;
    std::deque<Arrival> queue_;
    std::size_t queued_ = 0;
    bool wantRoom_ = false;
    // The reading thread's own: bytes taken since the window was last told, the first and last arrival among them.
    std::size_t untold_ = 0;
    std::int64_t firstUntoldMs_ = 0;
    std::int64_t toldMs_ = 0;
};

} // namespace

std::unique_ptr<SerialIntake> OpenSerialIntake(const std::string& name, const Clock& clock) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    int wake[2];
    if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixIntake>(fd, wake, clock);
}

} // namespace trelvo
