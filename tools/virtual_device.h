#pragma once
// A serial device without hardware: the far side of a pseudo-terminal, optionally reachable through a symbolic
// link (/dev/ttyV0, or a link in a scratch directory). It echoes, answers lines, streams bytes at a rate, records
// what it receives, and can vanish and come back on the same link. POSIX only.

#include <termios.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trelvo::vdev {

// The line settings the program on the other side gave the terminal.
struct LineState {
    int dataBits = 8; // a Linux pseudo-terminal always reports 8
    int stopBits = 1; // 1 or 2 (two stop bits with 5 data bits is how termios says 1.5)
    bool parity = false;
    bool hardwareFlow = false; // CRTSCTS
    bool softwareFlow = false; // IXON or IXOFF
    bool raw = false;          // no echo, no line editing, no signals, no translation in or out
    std::uint32_t baud = 0;
};

LineState DecodeLineState(const termios& t);

class VirtualDevice {
public:
    // linkPath empty: no link; the port is then reached by slavePath().
    explicit VirtualDevice(std::string linkPath = {});
    ~VirtualDevice();
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    // Opens the pseudo-terminal and places the link. False with lastError() set.
    bool start();
    // Closes the master side and removes the link: to the program the device is gone.
    void vanish();
    // A new pseudo-terminal behind the same link. Behaviours and the record are kept.
    bool comeBack();

    bool present() const { return master_ >= 0; }
    const std::string& lastError() const { return error_; }
    std::string slavePath() const;
    // The name to open the port by: the link, or the slave path without one.
    std::string portName() const;

    // Behaviours; all may change while running.
    void setEcho(bool on);
    // A received line (ended by CR or LF, empty lines skipped) equal to `request` is answered with `reply`;
    // the request "*" answers every line.
    void addReply(std::string request, std::string reply);
    void send(std::string_view bytes);
    // Waits until everything given to send() (and every echo and reply) is in the terminal. True when it is.
    bool waitUntilSent(int timeoutMs) const;
    // Sends `bytes` at bytesPerSecond (0: as fast as the line takes them), once or over and over.
    void startStream(std::string bytes, std::uint64_t bytesPerSecond, bool loop = false);
    void stopStream();
    bool streaming() const;
    std::uint64_t streamedBytes() const; // of the current stream
    // Takes what the program writes at bytesPerSecond at most (0, the default: as fast as it comes), so a long line
    // drains slowly, as on a slow serial line.
    void setReadRate(std::uint64_t bytesPerSecond);
    // Called on the device's own thread with every chunk received.
    void setReceiveCallback(std::function<void(std::string_view)> callback);

    std::string received() const;
    void clearReceived();
    // Waits until `count` bytes have been received in all, or timeoutMs passed. True when they have.
    bool waitForReceived(std::size_t count, int timeoutMs) const;

    // The terminal attributes as the program set them; nothing while vanished.
    std::optional<termios> slaveTermios() const;
    std::optional<LineState> lineState() const;

private:
    bool openTerminal();
    void closeTerminal();
    bool placeLink();
    void startThread();
    void stopThread();
    void run();
    void handleReceived(const char* data, std::size_t n);
    void wake();

    std::string linkPath_;
    std::string slavePath_;
    std::string error_;
    int master_ = -1;
    int slave_ = -1; // held open so the master never sees a hang-up while the program has the port closed
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;
    mutable std::condition_variable receivedChanged_;
    mutable std::condition_variable outgoingChanged_;
    bool echo_ = false;
    std::vector<std::pair<std::string, std::string>> replies_;
    std::string pendingLine_;
    std::string outgoing_; // echo, replies and send(), ahead of the stream
    std::string stream_;
    std::uint64_t streamRate_ = 0;
    bool streamLoop_ = false;
    bool streamActive_ = false;
    std::uint64_t streamPos_ = 0; // bytes of the stream sent
    std::int64_t streamStartUs_ = 0;
    std::uint64_t readRate_ = 0;
    std::uint64_t readSinceRate_ = 0; // bytes read since the rate was set
    std::int64_t readRateStartUs_ = 0;
    std::string received_;
    std::function<void(std::string_view)> onReceive_;
};

// "REQUEST=REPLY" with C escapes (\r \n \t \\ \xHH) in both halves. False when there is no '='.
bool ParseReplyRule(std::string_view text, std::string& request, std::string& reply);
std::string Unescape(std::string_view text);

} // namespace trelvo::vdev
