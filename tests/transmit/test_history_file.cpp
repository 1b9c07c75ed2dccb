#include "transmit/history_file.h"

#include "support/file_size_limit.h"
#include "support/temp_dir_test.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace trelvo;
namespace fs = std::filesystem;

namespace {

const LocalTime kNow{2026, 12, 9, 4, 50, 7, 0, 3};

class HistoryFileTest : public test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        file_ = dir_ / "OldCmd";
    }
    // A file image with texts and junk behind them, as an older run may leave.
    static Bytes Image() {
        Bytes img(12800, '\0');
        for (std::size_t k = 0; k < 50; ++k) {
            const std::size_t at = k * 256;
            img[at] = static_cast<char>(k % 7 + 1);
            for (std::size_t i = 1; i < 256; ++i)
                img[at + i] = static_cast<char>('A' + (k + i) % 26);
        }
        img[49 * 256 + 255] = '\xFF';
        return img;
    }

    fs::path file_;
};

TEST_F(HistoryFileTest, MissingFileIsCreatedWithZeros) {
    HistoryFile f(file_);
    CmdHistory h;
    h.entry(1).setText("old");
    const HistoryLoadResult r = f.load(h, kNow);
    EXPECT_EQ(r.status, HistoryLoadStatus::Created);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(Read(file_), Bytes(12800, '\0'));
    EXPECT_TRUE(HistoryItems(h).empty());
}

TEST_F(HistoryFileTest, RoundTripIsByteExact) {
    const Bytes img = Image();
    Write(file_, img);
    HistoryFile f(file_);
    CmdHistory h;
    const HistoryLoadResult r = f.load(h, kNow);
    EXPECT_EQ(r.status, HistoryLoadStatus::Loaded);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(h.entry(1).text(), "B");
    Write(file_, "changed"); // the save replaces whatever is there now
    EXPECT_EQ(f.save(h).status, HistorySaveStatus::Written);
    EXPECT_EQ(Read(file_), img);
    EXPECT_EQ(Names(), "OldCmd ");
}

TEST_F(HistoryFileTest, ShortAndLongFiles) {
    const struct {
        std::size_t size;
        HistoryLoadStatus status;
        std::size_t records;
        bool message;
    } rows[] = {
        {0, HistoryLoadStatus::Short, 0, true},
        {1000, HistoryLoadStatus::Short, 3, true}, // a part record is not used
        {12799, HistoryLoadStatus::Short, 49, true},
        {12800, HistoryLoadStatus::Loaded, 50, false},
        {20000, HistoryLoadStatus::Long, 50, true},
    };
    const Bytes img = Image() + Bytes(7200, 'Z');
    for (const auto& r : rows) {
        Write(file_, img.substr(0, r.size));
        HistoryFile f(file_);
        CmdHistory h;
        const HistoryLoadResult res = f.load(h, kNow);
        EXPECT_EQ(res.status, r.status) << r.size;
        EXPECT_EQ(!res.message.empty(), r.message) << r.size;
        // A file of another size is kept beside it before the save replaces it, and the message names the copy.
        const std::string note = "сохранён как ";
        const std::size_t at = res.message.find(note);
        EXPECT_EQ(at != std::string::npos, r.message) << res.message;
        if (at != std::string::npos) {
            const std::string copy = res.message.substr(at + note.size());
            EXPECT_EQ(copy.rfind("OldCmd.bad-20261209-045007", 0), 0u) << copy;
            EXPECT_EQ(Read(dir_ / copy), img.substr(0, r.size)) << copy;
        }
        const Bytes got = HistoryToFileBytes(h);
        EXPECT_EQ(got.substr(0, r.records * 256), img.substr(0, r.records * 256)) << r.size;
        EXPECT_EQ(got.substr(r.records * 256), Bytes(12800 - r.records * 256, '\0')) << r.size;
        // Shutdown writes exactly the 50 records, repairing a short file.
        ASSERT_EQ(f.save(h).status, HistorySaveStatus::Written) << r.size;
        EXPECT_EQ(Read(file_), got) << r.size;
    }
}

