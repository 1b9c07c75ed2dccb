// Parity, flow control and the control lines beside the connection, on a scripted port.
#include "serial/connection.h"
#include "serial/line_control.h"

#include "support/fake_serial_device.h"
#include "support/manual_clock.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace trelvo {
namespace {

class LineControlTest : public ::testing::Test {
protected:
    LineControlTest() { device.hasLines = true; }

    // What the window does: the control lines follow every open and close.
    void click() {
        connection.connectClick(selection, false);
        line.follow();
    }
    void tick(bool autoConnect) {
        connection.checkConnectTick(selection, autoConnect, false);
        line.follow();
    }
    int count(const std::string& entry) const {
        return static_cast<int>(std::count(device.log.begin(), device.log.end(), entry));
    }

    PortState port;
    test::FakeSerialDevice device;
    test::ManualClock clock;
    test::RecordingDialogs dialogs;
    ConnectionControl connection{port, device, clock, dialogs};
    LineControl line{port, device};
    PortSelection selection{"COM3", "9600", "8", "1"};
};

TEST_F(LineControlTest, OptionsReachThePortAtConnectAndAtOnceWhileConnected) {
    const struct {
        LineOptions options;
        std::uint8_t parity;
        std::uint32_t cts, rtsControl, outX, inX;
    } rows[] = {
        {{Parity::None, FlowControl::None}, 0, 0, 0, 0, 0},
        {{Parity::Even, FlowControl::Hardware}, 2, 1, kRtsHandshake, 0, 0},
        {{Parity::Odd, FlowControl::Software}, 1, 0, 0, 1, 1},
        {{Parity::Mark, FlowControl::None}, 3, 0, 0, 0, 0},
        {{Parity::Space, FlowControl::Hardware}, 4, 1, kRtsHandshake, 0, 0},
    };
    const auto expectDcb = [](const PortDcb& dcb, const auto& r) {
        EXPECT_EQ(dcb.Parity, r.parity);
        EXPECT_EQ(dcb.fOutxCtsFlow, r.cts);
        EXPECT_EQ(dcb.fRtsControl, r.rtsControl);
        EXPECT_EQ(dcb.fOutX, r.outX);
        EXPECT_EQ(dcb.fInX, r.inX);
        EXPECT_EQ(dcb.BaudRate, 9600u); // the rest of the line stays
        EXPECT_EQ(dcb.ByteSize, 8);
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.parity));
        // Chosen while disconnected: taken by the next connect.
        ASSERT_FALSE(line.setOptions(r.options));
        click();
        ASSERT_TRUE(port.PortOpen);
        expectDcb(device.lastDcb, r);
        click(); // disconnect
    }
    click();
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.parity));
        ASSERT_FALSE(line.setOptions(r.options));
        expectDcb(device.lastDcb, r);
        expectDcb(port.PortDcb, r); // the probe goes on with the new settings
    }
}

TEST_F(LineControlTest, ARefusedChangeIsReportedWithTheSystemsReasonAndLeavesThePortAsItWas) {
    ASSERT_FALSE(line.setOptions({Parity::Even, FlowControl::None}));
    click();
    device.refuses = [](const PortDcb& dcb) { return dcb.Parity == 3; };
    device.errorText = "Invalid argument";
    const auto refused = line.setOptions({Parity::Mark, FlowControl::Hardware});
    ASSERT_TRUE(refused);
    EXPECT_EQ(*refused, "Invalid argument");
    EXPECT_EQ(line.options(), (LineOptions{Parity::Even, FlowControl::None}));
    EXPECT_EQ(device.lastDcb.Parity, 2); // given the previous settings again
    EXPECT_EQ(device.lastDcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(port.PortDcb.Parity, 2);
    EXPECT_TRUE(port.PortOpen);
    EXPECT_TRUE(line.canSet(kRts)); // hardware flow control did not take RTS
}

TEST_F(LineControlTest, OptionsAndControlLinesAreKeptAcrossManualAndAutomaticReconnects) {
    ASSERT_FALSE(line.setOptions({Parity::Odd, FlowControl::Software}));
    click();
    ASSERT_TRUE(line.setLine(kDtr, true));
    ASSERT_TRUE(line.setLine(kRts, true));

    click(); // disconnect: nothing to show
    EXPECT_FALSE(line.view().open);
    EXPECT_EQ(line.view().lines, 0u);
    device.lines = 0; // a new open leaves DTR and RTS off
    click();
    EXPECT_EQ(device.lastDcb.Parity, 1);
    EXPECT_EQ(device.lastDcb.fOutX, 1u);
    EXPECT_EQ(device.lines, kDtr | kRts);

    device.gone = true; // lost, then back
    device.present.clear();
    tick(true);
    EXPECT_FALSE(line.view().open);
    device.present = {"COM3"};
    device.lines = 0;
    tick(true);
    ASSERT_TRUE(port.PortOpen);
    EXPECT_TRUE(line.view().open);
    EXPECT_EQ(device.lastDcb.Parity, 1);
    EXPECT_EQ(device.lastDcb.fInX, 1u);
    EXPECT_EQ(device.lines, kDtr | kRts);
    EXPECT_EQ(line.view().lines, kDtr | kRts);

    device.gone = true; // lost and back within one tick
    device.lines = 0;
    tick(true);
    ASSERT_TRUE(port.PortOpen);
    EXPECT_EQ(device.lines, kDtr | kRts);
}

TEST_F(LineControlTest, APulseInvertsTheChosenLineAndRestoresIt) {
    click();
    const struct {
        ControlLine line;
        bool before;
    } rows[] = {{kDtr, false}, {kDtr, true}, {kRts, false}, {kRts, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.line) + " " + std::to_string(r.before));
        ASSERT_TRUE(line.setLine(r.line, r.before));
        line.setPulseLine(r.line);
        ASSERT_TRUE(line.beginPulse());
        EXPECT_EQ((device.lines & r.line) != 0, !r.before);
        EXPECT_FALSE(line.canPulse()); // one pulse at a time
        line.endPulse();
        EXPECT_EQ((device.lines & r.line) != 0, r.before);
        EXPECT_EQ((line.view().lines & r.line) != 0, r.before);
        EXPECT_TRUE(line.canPulse());
    }
    ASSERT_TRUE(line.beginBreak());
    EXPECT_TRUE(device.breakOn);
    EXPECT_FALSE(line.canBreak());
    line.endBreak();
    EXPECT_FALSE(device.breakOn);
    EXPECT_EQ(ClampPulseMs(0), kPulseMinMs);
    EXPECT_EQ(ClampPulseMs(9999), kPulseMaxMs);
}

