#include "serial/port_state.h"

#include "support/fake_serial_device.h"
#include "support/manual_clock.h"
#include "support/recording_dialogs.h"
#include "support/line_settings.h"

#include <gtest/gtest.h>

namespace trelvo {
namespace {

using Log = std::vector<std::string>;

using test::Dcb;

TEST(PortDcbFromBoxes, EveryDataAndStopBitCombinationSetsOnlyItsFourFields) {
    const std::pair<const char*, std::uint8_t> stops[] = {{"1", 0}, {"1,5", 1}, {"2", 2}};
    for (const char* bits : {"5", "6", "7", "8"})
        for (const auto& [stopText, stopCode] : stops) {
            SCOPED_TRACE(std::string(bits) + " / " + stopText);
            const auto dcb = PortDcbFromBoxes("9600", bits, stopText);
            ASSERT_TRUE(dcb.has_value());
            // The whole record is compared: every other field stays zero.
            EXPECT_EQ(*dcb, Dcb(9600, static_cast<std::uint8_t>(std::stoi(bits)), stopCode));
        }
}

TEST(PortDcbFromBoxes, EveryBaudRateEntryConverts) {
    for (std::uint32_t baud : {1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u})
        EXPECT_EQ(PortDcbFromBoxes(std::to_string(baud), "8", "1"), Dcb(baud, 8, 0)) << baud;
}

TEST(PortDcbFromBoxes, ABoxWithoutAUsableEntryIsNamedInsteadOfThrowing) {
    struct Row {
        const char *baud, *bits, *stop, *box;
    };
    const Row rows[] = {
        {"", "8", "1", "BaudRate"},       {"96O0", "8", "1", "BaudRate"},      {"-9600", "8", "1", "BaudRate"},
        {"0", "8", "1", "BaudRate"},      {"9600", "", "1", "ComBits"},        {"9600", "eight", "1", "ComBits"},
        {"9600", "8", "", "ComStopBits"}, {"9600", "8", "1.5", "ComStopBits"}, {"9600", "8", "3", "ComStopBits"},
        {"", "", "", "BaudRate"}, // the first box is reported first
    };
    for (const Row& r : rows) {
        std::string problem;
        EXPECT_FALSE(PortDcbFromBoxes(r.baud, r.bits, r.stop, &problem).has_value()) << r.baud << r.bits << r.stop;
        EXPECT_NE(problem.find(r.box), std::string::npos) << problem;
    }
}

class OpenPortTest : public ::testing::Test {
protected:
    OpenResult open(const std::string& port = "COM3") {
        return OpenPort(state, {port, "9600", "8", "1"}, device, clock, dialogs);
    }

    PortState state;
    test::FakeSerialDevice device;
    test::ManualClock clock;
    test::RecordingDialogs dialogs;
};

TEST_F(OpenPortTest, FirstOpenRunsTheStepsInOrder) {
    const OpenResult r = OpenPort(state, {"COM3", "115200", "7", "2"}, device, clock, dialogs);
    EXPECT_TRUE(r.ok);
    // No probe call: there is no previous handle yet.
    EXPECT_EQ(device.log, (Log{"open COM3", "queues 2048 2048", "settings"}));
    EXPECT_EQ(clock.sleptMs, 5);
    EXPECT_EQ(device.lastDcb, Dcb(115200, 7, 2));
    EXPECT_EQ(state.PortDcb, Dcb(115200, 7, 2));
    EXPECT_EQ(state.PortHandle, HandleState::Valid);
    EXPECT_TRUE(state.PortOpen);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OpenPortTest, ReopenWhileOpenReleasesTheOldHandleFirst) {
    ASSERT_TRUE(open().ok);
    device.log.clear();
    EXPECT_TRUE(open().ok);
    // Probe with the previous settings, close without purge, then the open as usual.
    EXPECT_EQ(device.log, (Log{"settings", "close", "open COM3", "queues 2048 2048", "settings"}));
    EXPECT_EQ(clock.sleptMs, 10);
}

TEST_F(OpenPortTest, ReopenAfterCloseFindsNothingToRelease) {
    ASSERT_TRUE(open().ok);
    ClosePort(state, device);
    device.log.clear();
    EXPECT_TRUE(open().ok);
    EXPECT_EQ(device.log, (Log{"settings", "open COM3", "queues 2048 2048", "settings"}));
}

TEST_F(OpenPortTest, EmptySelectionAsksForAPortAndOpensNothing) {
    const OpenResult r = open("");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, OpenFailure::NoPortSelected);
    EXPECT_EQ(dialogs.messages, (Log{"Выбери порт!"}));
    EXPECT_TRUE(device.log.empty());
    EXPECT_EQ(clock.sleptMs, 5);
    EXPECT_EQ(state.PortHandle, HandleState::Invalid);
    EXPECT_FALSE(state.PortOpen);
}

TEST_F(OpenPortTest, RefusedOpenKeepsPortOpenAndCarriesTheSystemReason) {
    device.present.clear();
    device.errorText = "Permission denied";
    device.errorKind = SerialErrorKind::System;
    const OpenResult r = open();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, OpenFailure::OpenRefused);
    EXPECT_EQ(r.reason, "Permission denied");
    EXPECT_EQ(state.PortHandle, HandleState::Invalid);
    EXPECT_FALSE(state.PortOpen);
    EXPECT_TRUE(dialogs.messages.empty());