TEST_F(HistoryFileTest, UnreadableFileStartsEmptyAndIsNotOverwritten) {
    fs::create_directory(file_); // stands in for a file that cannot be read
    HistoryFile f(file_);
    CmdHistory h;
    h.entry(1).setText("x");
    const HistoryLoadResult r = f.load(h, kNow);
    EXPECT_EQ(r.status, HistoryLoadStatus::Unreadable);
    EXPECT_NE(r.message.find("OldCmd"), std::string::npos);
    EXPECT_TRUE(HistoryItems(h).empty());
    UpdateHistory(h, "AT");
    EXPECT_EQ(f.save(h).status, HistorySaveStatus::SkippedUnreadable);
    EXPECT_TRUE(fs::is_directory(file_));
}

TEST_F(HistoryFileTest, UnreadablePermissionsLeaveTheFileAlone) {
    const Bytes img = Image();
    Write(file_, img);
    fs::permissions(file_, fs::perms::none);
    if (std::ifstream(file_, std::ios::binary)) GTEST_SKIP() << "running with rights that read any file";
    HistoryFile f(file_);
    CmdHistory h;
    const HistoryLoadResult r = f.load(h, kNow);
    EXPECT_EQ(r.status, HistoryLoadStatus::Unreadable);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(f.save(h).status, HistorySaveStatus::SkippedUnreadable);
    fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Read(file_), img);
}

TEST_F(HistoryFileTest, SaveSkippedWhenTheFileIsGone) {
    HistoryFile f(file_);
    CmdHistory h;
    f.load(h, kNow);
    fs::remove(file_);
    UpdateHistory(h, "AT");
    EXPECT_EQ(f.save(h).status, HistorySaveStatus::SkippedMissing);
    EXPECT_TRUE(Names().empty());
}

TEST_F(HistoryFileTest, FailedSaveLeavesThePreviousFileWhole) {
    const Bytes img = Image();
    Write(file_, img);
    HistoryFile f(file_);
    CmdHistory h;
    f.load(h, kNow);
    UpdateHistory(h, "AT");
    HistorySaveResult r;
    {
        test::FileSizeLimit full(4096); // the disk fills up in the middle of the write
        r = f.save(h);
    }
    EXPECT_EQ(r.status, HistorySaveStatus::Failed);
    EXPECT_EQ(r.message,
              "Не удалось записать историю команд в файл OldCmd. Файл на диске не изменён.\nПричина: File too large");
    EXPECT_EQ(Read(file_), img);
    EXPECT_EQ(Names(), "OldCmd ");
}

TEST_F(HistoryFileTest, StaleTemporaryFileFromACrashIsReplaced) {
    Write(file_, Image());
    Write(dir_ / "OldCmd.AbCdEf.tmp", "half a file"); // what a killed save left goes at the next start
    HistoryFile f(file_);
    CmdHistory h;
    f.load(h, kNow);
    Write(dir_ / "OldCmd.tmp", "half a file"); // a leftover by another name does not stand in the way
    UpdateHistory(h, "AT");
    ASSERT_EQ(f.save(h).status, HistorySaveStatus::Written);
    EXPECT_EQ(Read(file_), HistoryToFileBytes(h));
    EXPECT_EQ(Names(), "OldCmd OldCmd.tmp ");
}

TEST_F(HistoryFileTest, CreateFailureIsReported) {
    HistoryFile f(dir_ / "no such folder" / "OldCmd");
    CmdHistory h;
    const HistoryLoadResult r = f.load(h, kNow);
    EXPECT_EQ(r.status, HistoryLoadStatus::CreateFailed);
    EXPECT_EQ(r.message.find("Не удалось создать файл истории команд OldCmd."), 0u);
    EXPECT_TRUE(HistoryItems(h).empty());
    EXPECT_EQ(f.save(h).status, HistorySaveStatus::SkippedMissing);
}

} // namespace
