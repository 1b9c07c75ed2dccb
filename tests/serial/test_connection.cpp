#include "serial/connection.h"

#include "support/fake_serial_device.h"
#include "support/manual_clock.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace trelvo {
namespace {

using Texts = std::vector<std::string>;

const ConnectionView kDisconnected{"Connect", 0, false, PortBoxColour::Standard};
const ConnectionView kConnected{"Disconnect", 1, true, PortBoxColour::Lime};
const ConnectionView kLost{"Disconnect", 1, true, PortBoxColour::Red};
const ConnectionView kReconnecting{"Disconnect", 1, true, PortBoxColour::Yellow};
const char* const kOpenFailed = "Что-то не открывается порт. Программа может работать только с COM1..COM9.";

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest() {
        control.setViewListener([this](const ConnectionView& v) {
            views.push_back(v);
            sleptAtView.push_back(clock.sleptMs);
            configuredAtView.push_back(device.isOpen && device.lastDcb.BaudRate == 9600);
        });
    }

    ConnectionOutcome click(bool sendAsReconn = false) { return control.connectClick(selection, sendAsReconn); }
    ConnectionOutcome tick(bool autoConnect, bool sendAsReconn = false) {
        return control.checkConnectTick(selection, autoConnect, sendAsReconn);
    }
    int opensTried() const {
        return static_cast<int>(std::count_if(device.log.begin(), device.log.end(),
                                              [](const std::string& e) { return e.rfind("open ", 0) == 0; }));
    }
    void unplug() {
        device.gone = true;
        device.present.clear();
    }
    void plugBackIn() { device.present = {"COM3"}; }

    void connect() {
        ASSERT_TRUE(click().sendAfterConnect == false);
        ASSERT_EQ(control.view(), kConnected);
    }
    void loseWithoutAutoConnect() {
        connect();
        unplug();
        tick(false);
        ASSERT_EQ(control.view(), kLost);
    }
    void loseWithAutoConnect() {
        connect();
        unplug();
        tick(true);
        ASSERT_EQ(control.view(), kReconnecting);
    }

    PortState port;
    test::FakeSerialDevice device;
    test::ManualClock clock;
    test::RecordingDialogs dialogs;
    ConnectionControl control{port, device, clock, dialogs};
    PortSelection selection{"COM3", "9600", "8", "1"};
    std::vector<ConnectionView> views;
    std::vector<std::int64_t> sleptAtView;
    std::vector<bool> configuredAtView;
};

TEST_F(ConnectionTest, StartsDisconnected) {
    EXPECT_EQ(control.view(), kDisconnected);
    EXPECT_FALSE(port.PortOpen);
}

TEST_F(ConnectionTest, ConnectOpensLocksAndTurnsLime) {
    for (bool send : {false, true}) {
        SCOPED_TRACE(send);
        EXPECT_EQ(click(send).sendAfterConnect, send);
        EXPECT_EQ(control.view(), kConnected);
        EXPECT_TRUE(port.PortOpen);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_FALSE(click(send).sendAfterConnect); // Disconnect sends nothing
    }
}

TEST_F(ConnectionTest, DisconnectFromEveryConnectedStateClosesAndUnlocks) {
    const std::function<void()> setups[] = {[this] { connect(); }, [this] { loseWithoutAutoConnect(); },
                                            [this] { loseWithAutoConnect(); }};
    for (const auto& setup : setups) {
        setup();
        device.log.clear();
        EXPECT_FALSE(click(true).sendAfterConnect);
        EXPECT_EQ(control.view(), kDisconnected);
        EXPECT_FALSE(port.PortOpen);
        EXPECT_FALSE(device.isOpen);
        EXPECT_EQ(opensTried(), 0);
        plugBackIn();
        device.gone = false;
    }
}

TEST_F(ConnectionTest, APortThatWillNotOpenIsReportedWithItsReason) {
    struct Row {
        const char* reason;
        std::string message;
    };
    const Row rows[] = {{"", kOpenFailed}, {"Permission denied", std::string(kOpenFailed) + "\nPermission denied"}};
    for (const Row& r : rows) {
        dialogs.messages.clear();
        device.present.clear();
        device.errorText = r.reason;
        EXPECT_FALSE(click(true).sendAfterConnect);
        EXPECT_EQ(dialogs.messages, Texts{r.message});
        EXPECT_EQ(control.view(), kDisconnected);
        EXPECT_TRUE(views.empty());
    }
}

TEST_F(ConnectionTest, RefusedSettingsAreReportedLikeAFailedOpen) {
    device.refuseSettings = true;
    click();
    EXPECT_EQ(dialogs.messages, Texts{kOpenFailed});
    EXPECT_EQ(control.view(), kDisconnected);
    EXPECT_FALSE(device.isOpen);
}

