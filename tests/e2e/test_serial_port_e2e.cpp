// The production port on a real pseudo-terminal: open by name and by link, line settings as the other side sees
// them, bytes both ways, a device that vanishes and returns, a flood.
#include "serial/line_options.h"
#include "serial/qt_serial_device.h"

#include "support/virtual_device_fixture.h"
#include "support/line_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace trelvo {
namespace {

using test::Dcb;

std::string AllByteValues(int times) {
    std::string bytes;
    for (int t = 0; t < times; ++t)
        for (int b = 0; b < 256; ++b)
            bytes += static_cast<char>(b);
    return bytes;
}

// Reads what the device sent until `count` bytes came, through bytesWaiting() as the receive path does.
std::string ReadFromPort(QtSerialDevice& port, std::size_t count, int timeoutMs = 5000) {
    std::string got;
    got.reserve(count);
    test::RunUntil(
        [&] {
            const std::uint32_t waiting = port.bytesWaiting();
            if (waiting > 0) {
                std::string chunk(std::min<std::uint32_t>(waiting, 2048), '\0');
                chunk.resize(port.read(chunk.data(), static_cast<std::uint32_t>(chunk.size())));
                got += chunk;
            }
            return got.size() >= count;
        },
        timeoutMs);
    return got;
}

std::int64_t ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            std::int64_t kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

// How much the resident memory may grow while a flood is held back. A sanitizer keeps freed memory in quarantine,
// so its run gives a larger bound through TRELVO_FLOOD_RSS_SLACK_KIB.
std::int64_t FloodSlackKiB() {
    const char* text = std::getenv("TRELVO_FLOOD_RSS_SLACK_KIB");
    const std::int64_t kib = text ? std::atoll(text) : 0;
    return kib > 0 ? kib : 4 * 1024;
}

class SerialPortE2E : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(vdev.start()) << vdev->lastError(); }

    test::LinkedVirtualDevice vdev;
    QtSerialDevice port;
};

TEST_F(SerialPortE2E, OpensByNameAndByLinkAndMovesEveryByteValueBothWays) {
    const std::string all = AllByteValues(4);
    for (const std::string& name : {vdev->slavePath(), vdev.link()}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(port.open(name)) << port.lastErrorText();
        ASSERT_TRUE(port.applySettings(Dcb(9600, 8, 0))) << port.lastErrorText();

        vdev->send(all);
        EXPECT_EQ(ReadFromPort(port, all.size()), all);

        vdev->clearReceived();
        EXPECT_EQ(port.write(all.data(), static_cast<std::uint32_t>(all.size())), all.size());
        ASSERT_TRUE(test::RunUntilReceived(vdev.device(), all.size(), 5000));
        EXPECT_EQ(vdev->received(), all);

        port.close();
        EXPECT_FALSE(port.isOpen());
        EXPECT_FALSE(port.applySettings(Dcb(9600, 8, 0)));
    }
}

TEST_F(SerialPortE2E, EverySettingReachesTheTerminalRawWithoutParityOrFlowControl) {
    ASSERT_TRUE(port.open(vdev.link())) << port.lastErrorText();
    for (std::uint32_t baud : {1200u, 9600u, 115200u})
        for (std::uint8_t bits : {5, 6, 7, 8})
            for (std::uint8_t stop : {0, 1, 2}) {
                SCOPED_TRACE(std::to_string(baud) + " " + std::to_string(bits) + " " + std::to_string(stop));
                const bool possible = stop == 0 || (stop == 1) == (bits == 5);
                ASSERT_EQ(port.applySettings(Dcb(baud, bits, stop)), possible) << port.lastErrorText();
                if (!possible) {
                    EXPECT_EQ(port.lastErrorKind(), SerialErrorKind::Unsupported);
                    continue;
                }
                const auto line = vdev->lineState();
                ASSERT_TRUE(line.has_value());
                // Data bits cannot be seen here: a Linux pseudo-terminal reports 8 whatever it is given.
                EXPECT_EQ(line->stopBits, stop == 0 ? 1 : 2);
                EXPECT_EQ(line->baud, baud);
                EXPECT_FALSE(line->parity);
                EXPECT_FALSE(line->hardwareFlow);
                EXPECT_FALSE(line->softwareFlow);
                EXPECT_TRUE(line->raw);
            }
    EXPECT_TRUE(port.applySettings(Dcb(9600, 8, 0))); // the probe of a healthy port, settings unchanged
}

