// QtSerialDevice on POSIX systems: termios on the descriptor QSerialPort opened, hang-up by poll().
#include "serial/posix_termios.h"
#include "serial/serial_platform.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace trelvo::serial_platform {

namespace {

Outcome SystemError(int error) {
    return {SerialErrorKind::System, std::strerror(error)};
}

// A device that went away (an unplugged adapter, the other side of a pseudo-terminal closed) reports hang-up or an
// error on its descriptor, even where its attributes can still be set. The same look tells of bytes to read.
bool HungUp(int fd, bool* input = nullptr) {
    pollfd p{fd, static_cast<short>(input ? POLLIN : 0), 0};
    int r;
    do
        r = ::poll(&p, 1, 0);
    while (r < 0 && errno == EINTR);
    if (input) *input = r > 0 && (p.revents & POLLIN) != 0;
    return r < 0 || (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0);
}

bool IsPseudoTerminal(int fd) {
    char name[256];
    return ::ttyname_r(fd, name, sizeof name) == 0 && std::string_view(name).starts_with("/dev/pts/");
}

} // namespace

Outcome CheckPresent(QSerialPort& port, bool* input) {
    if (HungUp(static_cast<int>(port.handle()), input)) return SystemError(EIO);
    return {};
}

Outcome AfterOpen(QSerialPort& port) {
    const int fd = static_cast<int>(port.handle());
    // Across every name of the same device (a link, its target) and for root too, which TIOCEXCL lets through.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return SystemError(errno == EWOULDBLOCK ? EBUSY : errno);
    // A closed serial port receives nothing; a pseudo-terminal keeps what was sent to it before the open.
    ::tcflush(fd, TCIOFLUSH);
    return {};
}

Outcome ApplyLineSettings(QSerialPort& port, const PortDcb& dcb, bool fresh) {
    const int fd = static_cast<int>(port.handle());
    if (HungUp(fd)) return SystemError(EIO);

    termios current{};
    if (::tcgetattr(fd, &current) != 0) return SystemError(errno);
    termios wanted{};
    std::string problem;
    if (!posix::MakeLineTermios(current, dcb, wanted, problem)) return {SerialErrorKind::Unsupported, problem};

    // Unchanged settings are not set again: this runs once a second as the liveness probe. New settings are always
    // set, even where they look the same: a pseudo-terminal reads back no parity whatever it was given.
    const bool pty = !posix::SameLineSettings(current, wanted, false) && IsPseudoTerminal(fd);
    if (fresh || !posix::SameLineSettings(current, wanted, pty)) {
        if (::tcsetattr(fd, TCSANOW, &wanted) != 0) return SystemError(errno);
        // tcsetattr succeeds when any part was taken; what the driver really took is read back.
        termios taken{};
        if (::tcgetattr(fd, &taken) != 0) return SystemError(errno);
        if (!posix::SameLineSettings(taken, wanted, pty))
            return {SerialErrorKind::Unsupported, "Драйвер не принимает эти параметры линии"};
    }
    if (HungUp(fd)) return SystemError(EIO);
    return {};
}

} // namespace trelvo::serial_platform
