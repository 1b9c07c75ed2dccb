#include "serial/posix_termios.h"

namespace trelvo::posix {

speed_t SpeedConstant(std::uint32_t baud) {
    switch (baud) {
    case 50:
        return B50;
    case 75:
        return B75;
    case 110:
        return B110;
    case 134:
        return B134;
    case 150:
        return B150;
    case 200:
        return B200;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 1800:
        return B1800;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
#ifdef B460800 // not every system names the rates above 230400
    case 460800:
        return B460800;
#endif
#ifdef B921600
    case 921600:
        return B921600;
#endif
    default:
        return B0;
    }
}

bool MakeLineTermios(const termios& current, const PortDcb& dcb, termios& out, std::string& problem) {
    const speed_t speed = SpeedConstant(dcb.BaudRate);
    if (speed == B0) {
        problem = "Скорость " + std::to_string(dcb.BaudRate) + " бод не поддерживается";
        return false;
    }
    tcflag_t size = 0;
    switch (dcb.ByteSize) {
    case 5:
        size = CS5;
        break;
    case 6:
        size = CS6;
        break;
    case 7:
        size = CS7;
        break;
    case 8:
        size = CS8;
        break;
    default:
        problem = "Число бит данных " + std::to_string(dcb.ByteSize) + " не поддерживается";
        return false;
    }
    bool twoStopBits = false;
    switch (dcb.StopBits) {
    case 0:
        break;
    case 1:
        if (dcb.ByteSize != 5) {
            problem = "1,5 стоп-бита возможны только при 5 битах данных";
            return false;
        }
        twoStopBits = true;
        break;
    case 2:
        if (dcb.ByteSize == 5) {
            problem = "2 стоп-бита невозможны при 5 битах данных";
            return false;
        }
        twoStopBits = true;
        break;
    default:
        problem = "Неизвестное число стоп-бит";
        return false;
    }

    tcflag_t parity = 0;
    switch (dcb.Parity) {
    case 0:
        break;
    case 1:
        parity = PARENB | PARODD;
        break;
    case 2:
        parity = PARENB;
        break;
#ifdef CMSPAR // mark and space are a stuck parity bit: odd gives 1, even gives 0
    case 3:
        parity = PARENB | PARODD | CMSPAR;
        break;
    case 4:
        parity = PARENB | CMSPAR;
        break;
#endif
    default:
        problem = "Такая чётность не поддерживается";
        return false;
    }

    out = current;
    cfmakeraw(&out);
    // A parity error does not change or drop the byte: every byte passes as it came.
    out.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP | IGNBRK | BRKINT);
    if (dcb.fOutX) out.c_iflag |= IXON;
    if (dcb.fInX) out.c_iflag |= IXOFF;
    out.c_cc[VSTART] = 0x11;
    out.c_cc[VSTOP] = 0x13;
    out.c_oflag &= ~OPOST;
    out.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tcflag_t clear = CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS;
#ifdef CMSPAR
    clear |= CMSPAR;
#endif
    out.c_cflag &= ~clear;
    out.c_cflag |= size | parity | CREAD | CLOCAL | (twoStopBits ? CSTOPB : 0) | (dcb.fOutxCtsFlow ? CRTSCTS : 0);
    out.c_cc[VMIN] = 0;
    out.c_cc[VTIME] = 0;
    cfsetispeed(&out, speed);
    cfsetospeed(&out, speed);
    return true;
}

bool SameLineSettings(const termios& a, const termios& b, bool pseudoTerminal) {
    const tcflag_t ignored = pseudoTerminal ? (CSIZE | PARENB) : 0;
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag &&
           (a.c_cflag & ~ignored) == (b.c_cflag & ~ignored) && a.c_cc[VMIN] == b.c_cc[VMIN] &&
           a.c_cc[VTIME] == b.c_cc[VTIME] && cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

} // namespace trelvo::posix