// A pseudo-terminal cannot show parity (it clears PARENB whatever it is given) but takes it without an error; flow
// control is seen from the far side. It has no control lines, and says so instead of failing.
TEST_F(SerialPortE2E, FlowControlReachesTheFarSideAndParityIsTakenWithoutError) {
    ASSERT_TRUE(port.open(vdev.link())) << port.lastErrorText();
    EXPECT_FALSE(port.hasControlLines());
    EXPECT_FALSE(port.controlLines());
    const struct {
        LineOptions options;
        tcflag_t cflag; // of CRTSCTS
        tcflag_t iflag; // of IXON, IXOFF
    } rows[] = {
        {{Parity::Even, FlowControl::Hardware}, CRTSCTS, 0},
        {{Parity::Odd, FlowControl::Software}, 0, IXON | IXOFF},
        {{Parity::Mark, FlowControl::None}, 0, 0},
        {{Parity::None, FlowControl::Hardware}, CRTSCTS, 0},
        {{Parity::Space, FlowControl::Software}, 0, IXON | IXOFF},
        {{Parity::None, FlowControl::None}, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.options.parity) * 10 + static_cast<int>(r.options.flow));
        PortDcb dcb = Dcb(9600, 8, 0);
        PutLineOptions(dcb, r.options);
        ASSERT_TRUE(port.applySettings(dcb)) << port.lastErrorText();
        const auto far = vdev->slaveTermios();
        ASSERT_TRUE(far.has_value());
        EXPECT_EQ(far->c_cflag & CRTSCTS, r.cflag);
        EXPECT_EQ(far->c_iflag & (IXON | IXOFF), r.iflag);
        EXPECT_TRUE(port.applySettings(dcb)) << port.lastErrorText(); // the probe with the same settings
    }
}

TEST_F(SerialPortE2E, AMissingDeviceFailsWithTheSystemsReason) {
    EXPECT_FALSE(port.open(vdev.directory() + "/ttyNothing"));
    EXPECT_EQ(port.lastErrorKind(), SerialErrorKind::System);
    EXPECT_EQ(port.lastErrorText(), "No such file or directory");
    EXPECT_FALSE(port.open(""));
    EXPECT_EQ(port.lastErrorKind(), SerialErrorKind::BadArgument);
}

TEST_F(SerialPortE2E, TheDeviceIsOursAloneUnderEveryName) {
    ASSERT_TRUE(port.open(vdev.link()));
    QtSerialDevice second;
    EXPECT_FALSE(second.open(vdev->slavePath()));
    EXPECT_EQ(second.lastErrorKind(), SerialErrorKind::System);
    EXPECT_FALSE(second.lastErrorText().empty());
    port.close();
    EXPECT_TRUE(second.open(vdev->slavePath())) << second.lastErrorText();
}

TEST_F(SerialPortE2E, AVanishedDeviceFailsTheProbeAndTheReturnedOneOpensOnTheSameLink) {
    ASSERT_TRUE(port.open(vdev.link()));
    ASSERT_TRUE(port.applySettings(Dcb(19200, 8, 0)));
    vdev->vanish();
    EXPECT_FALSE(port.applySettings(Dcb(19200, 8, 0)));
    EXPECT_EQ(port.lastErrorKind(), SerialErrorKind::System);
    EXPECT_EQ(port.bytesWaiting(), 0u);
    port.purge();
    port.close();
    EXPECT_FALSE(port.open(vdev.link()));

    ASSERT_TRUE(vdev->comeBack()) << vdev->lastError();
    ASSERT_TRUE(port.open(vdev.link())) << port.lastErrorText();
    ASSERT_TRUE(port.applySettings(Dcb(19200, 8, 0)));
    vdev->send("back\r\n");
    EXPECT_EQ(ReadFromPort(port, 6), "back\r\n");
}

