#pragma once
// The virtual serial device behind a link in a fresh temporary directory, for tests through a real
// pseudo-terminal. POSIX only. Tests using QSerialPort need a QCoreApplication (see QtTestMain below).

#include "tools/virtual_device.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace trelvo::test {

class LinkedVirtualDevice {
public:
    explicit LinkedVirtualDevice(const char* linkName = "ttyV0")
        : link_(dir_.path().toStdString() + "/" + linkName), device_(link_) {}

    // False (with the reason in lastError) when no pseudo-terminal can be had.
    bool start() { return dir_.isValid() && device_.start(); }
    vdev::VirtualDevice& device() { return device_; }
    vdev::VirtualDevice* operator->() { return &device_; }
    const std::string& link() const { return link_; }
    std::string directory() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
    std::string link_;
    vdev::VirtualDevice device_;
};

// Runs Qt's events until `done` holds or timeoutMs passed; true when it holds. For conditions that depend on
// another thread or the kernel, where no clock can be injected.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        // Wakes for the port's own events, or after 2 ms at the latest.
        QTimer::singleShot(2, [] {});
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs Qt's events until the device has received `count` bytes: the port writes from the event loop.
inline bool RunUntilReceived(vdev::VirtualDevice& device, std::size_t count, int timeoutMs = 3000) {
    return RunUntil([&] { return device.received().size() >= count; }, timeoutMs);
}

inline int QtTestMain(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace trelvo::test
