#include "tools/virtual_device.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace trelvo::vdev {

namespace {

constexpr std::size_t kChunk = 4096;
constexpr std::size_t kMaxLine = 64 * 1024;

std::int64_t NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string SystemText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::uint32_t BaudOf(speed_t s) {
    static const std::pair<speed_t, std::uint32_t> table[] = {
        {B50, 50},         {B75, 75},         {B110, 110},     {B134, 134},     {B150, 150},       {B200, 200},
        {B300, 300},       {B600, 600},       {B1200, 1200},   {B1800, 1800},   {B2400, 2400},     {B4800, 4800},
        {B9600, 9600},     {B19200, 19200},   {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
#ifdef B921600
        {B460800, 460800}, {B921600, 921600},
#endif
    };
    for (const auto& [constant, baud] : table)
        if (constant == s) return baud;
    return 0;
}

} // namespace

LineState DecodeLineState(const termios& t) {
    LineState s;
    switch (t.c_cflag & CSIZE) {
    case CS5:
        s.dataBits = 5;
        break;
    case CS6:
        s.dataBits = 6;
        break;
    case CS7:
        s.dataBits = 7;
        break;
    default:
        s.dataBits = 8;
        break;
    }
    s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    s.parity = (t.c_cflag & PARENB) != 0;
    s.hardwareFlow = (t.c_cflag & CRTSCTS) != 0;
    s.softwareFlow = (t.c_iflag & (IXON | IXOFF)) != 0;
    s.raw = (t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN)) == 0 && (t.c_oflag & OPOST) == 0 &&
            (t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK)) == 0;
    s.baud = BaudOf(cfgetospeed(&t));
    return s;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        switch (c) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case 'x': {
            std::size_t digits = 0;
            int value = 0;
            while (digits < 2 && i + 1 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
                const char h = text[++i];
                value = value * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (h | 0x20) - 'a' + 10);
                ++digits;
            }
            if (digits == 0)
                out += "\\x";
            else
                out += static_cast<char>(value);
            break;
        }
        default:
            out += c;
            break; // \\ and \= and anything else stand for themselves
        }
    }
    return out;
}

bool ParseReplyRule(std::string_view text, std::string& request, std::string& reply) {
    // The first '=' not escaped splits the rule.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (text[i] == '=') {
            request = Unescape(text.substr(0, i));
            reply = Unescape(text.substr(i + 1));
            return true;
        }
    }
    return false;
}

VirtualDevice::VirtualDevice(std::string linkPath) : linkPath_(std::move(linkPath)) {}

