#include "receive/log_housekeeping.h"
#include "receive/receive_fixture.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir_test.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace trelvo;
using namespace trelvo::test;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const char* const kName = "LOG_2024 3 5 9 7 3.txt"; // ManualClock's local time

// Each test runs in a working directory of its own.
class LogFileTest : public test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        old_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(old_);
        TempDirTest::TearDown();
    }
    void Click() { file.StartLogClick(clock.local, clock.now); }

    fs::path old_;
    RecordingDialogs dialogs;
    ManualClock clock;
    LogFile file{dialogs};
};

TEST(LogFileName, DateAndTimeWithoutLeadingZeros) {
    const struct {
        LocalTime t;
        const char* name;
    } rows[] = {
        {{2024, 3, 5, 9, 7, 3, 45, 2}, "LOG_2024 3 5 9 7 3.txt"},
        {{2023, 12, 31, 23, 59, 59, 999, 7}, "LOG_2023 12 31 23 59 59.txt"},
        {{2025, 1, 1, 0, 0, 0, 0, 3}, "LOG_2025 1 1 0 0 0.txt"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(LogFileNameFor(r.t), r.name);
}

TEST_F(LogFileTest, StartPauseResumeInOneFile) {
    const std::string name = kName;
    const struct {
        const char* caption;
        std::string status;
        bool active;
    } states[] = {
        {"Start Log", "Запись в файл не ведётся", false},
        {"Pause Log", "Лог записывается в файл " + name, true},
        {"Go Log", "Запись в файл лога приостановлена (" + name + ")", false},
        {"Pause Log", "Лог записывается в файл " + name, true},
    };
    for (std::size_t i = 0; i < std::size(states); ++i) {
        if (i > 0) {
            Click();
            clock.local.second = 40 + static_cast<int>(i); // later clicks would name another file; a run keeps one
        }
        EXPECT_STREQ(file.StartLogCaption(), states[i].caption) << i;
        EXPECT_EQ(file.STLogText(), states[i].status) << i;
        EXPECT_EQ(file.state().LogActive, states[i].active) << i;
        file.write("entry " + std::to_string(i));
    }
    file.close();
    EXPECT_EQ(Read(kName), "entry 1\r\nentry 3\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LogFileTest, ContentIsByteExactAndFilteredEntriesAreAbsent) {
    Write(kName, "an older run's file");
    LogView view;
    LogPlacement placement(view, file);
    RxRig r;
    ReceivePath path{r.dev, r.portOpen, r.clock, r.counters, r.settings, placement, nullptr};
    auto receive = [&](const std::string& packet) {
        std::copy(packet.begin(), packet.end(), r.rx.RxBuf.begin());
        r.rx.RxLen = static_cast<std::uint32_t>(packet.size());
        ReadBufRxInLog(r.rx, path);
    };
    Click();
    receive("A\rB\r\n");
    receive("\xC0\xFF\x00z"s);
    r.settings.mode = RenderMode::Hex;
    r.settings.visTime = true;
    receive("\x0D\x0A"s);
    r.settings.filter = "OK";
    receive("ERR\r\n");
    PlaceEntry(" [ 09:07:03:045 > ] OK\r", r.settings.filter, placement); // an echo entry
    file.close();
    EXPECT_EQ(Read(kName), "A\r\nB\r\r\n"
                           "\xC0\xFF<NULL>z\r\n"
                           " [ 09:07:03:045 < ] 0D 0A\r\n"
                           " [ 09:07:03:045 > ] OK\r\r\n"s);
    EXPECT_EQ(view.lines(), 5);
}

TEST_F(LogFileTest, AFileThatCannotBeCreatedLeavesRecordingOff) {
    fs::create_directory(kName); // the name is taken by a directory
    Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find(kName), std::string::npos);
    EXPECT_GT(dialogs.messages[0].size(), std::string(kName).size() + 30); // with the system's reason
    EXPECT_FALSE(file.state().LogRecording || file.state().LogActive || file.state().LogFileOpen);
    EXPECT_STREQ(file.StartLogCaption(), "Start Log");
    EXPECT_EQ(file.STLogText(), "Запись в файл не ведётся");
    file.write("lost");
    EXPECT_EQ(file.buffered(), 0u);
}

TEST_F(LogFileTest, AFailedWriteStopsRecordingAndIsReportedOnce) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "needs a device that refuses writes";
    fs::create_symlink("/dev/full", kName);
    Click();
    ASSERT_TRUE(file.state().LogActive);
    file.write("one");
    clock.advance(1000);
    EXPECT_TRUE(file.flushIfDue(clock.now));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find(kName), std::string::npos);
    EXPECT_FALSE(file.state().LogActive);
    EXPECT_STREQ(file.StartLogCaption(), "Go Log");
    for (int i = 0; i < 100; ++i) {
        file.write("more");
        clock.advance(10);
        EXPECT_FALSE(file.flushIfDue(clock.now));
    }
    file.close();
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(LogFileTest, WritesAreBufferedAndReachTheDiskWithinASecond) {
    Click();
    file.write("a");
    EXPECT_EQ(Read(kName), ""); // nothing written where the entry was placed
    clock.advance(999);
    EXPECT_FALSE(file.flushIfDue(clock.now));
    clock.advance(1);
    file.flushIfDue(clock.now);
    EXPECT_EQ(Read(kName), "a\r\n");

    file.write(std::string(LogFile::kFlushAtBytes, 'b')); // a large buffer does not wait for the second
    clock.advance(10);
    file.flushIfDue(clock.now);
    EXPECT_EQ(Read(kName).size(), 3 + LogFile::kFlushAtBytes + 2);

    file.write("c");
    Click(); // a pause completes the file
    EXPECT_EQ(Read(kName).substr(Read(kName).size() - 3), "c\r\n");
    EXPECT_EQ(file.buffered(), 0u);
}

} // namespace
