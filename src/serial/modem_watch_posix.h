#pragma once
// The thread behind ModemWatch on POSIX: it waits in the driver (TIOCMIWAIT) until CTS, DSR, DCD or RI changes and
// calls `woke` on its own thread after every change. Ending it interrupts the wait with a signal sent to that
// thread alone.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace trelvo {

// Blocks until one of the four status lines of `fd` changes: 0; -1 with errno otherwise (EINTR when interrupted).
int WaitForModemChange(int fd);
// Whether the driver counts the status line changes of `fd`. Drivers that do also take the wait; a port that
// cannot be counted is polled instead.
bool CountsModemChanges(int fd);

class ModemWaiter {
public:
    using Wait = std::function<int(int fd)>;

    // `wait` is WaitForModemChange except in tests. Where the wait is refused or fails, the thread calls `woke` ten
    // times a second instead, so that the lines are still looked at.
    ModemWaiter(int fd, std::function<void()> woke, Wait wait = WaitForModemChange);
    ~ModemWaiter();
    ModemWaiter(const ModemWaiter&) = delete;
    ModemWaiter& operator=(const ModemWaiter&) = delete;

    // Ends the thread and joins it; returns once the descriptor is no longer used.
    void stop();
    // The wait was refused: the thread is polling.
    bool polling() const { return polling_; }

private:
    void run();

    int fd_;
    std::function<void()> woke_;
    Wait wait_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> polling_{false};
    std::mutex mutex_;
    std::condition_variable doneChanged_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace trelvo