    device.log.clear();
    ClosePort(state, device);
    EXPECT_TRUE(device.log.empty());
    EXPECT_FALSE(ProbePort(state, device));
    EXPECT_TRUE(device.log.empty());
}

TEST_F(OpenPortTest, RefusedSettingsCloseThePortAgainSoItCanBeOpenedLater) {
    device.refuseSettings = true;
    device.errorText = "Invalid argument";
    const OpenResult r = open();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, OpenFailure::SettingsRefused);
    EXPECT_EQ(r.reason, "Invalid argument");
    EXPECT_FALSE(state.PortOpen);
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(device.log, (Log{"open COM3", "queues 2048 2048", "settings", "close"}));

    device.refuseSettings = false;
    EXPECT_TRUE(open().ok);
    EXPECT_TRUE(device.isOpen);
}

TEST_F(OpenPortTest, ABoxWithoutEntryTouchesNothing) {
    const OpenResult r = OpenPort(state, {"COM3", "", "8", "1"}, device, clock, dialogs);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, OpenFailure::NoSettingChosen);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_TRUE(device.log.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(clock.sleptMs, 0);
    EXPECT_EQ(state.PortHandle, HandleState::Null);
}

TEST_F(OpenPortTest, ClosePortBeforeAnyOpenDoesNothing) {
    ClosePort(state, device);
    EXPECT_TRUE(device.log.empty());
    EXPECT_FALSE(state.PortOpen);
    EXPECT_EQ(state.PortHandle, HandleState::Null);
}

TEST_F(OpenPortTest, ClosePortPurgesReleasesAndKeepsTheHandle) {
    ASSERT_TRUE(open().ok);
    device.log.clear();
    ClosePort(state, device);
    EXPECT_EQ(device.log, (Log{"purge", "close"}));
    EXPECT_FALSE(state.PortOpen);
    EXPECT_EQ(state.PortHandle, HandleState::Valid);
    EXPECT_FALSE(ProbePort(state, device)); // the device refuses a closed handle
    ClosePort(state, device);
    EXPECT_EQ(device.log, (Log{"purge", "close", "settings"}));
}

TEST_F(OpenPortTest, ProbeFollowsTheDevice) {
    EXPECT_FALSE(ProbePort(state, device)); // never opened
    ASSERT_TRUE(open().ok);
    EXPECT_TRUE(ProbePort(state, device));
    device.gone = true;
    EXPECT_FALSE(ProbePort(state, device));
}

TEST_F(OpenPortTest, PortStatCountsWaitingBytesOnlyForAnOpenedHandle) {
    device.incoming = "abc";
    RefreshPortStat(state, device);
    EXPECT_EQ(state.PortStat.cbInQue, 0u);
    ASSERT_TRUE(open().ok);
    RefreshPortStat(state, device);
    EXPECT_EQ(state.PortStat.cbInQue, 3u);
}

} // namespace
} // namespace trelvo
