// The shared routine that writes data files and keeps damaged ones (POSIX: links, FIFOs and a full disk are made
// for real).

#include "common/safe_file.h"
#include "common/safe_file_platform.h"

#include "support/file_size_limit.h"
#include "support/temp_dir_test.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>

#include <functional>

using namespace trelvo;
namespace fs = std::filesystem;

namespace {

const LocalTime kNow{2026, 12, 9, 4, 50, 7, 0, 3};

class SafeFileTest : public test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        fs::create_directories(dir_ / "data");
        oldMask_ = ::umask(022);
    }
    void TearDown() override {
        ::umask(oldMask_);
        TempDirTest::TearDown();
    }
    fs::perms Perms(const fs::path& p) const { return fs::status(p).permissions() & fs::perms::mask; }

    mode_t oldMask_ = 0;
};

TEST_F(SafeFileTest, WritesTheFileOrTheTargetOfItsLink) {
    const struct {
        const char* name;
        std::function<void(const fs::path&)> setUp; // given the directory
        const char* written;                        // the file that gets the bytes
        fs::perms perms;
        const char* names;
    } rows[] = {
        {"new file", [](const fs::path&) {}, "F", fs::perms(0644), "F data "},
        {"existing file keeps its permissions",
         [](const fs::path& d) {
             Write(d / "F", "old");
             fs::permissions(d / "F", fs::perms(0640));
         },
         "F", fs::perms(0640), "F data "},
        {"link to a file elsewhere",
         [](const fs::path& d) {
             Write(d / "data/T", "old");
             fs::permissions(d / "data/T", fs::perms(0600));
             fs::create_symlink("data/T", d / "F");
         },
         "data/T", fs::perms(0600), "F data data/T "},
        {"dangling link", [](const fs::path& d) { fs::create_symlink("data/T", d / "F"); }, "data/T", fs::perms(0644),
         "F data data/T "},
    };
    for (const auto& r : rows) {
        Renew();
        r.setUp(dir_);
        const bool wasLink = fs::is_symlink(dir_ / "F");
        const FileResult res = WriteFileSafely(dir_ / "F", "new bytes");
        EXPECT_TRUE(res.ok) << r.name << ": " << res.reason;
        EXPECT_EQ(Read(dir_ / r.written), "new bytes") << r.name;
        EXPECT_EQ(Perms(dir_ / r.written), r.perms) << r.name;
        EXPECT_EQ(fs::is_symlink(dir_ / "F"), wasLink) << r.name;
        EXPECT_EQ(Names(), r.names) << r.name;
    }
}

TEST_F(SafeFileTest, RefusesWhatIsNotARegularFileWithItsReason) {
    const struct {
        const char* name;
        std::function<void(const fs::path&)> setUp;
        const char* reason;
    } rows[] = {
        {"directory", [](const fs::path& f) { fs::create_directory(f); }, "это каталог, а не файл"},
        {"named pipe", [](const fs::path& f) { ::mkfifo(f.c_str(), 0644); }, "это именованный канал, а не файл"},
        {"link to a directory", [](const fs::path& f) { fs::create_symlink(f.parent_path() / "data", f); },
         "это каталог, а не файл"},
        {"link to itself", [](const fs::path& f) { fs::create_symlink(f.filename(), f); },
         "Too many levels of symbolic links"},
    };
    for (const auto& r : rows) {
        Renew();
        r.setUp(dir_ / "F");
        const std::string before = Names();
        const FileResult res = WriteFileSafely(dir_ / "F", "bytes");
        EXPECT_FALSE(res.ok) << r.name;
        EXPECT_EQ(res.reason, r.reason) << r.name;
        EXPECT_EQ(Names(), before) << r.name;
        EXPECT_EQ(NotRegularFileReason(dir_ / "F"), r.reason) << r.name;
    }
}

TEST_F(SafeFileTest, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    Write(dir_ / "F", "old content");
    FileResult res;
    {
        test::FileSizeLimit full(4096);
        res = WriteFileSafely(dir_ / "F", std::string(100000, 'x'));
    }
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.reason, "File too large");
    EXPECT_EQ(Read(dir_ / "F"), "old content");
    EXPECT_EQ(Names(), "F data ");
}

// What a killed save left goes; names that only look alike, and a save that is running now, stay.
TEST_F(SafeFileTest, RemovesOnlyItsOwnStaleTemporaryFiles) {
    for (const char* name : {"F", "F.AbC123.tmp", "F.zz9zzz.tmp", "F.AbC12.tmp", "F.AbC1234.tmp", "F.Ab-123.tmp",
                             "G.AbC123.tmp", "F.AbC123.tmp.bak", "xF.AbC123.tmp", "F.writing.tmp"})
        Write(dir_ / name, "x");
    fs::create_directory(dir_ / "F.dirdir.tmp");
    QFile writing(QString::fromStdString((dir_ / "F.wrtng1.tmp").string()));
    ASSERT_TRUE(writing.open(QIODevice::WriteOnly));
    platform::MarkWriting(writing);
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir_ / "F"), 2);
    EXPECT_EQ(Names(), "F F.Ab-123.tmp F.AbC12.tmp F.AbC123.tmp.bak F.AbC1234.tmp F.dirdir.tmp "
                       "F.writing.tmp F.wrtng1.tmp G.AbC123.tmp data xF.AbC123.tmp ");
}

TEST_F(SafeFileTest, DamagedCopiesNeverOverwriteAnEarlierOne) {
    Write(dir_ / "F", "first");
    const KeptFile a = KeepDamagedCopy(dir_ / "F", kNow);
    Write(dir_ / "F", "second");
    const KeptFile b = KeepDamagedCopy(dir_ / "F", kNow);
    ASSERT_TRUE(a.ok && b.ok) << a.reason << b.reason;
    EXPECT_EQ(a.copy, dir_ / "F.bad-20261209-045007");
    EXPECT_EQ(b.copy, dir_ / "F.bad-20261209-045007-2");
    EXPECT_EQ(Read(a.copy), "first");
    EXPECT_EQ(Read(b.copy), "second");
    EXPECT_EQ(Read(dir_ / "F"), "second");
    EXPECT_EQ(KeptCopyNote(a), "Прежний файл сохранён как F.bad-20261209-045007");

    const KeptFile missing = KeepDamagedCopy(dir_ / "G", kNow);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(KeptCopyNote(missing),
              "Копию прежнего файла сохранить не удалось (No such file or directory), поэтому он не будет перезаписан");
}

} // namespace