VirtualDevice::~VirtualDevice() {
    stopThread();
    closeTerminal();
    if (!linkPath_.empty() && !slavePath_.empty()) ::unlink(linkPath_.c_str());
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

bool VirtualDevice::start() {
    if (present()) return true;
    if (wakeRead_ < 0) {
        int fds[2];
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
            error_ = SystemText("pipe");
            return false;
        }
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
    if (!openTerminal() || !placeLink()) {
        closeTerminal();
        return false;
    }
    startThread();
    return true;
}

bool VirtualDevice::openTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error_ = SystemText("posix_openpt");
        return false;
    }
    char name[128];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0) {
        error_ = SystemText("pseudo-terminal");
        return false;
    }
    slavePath_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        error_ = SystemText(slavePath_.c_str());
        return false;
    }
    // Raw from the start: a terminal in its default mode would echo and translate before the program opens it.
    termios t{};
    if (::tcgetattr(slave_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    return true;
}

void VirtualDevice::closeTerminal() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

bool VirtualDevice::placeLink() {
    if (linkPath_.empty()) return true;
    // Re-pointed in one step: a program polling the link never finds it missing or half made.
    const std::string temp = linkPath_ + ".new" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(slavePath_.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), linkPath_.c_str()) != 0) {
        error_ = SystemText(linkPath_.c_str());
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void VirtualDevice::vanish() {
    stopThread();
    closeTerminal();
    if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
    {
        std::lock_guard lock(mutex_);
        outgoing_.clear();
        pendingLine_.clear();
        streamActive_ = false;
    }
    outgoingChanged_.notify_all();
}

bool VirtualDevice::comeBack() {
    if (present()) return true;
    return start();
}

std::string VirtualDevice::slavePath() const {
    return slavePath_;
}

std::string VirtualDevice::portName() const {
    return linkPath_.empty() ? slavePath_ : linkPath_;
}

void VirtualDevice::setEcho(bool on) {
    std::lock_guard lock(mutex_);
    echo_ = on;
}

void VirtualDevice::addReply(std::string request, std::string reply) {
    std::lock_guard lock(mutex_);
    replies_.emplace_back(std::move(request), std::move(reply));
}

void VirtualDevice::send(std::string_view bytes) {
    {
        std::lock_guard lock(mutex_);
        outgoing_.append(bytes);
    }
    wake();
}

void VirtualDevice::startStream(std::string bytes, std::uint64_t bytesPerSecond, bool loop) {
    {
        std::lock_guard lock(mutex_);
        stream_ = std::move(bytes);
        streamRate_ = bytesPerSecond;
        streamLoop_ = loop;
        streamPos_ = 0;
        streamStartUs_ = NowUs();
        streamActive_ = !stream_.empty();
    }
    wake();
}

void VirtualDevice::stopStream() {
    std::lock_guard lock(mutex_);
    streamActive_ = false;
}

bool VirtualDevice::streaming() const {
    std::lock_guard lock(mutex_);
    return streamActive_;
}

std::uint64_t VirtualDevice::streamedBytes() const {
    std::lock_guard lock(mutex_);
    return streamPos_;
}

void VirtualDevice::setReadRate(std::uint64_t bytesPerSecond) {
    {
        std::lock_guard lock(mutex_);
        readRate_ = bytesPerSecond;
        readSinceRate_ = 0;
        readRateStartUs_ = NowUs();
    }
    wake();
}

void VirtualDevice::setReceiveCallback(std::function<void(std::string_view)> callback) {
    std::lock_guard lock(mutex_);
    onReceive_ = std::move(callback);
}

bool VirtualDevice::waitUntilSent(int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return outgoingChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return outgoing_.empty(); });
}

std::string VirtualDevice::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void VirtualDevice::clearReceived() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

bool VirtualDevice::waitForReceived(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return receivedChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [&] { return received_.size() >= count; });
}

std::optional<termios> VirtualDevice::slaveTermios() const {
    termios t{};
    if (slave_ < 0 || ::tcgetattr(slave_, &t) != 0) return std::nullopt;
    return t;
}

std::optional<LineState> VirtualDevice::lineState() const {
    const auto t = slaveTermios();
    if (!t) return std::nullopt;
    return DecodeLineState(*t);
}

void VirtualDevice::wake() {
    if (wakeWrite_ < 0) return;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, "x", 1); // a full pipe already wakes the thread
}

void VirtualDevice::startThread() {
    stop_ = false;
    thread_ = std::thread([this] { run(); });
}

void VirtualDevice::stopThread() {
    if (!thread_.joinable()) return;
    stop_ = true;
    wake();
    thread_.join();
    stop_ = false;
}

void VirtualDevice::handleReceived(const char* data, std::size_t n) {
    std::function<void(std::string_view)> callback;
    {
        std::lock_guard lock(mutex_);
        received_.append(data, n);
        if (echo_) outgoing_.append(data, n);
        for (std::size_t i = 0; i < n; ++i) {
            const char c = data[i];
            if (c != '\r' && c != '\n') {
                if (pendingLine_.size() < kMaxLine) pendingLine_ += c;
                continue;
            }
            if (pendingLine_.empty()) continue;
            for (const auto& [request, reply] : replies_)
                if (request == "*" || request == pendingLine_) {
                    outgoing_ += reply;
                    break;
                }
            pendingLine_.clear();
        }
        callback = onReceive_;
    }
    receivedChanged_.notify_all();
    if (callback) callback(std::string_view(data, n));
}