TEST_F(LineControlTest, HardwareFlowControlTakesRtsFromTheUserAndGivesItBack) {
    click();
    ASSERT_TRUE(line.setLine(kRts, true));
    ASSERT_FALSE(line.setOptions({Parity::None, FlowControl::Hardware}));
    EXPECT_TRUE(line.view().rtsByDriver);
    EXPECT_FALSE(line.canSet(kRts));
    EXPECT_TRUE(line.canSet(kDtr));
    const int rtsCalls = count("rts 0") + count("rts 1");
    EXPECT_FALSE(line.setLine(kRts, false));
    line.setPulseLine(kRts);
    EXPECT_FALSE(line.beginPulse());
    EXPECT_EQ(count("rts 0") + count("rts 1"), rtsCalls); // the driver's line is left alone

    device.lines &= ~static_cast<unsigned>(kRts); // as the driver left it
    ASSERT_FALSE(line.setOptions({Parity::None, FlowControl::None}));
    EXPECT_TRUE(line.canSet(kRts));
    EXPECT_EQ(device.lines & kRts, kRts); // the user's choice again
}

TEST_F(LineControlTest, APortWithoutControlLinesConnectsAndIsNeverAskedForThem) {
    device.hasLines = false;
    ASSERT_FALSE(line.setOptions({Parity::Even, FlowControl::Hardware}));
    click();
    ASSERT_TRUE(port.PortOpen);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(line.view().open);
    EXPECT_FALSE(line.view().hasLines);
    EXPECT_FALSE(line.canSet(kDtr));
    EXPECT_FALSE(line.canPulse());
    EXPECT_FALSE(line.canBreak());
    EXPECT_FALSE(line.wantsPolling());
    EXPECT_FALSE(line.setLine(kDtr, true));
    EXPECT_FALSE(line.refresh());
    for (const std::string& e : device.log)
        EXPECT_TRUE(e.rfind("dtr", 0) && e.rfind("rts", 0) && e.rfind("break", 0)) << e;
}

TEST_F(LineControlTest, TheStatusLinesAreReadWhileConnected) {
    EXPECT_FALSE(line.wantsPolling());
    click();
    EXPECT_TRUE(line.wantsPolling());
    EXPECT_FALSE(line.refresh());
    device.lines |= kCts | kDcd;
    EXPECT_TRUE(line.refresh());
    EXPECT_EQ(line.view().lines, kCts | kDcd);
    EXPECT_FALSE(line.refresh());
    click();
    EXPECT_FALSE(line.wantsPolling());
}

// A port that tells changes of its status lines is not polled; one that cannot is, and one without lines is
// neither asked nor polled. Every open asks afresh.
TEST_F(LineControlTest, StatusLinesAreToldWherePossibleElsePolled) {
    const struct {
        bool hasLines, tells, watch;
        bool asked, polled;
    } rows[] = {
        {true, true, true, true, false},
        {true, false, true, true, true},
        {true, true, false, false, true}, // nobody to tell
        {false, true, true, false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.hasLines << r.tells << r.watch);
        device.hasLines = r.hasLines;
        device.tellsLines = r.tells;
        int told = 0;
        line.watchLines(r.watch ? std::function<void()>([&] { ++told, line.refresh(); }) : nullptr);
        for (int open = 0; open < 2; ++open) {
            device.log.clear();
            click();
            ASSERT_TRUE(port.PortOpen);
            EXPECT_EQ(count("lines notify"), r.asked ? 1 : 0);
            EXPECT_EQ(line.wantsPolling(), r.polled);
            EXPECT_EQ(static_cast<bool>(device.linesNotify), r.asked && r.tells);
            if (device.linesNotify) {
                device.lines ^= kRi;
                device.linesNotify();
                EXPECT_EQ(line.view().lines & kRi, device.lines & kRi);
            }
            click();
            EXPECT_FALSE(device.linesNotify); // the close ended it
            EXPECT_FALSE(line.wantsPolling());
        }
        EXPECT_EQ(told, r.asked && r.tells ? 2 : 0);
    }
}

TEST(LineSummary, ShortFormOfTheLine) {
    EXPECT_EQ(LineSummary("8", Parity::None, "1", FlowControl::None), "8N1");
    EXPECT_EQ(LineSummary("7", Parity::Even, "2", FlowControl::Hardware), "7E2 RTS/CTS");
    EXPECT_EQ(LineSummary("5", Parity::Space, "1,5", FlowControl::Software), "5S1,5 XON/XOFF");
    EXPECT_EQ(LineSummary("8", Parity::Odd, "1", FlowControl::None), "8O1");
    EXPECT_EQ(LineSummary("8", Parity::Mark, "1", FlowControl::None), "8M1");
}

} // namespace
} // namespace trelvo