TEST_F(ConnectionTest, AnEmptySelectionGetsOnlyItsOwnMessage) {
    selection.port.clear();
    click();
    EXPECT_EQ(dialogs.messages, Texts{"Выбери порт!"});
    EXPECT_EQ(control.view(), kDisconnected);
}

TEST_F(ConnectionTest, ABoxWithoutEntryIsReportedAndNothingOpens) {
    selection.baudRate.clear();
    EXPECT_NO_THROW(click());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind(std::string(kOpenFailed) + "\n", 0), 0u);
    EXPECT_NE(dialogs.messages[0].find("BaudRate"), std::string::npos);
    EXPECT_TRUE(device.log.empty());
    EXPECT_EQ(control.view(), kDisconnected);
}

TEST_F(ConnectionTest, AHealthyPortStaysAsItIs) {
    connect();
    for (bool autoConnect : {false, true}) {
        device.log.clear();
        EXPECT_FALSE(tick(autoConnect, true).sendAfterConnect);
        EXPECT_EQ(device.log, Texts{"settings"});
        EXPECT_EQ(control.view(), kConnected);
    }
}

TEST_F(ConnectionTest, ALostPortWithoutAutoConnectIsClosedAndTurnsRed) {
    loseWithoutAutoConnect();
    EXPECT_FALSE(port.PortOpen);
    EXPECT_EQ(control.view().Connected, 1); // still the user's wish
    EXPECT_NE(std::find(device.log.begin(), device.log.end(), "purge"), device.log.end());
    plugBackIn();
    tick(false); // no reopen without AutoConnect, even with the device back
    tick(false);
    EXPECT_EQ(control.view(), kLost);
    EXPECT_EQ(opensTried(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ConnectionTest, ALostPortWithAutoConnectWaitsYellowSilentlyThenComesBackLime) {
    loseWithAutoConnect();
    for (int i = 0; i < 3; ++i)
        tick(true, true);
    EXPECT_EQ(control.view(), kReconnecting);
    EXPECT_EQ(opensTried(), 5); // the connect and one attempt a tick
    EXPECT_TRUE(dialogs.messages.empty());

    plugBackIn();
    views.clear();
    sleptAtView.clear();
    configuredAtView.clear();
    const std::int64_t slept = clock.sleptMs;
    EXPECT_TRUE(tick(true, true).sendAfterConnect);
    EXPECT_EQ(control.view(), kConnected);
    EXPECT_TRUE(port.PortOpen);
    // Lime first, on a fully configured port; then the 2000 ms pause, then the send.
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(sleptAtView[0], slept + 5);
    EXPECT_TRUE(configuredAtView[0]);
    EXPECT_EQ(clock.sleptMs, slept + 5 + 2000);
}

TEST_F(ConnectionTest, AReopenSendsOnlyWhenSendAsReconnIsTicked) {
    loseWithAutoConnect();
    plugBackIn();
    EXPECT_FALSE(tick(true, false).sendAfterConnect);
    EXPECT_EQ(control.view(), kConnected);
}

TEST_F(ConnectionTest, AutoConnectWhileDisconnectedTriesNoOpen) {
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(tick(true, true).sendAfterConnect);
    EXPECT_EQ(opensTried(), 0);
    EXPECT_EQ(control.view(), kDisconnected);
    EXPECT_EQ(clock.sleptMs, 0);
}

TEST_F(ConnectionTest, TickingAutoConnectWhileLostReopensAtTheNextTick) {
    loseWithoutAutoConnect();
    plugBackIn();
    EXPECT_TRUE(tick(true, true).sendAfterConnect);
    EXPECT_EQ(control.view(), kConnected);
    EXPECT_TRUE(port.PortOpen);
}

TEST_F(ConnectionTest, ClearingAutoConnectWhileReconnectingTurnsRed) {
    loseWithAutoConnect();
    tick(false);
    EXPECT_EQ(control.view(), kLost);
}

TEST_F(ConnectionTest, LosingThePortNeverUnlocksTheSettings) {
    loseWithAutoConnect();
    tick(false);
    tick(true);
    for (const ConnectionView& v : views) {
        if (v.Connected == 1) {
            EXPECT_TRUE(v.settingsLocked);
        }
    }
}

TEST(OpenFailureMessage, ReasonOnASecondLineOnlyWhenThereIsOne) {
    EXPECT_EQ(OpenFailureMessage(""), kOpenFailed);
    EXPECT_EQ(OpenFailureMessage("No such file or directory"),
              std::string(kOpenFailed) + "\nNo such file or directory");
}

} // namespace
} // namespace trelvo
