#pragma once
#include "serial/serial_device.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace trelvo::test {

// A scripted port: names in `present` open; bytes pushed into `incoming` wait to be read; writes are recorded.
// With `holdWrites` the written bytes wait in `outgoing` until drain() lets the line take them, as a slow line would.
// `log` lists every call in order, for tests of call sequences. With `hasLines` the port has control lines: `lines`
// holds all six as ControlLine bits, DTR and RTS as last set. With `tellsLines` as well, the port tells changes of
// its status lines through `linesNotify` (the test calls it) until it closes.
class FakeSerialDevice final : public SerialDevice {
public:
    std::set<std::string> present{"COM3"};
    bool refuseSettings = false;
    std::function<bool(const PortDcb&)> refuses; // settings the driver does not take
    bool hasLines = false;
    unsigned lines = 0;
    bool breakOn = false;
    bool tellsLines = false;
    std::function<void()> linesNotify;
    bool gone = false; // the device vanished: every call on the open handle fails
    bool refuseWrites = false;
    bool isOpen = false;
    std::string openedName;
    PortDcb lastDcb;
    std::string incoming; // bytes waiting in the driver queue
    // A port that stamps its bytes on arrival: one monotonic reading per byte of `incoming` (see arrive()).
    std::deque<std::int64_t> arrivalMs;
    std::string written;  // everything that went out, in order
    bool holdWrites = false;
    std::string outgoing; // taken by write(), not yet out
    std::function<void(std::uint64_t)> writtenListener;
    std::vector<std::string> writes;
    std::vector<std::string> log;
    std::uint32_t queueLimit = 2048; // bytesWaiting() reports at most this much, like a driver queue
    // When set, the reason reported for every failure (for example "Permission denied" for a refused open).
    std::string errorText;
    SerialErrorKind errorKind = SerialErrorKind::None;

    bool open(const std::string& name) override {
        log.push_back("open " + name);
        if (!present.count(name) || isOpen) return false;
        isOpen = true;
        gone = false;
        openedName = name;
        return true;
    }
    void setQueueSizes(std::uint32_t in, std::uint32_t out) override {
        log.push_back("queues " + std::to_string(in) + " " + std::to_string(out));
    }
    bool applySettings(const PortDcb& dcb) override {
        log.push_back("settings");
        if (!isOpen || gone || refuseSettings || (refuses && refuses(dcb))) return false;
        lastDcb = dcb;
        return true;
    }
    void arrive(std::int64_t ms, const std::string& bytes) {
        incoming += bytes;
        arrivalMs.insert(arrivalMs.end(), bytes.size(), ms);
    }
    std::uint32_t bytesWaiting() override {
        if (!isOpen || gone) return 0;
        std::size_t n = incoming.size();
        if (!arrivalMs.empty())
            n = static_cast<std::size_t>(
                std::find_if(arrivalMs.begin(), arrivalMs.end(), [&](std::int64_t ms) { return ms != arrivalMs[0]; }) -
                arrivalMs.begin());
        return static_cast<std::uint32_t>(std::min<std::size_t>(n, queueLimit));
    }
    std::uint32_t read(char* buffer, std::uint32_t maxBytes) override {
        if (!isOpen || gone) return 0;
        const std::uint32_t n = static_cast<std::uint32_t>(std::min<std::size_t>(maxBytes, incoming.size()));
        std::copy_n(incoming.data(), n, buffer);
        incoming.erase(0, n);
        arrivalMs.erase(arrivalMs.begin(), arrivalMs.begin() + std::min<std::size_t>(n, arrivalMs.size()));
        return n;
    }
    std::optional<std::int64_t> nextArrivalMs() override {
        if (!isOpen || gone || arrivalMs.empty()) return std::nullopt;
        return arrivalMs.front();
    }
    int patienceMs = -1; // as the window last set it
    void setArrivalPatience(int ms) override { patienceMs = ms; }
    std::uint32_t write(const char* data, std::uint32_t count) override {
        log.push_back("write");
        if (!isOpen || gone || refuseWrites) return 0;
        writes.emplace_back(data, count);
        (holdWrites ? outgoing : written).append(data, count);
        return count;
    }
    void purge() override {
        log.push_back("purge");
        incoming.clear();
        arrivalMs.clear();
        outgoing.clear();
    }
    void close() override {
        log.push_back("close");
        isOpen = false;
        linesNotify = nullptr;
        outgoing.clear();
    }
    std::uint64_t bytesToWrite() override { return outgoing.size(); }
    void setBytesWrittenListener(std::function<void(std::uint64_t)> listener) override {
        writtenListener = std::move(listener);
    }
    void purgeInput() override {
        log.push_back("purge input");
        incoming.clear();
        arrivalMs.clear();
    }
    void purgeOutput() override {
        log.push_back("purge output");
        outgoing.clear();
    }
    // The line takes `n` more of the bytes waiting to go out, and the port says so.
    void drain(std::size_t n) {
        n = std::min(n, outgoing.size());
        if (n == 0) return;
        written.append(outgoing, 0, n);
        outgoing.erase(0, n);
        if (writtenListener) writtenListener(n);
    }
    bool hasControlLines() override { return isOpen && hasLines; }
    bool setControlLine(ControlLine line, bool on) override {
        log.push_back(std::string(line == kDtr ? "dtr " : "rts ") + (on ? "1" : "0"));
        if (!hasControlLines() || gone) return false;
        lines = on ? lines | line : lines & ~static_cast<unsigned>(line);
        return true;
    }
    std::optional<unsigned> controlLines() override {
        if (!hasControlLines() || gone) return std::nullopt;
        return lines;
    }
    bool setControlLinesNotify(std::function<void()> notify) override {
        log.push_back("lines notify");
        linesNotify = nullptr;
        if (!notify || !hasControlLines() || !tellsLines) return false;
        linesNotify = std::move(notify);
        return true;
    }
    bool setBreak(bool on) override {
        log.push_back(std::string("break ") + (on ? "1" : "0"));
        if (!hasControlLines() || gone) return false;
        breakOn = on;
        return true;
    }
    SerialErrorKind lastErrorKind() const override { return errorKind; }
    std::string lastErrorText() const override {
        if (!errorText.empty()) return errorText;
        return gone ? "Input/output error" : "";
    }
};

} // namespace trelvo::test
