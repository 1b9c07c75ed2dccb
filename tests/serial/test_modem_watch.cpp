// The thread that waits for modem line changes: what a pseudo-terminal (no control lines, the wait refused) makes of
// it, and that ending it never leaves a thread behind, even while it is blocked in its wait.
#include "serial/modem_watch_posix.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace trelvo {
namespace {

using namespace std::chrono_literals;

int ThreadCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (const dirent* e = readdir(d))
            n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

// Spins until `done` holds; a bound far beyond any wait expected, only so that a fault fails instead of hanging.
template <class F> bool Eventually(F done) {
    for (auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;) {
        if (done()) return true;
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            fd = open(ptsname(master_), O_RDWR | O_NOCTTY);
    }
    ~Pty() {
        if (fd >= 0) close(fd);
        if (master_ >= 0) close(master_);
    }
    int fd = -1;

private:
    int master_ = -1;
};

TEST(ModemWatch, APseudoTerminalRefusesTheWaitAndTheThreadFallsBackToLooking) {
    Pty pty;
    ASSERT_GE(pty.fd, 0);
    EXPECT_FALSE(CountsModemChanges(pty.fd)); // so the port is polled by its owner
    errno = 0;
    EXPECT_EQ(WaitForModemChange(pty.fd), -1); // at once, without blocking
    EXPECT_TRUE(errno == ENOTTY || errno == EINVAL) << errno;

    // Should the wait be refused after all, the thread keeps telling, ten times a second.
    std::atomic<int> woke{0};
    ModemWaiter waiter(pty.fd, [&] { ++woke; });
    EXPECT_TRUE(Eventually([&] { return waiter.polling() && woke >= 3; }));
    waiter.stop();
}

TEST(ModemWatch, EndingAThreadBlockedInItsWaitLeavesNoThreadBehind) {
    int wake[2];
    ASSERT_EQ(pipe(wake), 0);
    // A wait that blocks as the driver's does until interrupted, and reports a change for every byte in the pipe.
    const auto wait = [&](int) {
        char c;
        return read(wake[0], &c, 1) == 1 ? 0 : -1;
    };
    const int before = ThreadCount();
    for (int round = 0; round < 100; ++round) {
        std::atomic<int> woke{0};
        ModemWaiter waiter(
            -1, [&] { ++woke; }, wait);
        ASSERT_TRUE(Eventually([&] { return woke == 1; })); // the first round tells unconditionally
        if (round % 10 == 0) {
            ASSERT_EQ(write(wake[1], "x", 1), 1);
            ASSERT_TRUE(Eventually([&] { return woke == 2; }));
        }
        waiter.stop(); // mostly blocked in read() by now; sometimes just before it
        EXPECT_FALSE(waiter.polling());
    }
    EXPECT_EQ(ThreadCount(), before);
    close(wake[0]);
    close(wake[1]);
}

} // namespace
} // namespace trelvo
