#include "serial/port_lister.h"

#include "support/recording_dialogs.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace trelvo {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class ListedPorts final : public PortLister {
public:
    Names names;
    Names fallback{"F1", "F2"};
    std::vector<std::string> portNames() override { return names; }
    std::vector<std::string> fallbackNames() const override { return fallback; }
    std::string description(const std::string& name) const override { return name == "COM3" ? "USB UART" : ""; }
};

TEST(ScanPorts, FoundDevicesKeepTheirOrderAndTheFirstIsSelected) {
    for (bool startingUp : {true, false}) {
        ListedPorts lister;
        lister.names = {"COM7", "COM3", "COM10"};
        test::RecordingDialogs dialogs;
        const PortListing listing = ScanPorts(lister, dialogs, startingUp);
        EXPECT_EQ(listing.entries, (Names{"COM7", "COM3", "COM10"}));
        EXPECT_EQ(listing.descriptions, (Names{"", "USB UART", ""}));
        EXPECT_TRUE(listing.firstSelected);
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

TEST(ScanPorts, NothingFoundAtStartUpFallsBackSilently) {
    ListedPorts lister;
    test::RecordingDialogs dialogs;
    const PortListing listing = ScanPorts(lister, dialogs, true);
    EXPECT_EQ(listing.entries, lister.fallback);
    EXPECT_EQ(listing.descriptions, (Names{"", ""}));
    EXPECT_FALSE(listing.firstSelected);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(ScanPorts, NothingFoundOnRescanSaysSoTwiceThenFallsBack) {
    ListedPorts lister;
    test::RecordingDialogs dialogs;
    const PortListing listing = ScanPorts(lister, dialogs, false);
    EXPECT_EQ(dialogs.messages,
              (Names{":-(", "Запустите программу от имени администратора или выберите порт вручную"}));
    EXPECT_EQ(listing.entries, lister.fallback);
    EXPECT_FALSE(listing.firstSelected);
}

TEST(PortBoxNames, ShownWithoutDevOpenedByTheFullNameTypedNamesAsTyped) {
    EXPECT_EQ(PortListText("/dev/ttyUSB0", "FT232R USB UART"), "ttyUSB0  FT232R USB UART");
    EXPECT_EQ(PortListText("COM3", ""), "COM3");
    EXPECT_EQ(ShortPortName("/tmp/ttyV0"), "/tmp/ttyV0");
    const Names entries{"/dev/ttyUSB0", "/dev/ttyS0", "COM3", "/tmp/ttyV0"};
    const struct {
        const char *text, *opened;
    } rows[] = {
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"ttyS0", "/dev/ttyS0"},
        {"COM3", "COM3"},
        {"/tmp/ttyV0", "/tmp/ttyV0"},
        {" /dev/pts/7 ", "/dev/pts/7"},
        {"ttyUSB1", "ttyUSB1"},
        {"COM12", "COM12"},
        {"", ""},
        {"  ", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(PortNameToOpen(r.text, entries), r.opened) << '"' << r.text << '"';
}

TEST(FallbackPortNames, NineNamesPerPlatform) {
    EXPECT_EQ(WindowsFallbackPortNames(),
              (Names{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"}));
    const Names onLinux = LinuxFallbackPortNames();
    ASSERT_EQ(onLinux.size(), 9u);
    EXPECT_EQ(onLinux.front(), "/dev/ttyS0");
    EXPECT_EQ(onLinux.back(), "/dev/ttyS8");
}

// A scratch directory standing in for /dev, with its own pts directory.
class PtyLinkScan : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        root = scratch.path().toStdString();
        dev = root / "dev";
        pts = dev / "pts";
        fs::create_directories(pts);
        fs::create_directories(root / "elsewhere");
        for (const char* n : {"0", "3", "12", "ptmx"})
            std::ofstream(pts / n).put('x');
        std::ofstream(root / "elsewhere" / "5").put('x');
    }
    void link(const fs::path& target, const char* name) { fs::create_symlink(target, dev / name); }

    QTemporaryDir scratch;
    fs::path root, dev, pts;
};

TEST_F(PtyLinkScan, ListsDirectLinksToPresentPseudoTerminalsSortedByName) {
    link(pts / "3", "ttyV1");          // absolute target
    link("pts/0", "ttyV0");            // relative to the directory
    link("./pts/../pts/12", "ttyAMX"); // not yet normal
    link(pts / "9", "ttyGone");        // its terminal is gone
    link(pts / "ptmx", "ptmx");        // the multiplexer, not a terminal
    link(root / "elsewhere" / "5", "ttyElse");
    link(dev / "ttyV0", "stdin"); // a link to a link, as /dev/stdin is
    std::ofstream(dev / "ttyPlain").put('x');
    fs::create_directories(dev / "serial");
    fs::create_symlink(pts / "3", dev / "serial" / "by-id"); // not directly in the directory

    EXPECT_EQ(ScanPtyLinks(dev, pts),
              (Names{(dev / "ttyAMX").string(), (dev / "ttyV0").string(), (dev / "ttyV1").string()}));
}

TEST_F(PtyLinkScan, AMissingDirectoryGivesNothing) {
    EXPECT_TRUE(ScanPtyLinks(root / "nowhere", pts).empty());
    EXPECT_TRUE(ScanPtyLinks(dev, pts).empty());
}

} // namespace
} // namespace trelvo