// A vanished device stays readable and reads nothing; left open, Qt's read notifier would spin until the probe.
TEST_F(SerialPortE2E, AVanishedDeviceIsReleasedByTheEventLoopAlone) {
    ASSERT_TRUE(port.open(vdev.link()));
    ASSERT_TRUE(port.applySettings(Dcb(9600, 8, 0)));
    vdev->vanish();
    EXPECT_TRUE(test::RunUntil([&] { return !port.isOpen(); }));
    EXPECT_FALSE(port.applySettings(Dcb(9600, 8, 0)));
    EXPECT_EQ(port.lastErrorText(), "Input/output error");
    EXPECT_EQ(port.write("x", 1), 0u);
    EXPECT_EQ(port.lastErrorKind(), SerialErrorKind::System);
}

TEST_F(SerialPortE2E, AVanishedDeviceIsReleasedAtTheNextLookAtTheQueue) {
    ASSERT_TRUE(port.open(vdev.link()));
    ASSERT_TRUE(port.applySettings(Dcb(9600, 8, 0)));
    vdev->vanish();
    EXPECT_EQ(port.bytesWaiting(), 0u);
    EXPECT_FALSE(port.isOpen());
    port.close();
    EXPECT_EQ(port.lastErrorText(), "Input/output error");
}

TEST_F(SerialPortE2E, NothingSentBeforeTheOpenIsReadAfterIt) {
    vdev->send("stale");
    ASSERT_TRUE(vdev->waitUntilSent(3000));
    ASSERT_TRUE(port.open(vdev.link()));
    ASSERT_TRUE(port.applySettings(Dcb(9600, 8, 0)));
    vdev->send("fresh");
    EXPECT_EQ(ReadFromPort(port, 5), "fresh");
}

TEST_F(SerialPortE2E, AFloodIsHeldBackByTheLineWithoutLossAndMemoryStaysFlat) {
    constexpr std::size_t kTotal = 8u << 20;
    std::string pattern(kTotal, '\0');
    for (std::size_t i = 0; i < kTotal; ++i)
        pattern[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    ASSERT_TRUE(port.open(vdev.link()));
    ASSERT_TRUE(port.applySettings(Dcb(115200, 8, 0)));
    vdev->startStream(pattern, 0); // as fast as the line takes it
    const std::int64_t rssBefore = ResidentKiB();
    // Read nothing, let Qt's notifiers run, until the device can push no more.
    std::uint32_t mostWaiting = 0;
    std::uint64_t lastStreamed = 0;
    int unchanged = 0;
    ASSERT_TRUE(test::RunUntil(
        [&] {
            mostWaiting = std::max(mostWaiting, port.bytesWaiting());
            const std::uint64_t streamed = vdev->streamedBytes();
            unchanged = streamed == lastStreamed ? unchanged + 1 : 0;
            lastStreamed = streamed;
            return unchanged >= 20;
        },
        10000));
    EXPECT_LE(mostWaiting, QtSerialDevice::kReadBufferBytes);
    EXPECT_LT(lastStreamed, kTotal / 4) << "nothing held the device back";
    EXPECT_LT(ResidentKiB() - rssBefore, FloodSlackKiB());

    // Now read it all, as the receive path would; every byte arrives, in order.
    const std::string got = ReadFromPort(port, kTotal, 30000);
    ASSERT_EQ(got.size(), kTotal);
    EXPECT_TRUE(got == pattern);
    EXPECT_LT(ResidentKiB() - rssBefore - static_cast<std::int64_t>(got.capacity() / 1024), FloodSlackKiB());
}

} // namespace
} // namespace trelvo

int main(int argc, char** argv) {
    return trelvo::test::QtTestMain(argc, argv);
}
