// Connection control on the production port and port list, with the virtual device on a link.
#include "serial/connection.h"
#include "serial/port_lister.h"
#include "serial/qt_serial_device.h"

#include "support/manual_clock.h"
#include "support/recording_dialogs.h"
#include "support/virtual_device_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace trelvo {
namespace {

class ConnectionE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(vdev.start()) << vdev->lastError();
        selection = {vdev.link(), "9600", "8", "1"};
    }

    // What the receive path would read now.
    std::string readWaiting() {
        std::string got;
        test::RunUntil([&] {
            RefreshPortStat(port, device);
            if (port.PortStat.cbInQue == 0) return !got.empty();
            std::string chunk(port.PortStat.cbInQue, '\0');
            chunk.resize(device.read(chunk.data(), port.PortStat.cbInQue));
            got += chunk;
            return false;
        });
        return got;
    }

    test::LinkedVirtualDevice vdev;
    PortState port;
    QtSerialDevice device;
    test::ManualClock clock; // the 2000 ms pause after a reopen passes at once
    test::RecordingDialogs dialogs;
    ConnectionControl control{port, device, clock, dialogs};
    PortSelection selection;
};

TEST_F(ConnectionE2E, TheLinkIsListedAndConnects) {
    const auto lister = MakeSystemPortLister(vdev.directory(), "/dev/pts");
    const PortListing listing = ScanPorts(*lister, dialogs, false);
    EXPECT_NE(std::find(listing.entries.begin(), listing.entries.end(), vdev.link()), listing.entries.end());
    EXPECT_TRUE(listing.firstSelected);

    EXPECT_TRUE(control.connectClick(selection, true).sendAfterConnect);
    EXPECT_EQ(control.view().portBoxColour, PortBoxColour::Lime);
    EXPECT_TRUE(port.PortOpen);
    EXPECT_TRUE(dialogs.messages.empty());
    vdev->send("hello");
    EXPECT_EQ(readWaiting(), "hello");
}

TEST_F(ConnectionE2E, TheRatesAbove115200ReachTheLine) {
    for (const char* rate : {"230400", "460800", "921600"}) {
        selection.baudRate = rate;
        control.connectClick(selection, false);
        ASSERT_TRUE(port.PortOpen) << rate << ": " << (dialogs.messages.empty() ? "" : dialogs.messages.back());
        EXPECT_EQ(vdev->lineState()->baud, std::stoul(rate));
        control.connectClick(selection, false);
    }
}

TEST_F(ConnectionE2E, ALostDeviceTurnsRedAtTheNextTickAndIsClosed) {
    control.connectClick(selection, false);
    control.checkConnectTick(selection, false, false);
    EXPECT_EQ(control.view().portBoxColour, PortBoxColour::Lime);

    vdev->vanish();
    control.checkConnectTick(selection, false, false);
    EXPECT_EQ(control.view().portBoxColour, PortBoxColour::Red);
    EXPECT_EQ(control.view().caption, "Disconnect");
    EXPECT_FALSE(port.PortOpen);
    EXPECT_FALSE(device.isOpen());
}

TEST_F(ConnectionE2E, WithAutoConnectTheReturnedDeviceIsReopenedOnTheSameLink) {
    control.connectClick(selection, false);
    vdev->vanish();
    control.checkConnectTick(selection, true, true);
    EXPECT_EQ(control.view().portBoxColour, PortBoxColour::Yellow);
    control.checkConnectTick(selection, true, true);
    EXPECT_EQ(control.view().portBoxColour, PortBoxColour::Yellow);

    ASSERT_TRUE(vdev->comeBack()) << vdev->lastError();
    const std::int64_t slept = clock.sleptMs;
    EXPECT_TRUE(control.checkConnectTick(selection, true, true).sendAfterConnect);
    EXPECT_EQ(control.view().portBoxColour, PortBoxColour::Lime);
    EXPECT_EQ(clock.sleptMs - slept, 5 + 2000);
    EXPECT_TRUE(port.PortOpen);
    EXPECT_TRUE(dialogs.messages.empty());

    // The reopened port works both ways, with the settings of the boxes.
    EXPECT_EQ(vdev->lineState()->baud, 9600u);
    const std::string line = "after reconnect\r\n";
    EXPECT_EQ(device.write(line.data(), static_cast<std::uint32_t>(line.size())), line.size());
    ASSERT_TRUE(test::RunUntilReceived(vdev.device(), line.size(), 3000));
    EXPECT_EQ(vdev->received(), line);
    vdev->send("ok");
    EXPECT_EQ(readWaiting(), "ok");
}

} // namespace
} // namespace trelvo

int main(int argc, char** argv) {
    return trelvo::test::QtTestMain(argc, argv);
}
