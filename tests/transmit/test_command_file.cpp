#include "transmit/command_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace trelvo;
using std::string_literals::operator""s;

namespace {

std::string Repeat(const std::string& piece, int times) {
    std::string s;
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

std::vector<Bytes> Lines(const std::string& piece, int times) {
    return std::vector<Bytes>(static_cast<std::size_t>(times), piece);
}

struct FileRow {
    const char* name;
    std::string content;
    std::vector<Bytes> lines;
    bool full;
};

void PrintTo(const FileRow& r, std::ostream* os) {
    *os << r.name;
}

class CommandFileTable : public testing::TestWithParam<FileRow> {
protected:
    void SetUp() override {
        file_ = std::filesystem::path(testing::TempDir()) / ("trelvo_cmdfile_" + std::string(GetParam().name));
        std::ofstream(file_, std::ios::binary) << GetParam().content;
    }
    void TearDown() override { std::filesystem::remove(file_); }
    std::filesystem::path file_;
};

// Every row is read in 64 KiB chunks and in 3-byte chunks, so that line ends split between chunks are covered.
TEST_P(CommandFileTable, Lines) {
    const FileRow& r = GetParam();
    for (const std::size_t chunk : {std::size_t{64 * 1024}, std::size_t{3}}) {
        const CommandFile f = ReadCommandFile(file_, chunk);
        EXPECT_TRUE(f.opened);
        EXPECT_EQ(f.error, "");
        EXPECT_EQ(f.full, r.full) << "chunk " << chunk;
        ASSERT_EQ(f.lines.size(), r.lines.size()) << "chunk " << chunk;
        for (std::size_t i = 0; i < r.lines.size(); ++i)
            EXPECT_EQ(f.lines[i], r.lines[i]) << "line " << i << ", chunk " << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandFileTable,
    testing::Values(
        FileRow{"LineEnds", "a\r\nb\nc\rd\r\n\r\ne", {"a", "b", "c", "d", "", "e"}, false},
        FileRow{"EndsWithALineEnd", "a\nb\n", {"a", "b"}, false},
        FileRow{"OnlyLineEnds", "\n\r\n\r", {"", "", ""}, false}, FileRow{"Empty", "", {}, false},
        FileRow{"Cp1251Bytes", "\xCF\xD0\xC8\xC2\xC5\xD2\n", {"\xCF\xD0\xC8\xC2\xC5\xD2"}, false},
        FileRow{"Exactly500", Repeat("AT\r\n", 500), Lines("AT", 500), true},
        FileRow{"Exactly500NoLastLineEnd", Repeat("AT\r\n", 499) + "AT", Lines("AT", 500), true},
        FileRow{"501", Repeat("AT\n", 500) + "last\n", Lines("AT", 500), true},
        FileRow{"499", Repeat("AT\n", 499), Lines("AT", 499), false},
        FileRow{"LongLineCut", std::string(70000, 'x') + "\r\nnext", {std::string(64 * 1024, 'x'), "next"}, false},
        FileRow{"BinaryWithNul", "a\0b\nc\0\0\r\n\xFF\0"s, {"a\0b"s, "c\0\0"s, "\xFF\0"s}, false}),
    [](const testing::TestParamInfo<FileRow>& info) { return std::string(info.param.name); });

// A file without line ends is given up after the byte limit, however long it is; /dev/zero has no end at all.
TEST(CommandFile, ReadingIsBoundedInBytes) {
    if (!std::filesystem::exists("/dev/zero")) GTEST_SKIP() << "no endless file here";
    const CommandFile f = ReadCommandFile("/dev/zero", 64 * 1024, 1024 * 1024);
    EXPECT_TRUE(f.full);
    ASSERT_EQ(f.lines.size(), 1u);
    EXPECT_EQ(f.lines[0], Bytes(kCommandLineMaxBytes, '\0'));
}

TEST(CommandFile, FailuresCarryTheReason) {
    const std::filesystem::path dir = testing::TempDir();
    const CommandFile missing = ReadCommandFile(dir / "trelvo_no_such_file");
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.error, "trelvo_no_such_file: No such file or directory");
    // A directory opens but cannot be read: the list then holds what was read, nothing.
    const CommandFile directory = ReadCommandFile(dir);
    EXPECT_TRUE(directory.opened);
    EXPECT_NE(directory.error.find("Is a directory"), std::string::npos) << directory.error;
    EXPECT_TRUE(directory.lines.empty());
}

} // namespace
