#include "serial/modem_watch_posix.h"

#include "serial/modem_watch.h"

#include <QObject>
#include <QSerialPort>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <sys/ioctl.h>
#include <tuple>

#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace trelvo {

namespace {

using namespace std::chrono_literals;

// Interrupts a waiting thread. The program uses no real-time signal of its own; this one has a handler that does
// nothing, installed without SA_RESTART so that the interrupted wait returns EINTR instead of starting again.
int StopSignal() {
    return SIGRTMIN + 3;
}

void OnStopSignal(int) {}

void InstallStopHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(StopSignal(), &action, nullptr);
    });
}

// How often a port whose driver refuses the wait is looked at.
constexpr long kPollNs = 100'000'000;

#if defined(__linux__)
using Counts = std::tuple<int, int, int, int>; // CTS, DSR, RI, DCD changes so far

bool ReadCounts(int fd, Counts& counts) {
    serial_icounter_struct c{};
    if (::ioctl(fd, TIOCGICOUNT, &c) != 0) return false;
    counts = {c.cts, c.dsr, c.rng, c.dcd};
    return true;
}
#else
using Counts = int;

bool ReadCounts(int, Counts&) {
    return false;
}
#endif

} // namespace

int WaitForModemChange(int fd) {
#if defined(TIOCMIWAIT)
    return ::ioctl(fd, TIOCMIWAIT, TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG);
#else
    (void)fd;
    errno = ENOTTY;
    return -1;
#endif
}

bool CountsModemChanges(int fd) {
    Counts counts{};
    return ReadCounts(fd, counts);
}

ModemWaiter::ModemWaiter(int fd, std::function<void()> woke, Wait wait)
    : fd_(fd), woke_(std::move(woke)), wait_(std::move(wait)) {
    InstallStopHandler();
    thread_ = std::thread([this] { run(); });
}

ModemWaiter::~ModemWaiter() {
    stop();
}

void ModemWaiter::run() {
    sigset_t stopSignal;
    sigemptyset(&stopSignal);
    sigaddset(&stopSignal, StopSignal());
    pthread_sigmask(SIG_UNBLOCK, &stopSignal, nullptr);

    // The wait only sees changes after it began: a change while this thread was telling or waking up shows in the
    // driver's counts, and is told before the next wait. The first round tells unconditionally, for any change
    // since the owner last read the lines.
    Counts told{};
    bool first = true;
    while (!stop_) {
        if (polling_) {
            timespec pause{0, kPollNs};
            nanosleep(&pause, nullptr); // the stop signal cuts it short
            if (!stop_) woke_();
            continue;
        }
        Counts now{};
        if (!ReadCounts(fd_, now) || first || now != told) {
            first = false;
            told = now;
            woke_();
        }
        if (stop_) break;
        if (wait_(fd_) == 0 || errno == EINTR) continue;
        // Refused (EINVAL, ENOTTY, the kernel's ENOIOCTLCMD), or the device failing: look instead of waiting, at
        // the rate of the window's own poll.
        polling_ = true;
    }
    std::lock_guard lock(mutex_);
    done_ = true;
    doneChanged_.notify_all();
}

void ModemWaiter::stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    {
        std::unique_lock lock(mutex_);
        // A signal that lands just before the thread enters its wait is spent on the handler and the wait blocks;
        // sending again until the thread is done covers that.
        while (!done_) {
            pthread_kill(thread_.native_handle(), StopSignal());
            doneChanged_.wait_for(lock, 10ms);
        }
    }
    thread_.join();
}

namespace {

// Tells the port's thread, at most one telling on its way at a time.
class PosixModemWatch final : public ModemWatch {
public:
    PosixModemWatch(int fd, std::function<void()> changed)
        : changed_(std::move(changed)), waiter_(fd, [this] { tell(); }) {}

private:
    void tell() {
        if (pending_.exchange(true)) return;
        QMetaObject::invokeMethod(
            &receiver_,
            [this] {
                pending_ = false; // cleared before the owner reads the lines: a later change is told again
                changed_();
            },
            Qt::QueuedConnection);
    }

    // Declared first, destroyed last: a telling still queued goes with it, after the thread has ended.
    QObject receiver_;
    std::function<void()> changed_;
    std::atomic<bool> pending_{false};
    ModemWaiter waiter_;
};

} // namespace

std::unique_ptr<ModemWatch> ModemWatch::Start(QSerialPort& port, std::function<void()> changed) {
    if (!port.isOpen() || !CountsModemChanges(port.handle())) return nullptr;
    return std::make_unique<PosixModemWatch>(port.handle(), std::move(changed));
}

} // namespace trelvo