void VirtualDevice::run() {
    char buffer[kChunk];
    while (!stop_) {
        bool wantWrite = false;
        int timeoutMs = -1;
        std::size_t readAllowed = kChunk;
        {
            std::lock_guard lock(mutex_);
            if (readRate_ != 0) {
                const auto elapsedUs = static_cast<std::uint64_t>(NowUs() - readRateStartUs_);
                const std::uint64_t due = elapsedUs * readRate_ / 1'000'000;
                readAllowed = static_cast<std::size_t>(
                    std::min<std::uint64_t>(due > readSinceRate_ ? due - readSinceRate_ : 0, kChunk));
                if (readAllowed == 0) {
                    const auto nextUs = static_cast<std::int64_t>((readSinceRate_ + 1) * 1'000'000 / readRate_);
                    timeoutMs = static_cast<int>(std::clamp<std::int64_t>(
                        (nextUs - static_cast<std::int64_t>(elapsedUs) + 999) / 1000, 1, 1000));
                }
            }
            wantWrite = !outgoing_.empty();
            if (!wantWrite && streamActive_) {
                if (streamRate_ == 0) {
                    wantWrite = true;
                } else {
                    const std::int64_t dueUs = static_cast<std::int64_t>((streamPos_ + 1) * 1'000'000 / streamRate_);
                    const std::int64_t waitUs = dueUs - (NowUs() - streamStartUs_);
                    if (waitUs <= 0)
                        wantWrite = true;
                    else if (timeoutMs < 0)
                        timeoutMs = static_cast<int>(std::min<std::int64_t>((waitUs + 999) / 1000, 1000));
                    else
                        timeoutMs = std::min(timeoutMs, static_cast<int>((waitUs + 999) / 1000));
                }
            }
        }
        const short events = static_cast<short>((readAllowed > 0 ? POLLIN : 0) | (wantWrite ? POLLOUT : 0));
        pollfd fds[2] = {{master_, events, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents & POLLIN)
            while (::read(wakeRead_, buffer, sizeof buffer) > 0) {
            }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master_, buffer, readAllowed);
            if (n > 0) {
                {
                    std::lock_guard lock(mutex_);
                    readSinceRate_ += static_cast<std::uint64_t>(n);
                }
                handleReceived(buffer, static_cast<std::size_t>(n));
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Nothing to read from a hung-up master; do not spin on it.
            ::poll(&fds[1], 1, 10);
        }
        if (fds[0].revents & POLLOUT) {
            std::unique_lock lock(mutex_);
            if (!outgoing_.empty()) {
                const ssize_t n = ::write(master_, outgoing_.data(), std::min(outgoing_.size(), kChunk));
                if (n > 0) outgoing_.erase(0, static_cast<std::size_t>(n));
                if (outgoing_.empty()) {
                    lock.unlock();
                    outgoingChanged_.notify_all();
                }
            } else if (streamActive_) {
                std::uint64_t allowed = std::numeric_limits<std::uint64_t>::max();
                if (streamRate_ != 0) {
                    const auto elapsedUs = static_cast<std::uint64_t>(NowUs() - streamStartUs_);
                    const std::uint64_t due = elapsedUs * streamRate_ / 1'000'000;
                    allowed = due > streamPos_ ? due - streamPos_ : 0;
                }
                const std::size_t offset = static_cast<std::size_t>(streamPos_ % stream_.size());
                const std::size_t length =
                    std::min<std::uint64_t>({allowed, stream_.size() - offset, static_cast<std::uint64_t>(kChunk)});
                if (length > 0) {
                    const ssize_t n = ::write(master_, stream_.data() + offset, length);
                    if (n > 0) streamPos_ += static_cast<std::uint64_t>(n);
                }
                if (!streamLoop_ && streamPos_ >= stream_.size()) streamActive_ = false;
            }
        }
    }
}

} // namespace trelvo::vdev
