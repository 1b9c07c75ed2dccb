// The library record, the store and the file CmdConfig.

#include "library/cmd_config_file.h"

#include "support/file_size_limit.h"
#include "support/temp_dir_test.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace trelvo;
namespace fs = std::filesystem;

namespace {

const LocalTime kNow{2026, 12, 9, 4, 50, 7, 0, 3};
const std::size_t kRec = kCmdListRecSize;

std::uint8_t* Raw(TCmdListRec& r) {
    return reinterpret_cast<std::uint8_t*>(&r);
}

TEST(CmdListRec, TextsSitAtTheirOffsetsAndAreCutToTheirCapacity) {
    const struct {
        const char* field;
        std::function<void(TCmdListRec&, const Bytes&)> set;
        std::function<Bytes(const TCmdListRec&)> get;
        std::size_t offset, capacity;
    } rows[] = {
        {"ListName", [](auto& r, auto& t) { r.setListName(t); }, [](auto& r) { return r.listName(); }, 0, 151},
        {"CmdLines 2", [](auto& r, auto& t) { r.setCmdLine(2, t); }, [](auto& r) { return r.cmdLine(2); }, 152 + 252,
         251},
        {"CmdLines 48", [](auto& r, auto& t) { r.setCmdLine(48, t); }, [](auto& r) { return r.cmdLine(48); },
         152 + 47 * 252, 251},
        {"CmdNames 48", [](auto& r, auto& t) { r.setCmdName(48, t); }, [](auto& r) { return r.cmdName(48); },
         12248 + 47 * 52, 51},
        {"CmdHelp 2,3", [](auto& r, auto& t) { r.setHelpLine(2, 3, t); }, [](auto& r) { return r.helpLine(2, 3); },
         14744 + 1824 + 2 * 152, 151},
        {"CmdHelp 48,12", [](auto& r, auto& t) { r.setHelpLine(48, 12, t); },
         [](auto& r) { return r.helpLine(48, 12); }, 14744 + 47 * 1824 + 11 * 152, 151},
    };
    Bytes text(300, '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('A' + i % 26);
    for (const auto& r : rows) {
        auto rec = std::make_unique<TCmdListRec>();
        r.set(*rec, text);
        EXPECT_EQ(Raw(*rec)[r.offset], r.capacity) << r.field;
        EXPECT_EQ(std::memcmp(Raw(*rec) + r.offset + 1, text.data(), r.capacity), 0) << r.field;
        EXPECT_EQ(r.get(*rec), text.substr(0, r.capacity)) << r.field;
        r.set(*rec, "ab"); // a shorter text leaves the bytes behind it
        EXPECT_EQ(r.get(*rec), "ab") << r.field;
        EXPECT_EQ(Raw(*rec)[r.offset + 3], text[2]) << r.field;
    }
    auto rec = std::make_unique<TCmdListRec>();
    rec->setSignature(kCmdListSignature);
    EXPECT_EQ(std::memcmp(Raw(*rec) + 102500, "\x39\x30\x00\x00", 4), 0);
}

TEST(CmdListRec, ComparesTextsOnly) {
    const struct {
        const char* change;
        std::function<void(TCmdListRec&)> apply;
        bool same;
    } rows[] = {
        {"junk behind a length", [](auto& r) { Raw(r)[152 + 10] = 'x'; }, true},
        {"signature", [](auto& r) { r.setSignature(1); }, true},
        {"reserved bytes", [](auto& r) { Raw(r)[102296] = Raw(r)[102579] = 7; }, true},
        {"text typed back", [](auto& r) { r.setCmdLine(1, "ATZ"), r.setCmdLine(1, "AT"); }, true},
        {"list name", [](auto& r) { r.setListName("L"); }, false},
        {"command line 48", [](auto& r) { r.setCmdLine(48, "ATX"); }, false},
        {"name 1", [](auto& r) { r.setCmdName(1, "n"); }, false},
        {"help 48,12", [](auto& r) { r.setHelpLine(48, 12, "h"); }, false},
        {"same length, other text", [](auto& r) { r.setCmdLine(1, "AX"); }, false},
    };
    for (const auto& r : rows) {
        auto a = std::make_unique<TCmdListRec>();
        a->setCmdLine(1, "AT");
        auto b = std::make_unique<TCmdListRec>(*a);
        r.apply(*b);
        EXPECT_EQ(a->sameTexts(*b), r.same) << r.change;
    }
    auto a = std::make_unique<TCmdListRec>();
    a->setCmdLine(3, "AT");
    a->setHelpLine(3, 4, "h");
    a->setSignature(kCmdListSignature);
    Raw(*a)[102300] = 9;
    a->clearTexts();
    EXPECT_TRUE(a->sameTexts(TCmdListRec{}));
    EXPECT_EQ(a->signature(), kCmdListSignature);
    EXPECT_EQ(Raw(*a)[102300], 9);
}

TEST(CmdStore, NumbersOutOfRangeReadEmptyAndStoreNothing) {
    CmdStore s;
    const std::string before(s.image());
    const int rows[][3] = {{0, 1, 1}, {101, 1, 1}, {1, 0, 1}, {1, 49, 1}, {1, 1, 0}, {1, 1, 13}};
    for (const auto& r : rows) {
        if (r[2] == 1) {
            s.SetCmdLine(r[0], r[1], "x");
            s.SetCmdName(r[0], r[1], "x");
            EXPECT_EQ(s.GetCmdLine(r[0], r[1]), "") << r[0] << "," << r[1];
        }
        if (r[1] == 1) s.SetListName(r[0] == 1 ? 0 : r[0], "x");
        s.SetHelpLine(r[0], r[1], r[2], "x");
        EXPECT_EQ(s.GetHelpLine(r[0], r[1], r[2]), "") << r[0] << "," << r[1] << "," << r[2];
    }
    EXPECT_TRUE(s.image() == before);
    s.SetHelpLine(100, 48, 12, "h");
    EXPECT_EQ(s.GetHelpLine(100, 48, 12), "h");
}

class CmdConfigTest : public test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        file_ = dir_ / "CmdConfig";
    }
    // A full library whose every byte says where it is, reserved bytes included.
    static std::string Image(int records) {
        CmdStore s;
        for (std::size_t i = 0; i < kCmdConfigSize; ++i)
            s.data()[i] = static_cast<char>(i * 7 % 251);
        for (int i = 1; i <= kCmdLists; ++i) {
            s.list(i).setListName("L" + std::to_string(i));
            s.list(i).setSignature(kCmdListSignature);
        }
        std::string img(s.image());
        while (static_cast<int>(img.size() / kRec) < records)
            img += img.substr(0, kRec);
        return img.substr(0, records * kRec);
    }

    fs::path file_;
};

TEST_F(CmdConfigTest, LoadAcceptsOrRebuildsKeepingTheDamagedFile) {
    const std::string full = Image(101);
    std::string badSig = full.substr(0, 100 * kRec);
    badSig[36 * kRec + 102500] = 0x3A; // 12346 in record 37
    const struct {
        const char* name;
        std::optional<std::string> file;
        CmdLoadStatus status;
    } rows[] = {
        {"missing", std::nullopt, CmdLoadStatus::Rebuilt},
        {"empty", "", CmdLoadStatus::Rebuilt},
        {"99 records", full.substr(0, 99 * kRec), CmdLoadStatus::Rebuilt},
        {"99 records and a part", full.substr(0, 100 * kRec - 1), CmdLoadStatus::Rebuilt},
        {"bad signature in 37", badSig, CmdLoadStatus::Rebuilt},
        {"100 records and extra bytes", full.substr(0, 100 * kRec + 5), CmdLoadStatus::Loaded},
        {"101 records", full, CmdLoadStatus::Loaded},
    };
    for (const auto& r : rows) {
        Renew();
        if (r.file) Write(file_, *r.file);
        Write(dir_ / "CmdConfig.AbC123.tmp", "what a killed save left");
        CmdConfigFile f(file_);
        CmdStore s;
        const CmdLoadResult res = f.load(s, kNow);
        EXPECT_EQ(res.status, r.status) << r.name;
        const std::string after = Read(file_);
        if (r.status == CmdLoadStatus::Loaded) {
            EXPECT_TRUE(res.messages.empty()) << r.name;
            EXPECT_EQ(s.image(), full.substr(0, kCmdConfigSize)) << r.name;
            EXPECT_EQ(after, *r.file) << r.name; // not rewritten
        } else {
            ASSERT_EQ(res.messages.size(), 1u) << r.name;
            const std::string kept = r.file ? "\nПрежний файл сохранён как CmdConfig.bad-20261209-045007" : "";
            EXPECT_EQ(res.messages[0], kCmdConfigProblem + kept) << r.name;
            if (r.file) {
                EXPECT_EQ(Read(dir_ / "CmdConfig.bad-20261209-045007"), *r.file) << r.name;
            }
            ASSERT_EQ(after.size(), kCmdConfigSize) << r.name;
            EXPECT_EQ(after, s.image()) << r.name;
            for (int i : {1, 37, 100}) {
                EXPECT_EQ(s.list(i).listName(), "List " + std::to_string(i)) << r.name;
                EXPECT_EQ(s.list(i).signature(), kCmdListSignature) << r.name;
                EXPECT_TRUE(s.list(i).cmdLine(48).empty() && s.list(i).helpLine(48, 12).empty()) << r.name;
            }
        }
        EXPECT_FALSE(f.changed(s).changed) << r.name;
        EXPECT_FALSE(fs::exists(dir_ / "CmdConfig.AbC123.tmp")) << r.name;
    }
}

TEST_F(CmdConfigTest, ASavedLibraryKeepsItsReservedBytes) {
    const std::string img = Image(100);
    Write(file_, img);
    CmdConfigFile f(file_);
    CmdStore s;
    f.load(s, kNow);
    Write(file_, "changed since");
    ASSERT_TRUE(f.save(s).ok);
    EXPECT_EQ(Read(file_), img);
    // A list name is read past the loaded block's memory; it must still see a store made through it.
    EXPECT_EQ(s.GetListName(37), "L37");
    s.list(37).setListName("renamed");
    EXPECT_EQ(s.GetListName(37), "renamed");
}

TEST_F(CmdConfigTest, ComparisonSeesTextsNotTheBytesBehindThem) {
    CmdConfigFile f(file_);
    CmdStore s;
    f.load(s, kNow);
    s.SetCmdLine(5, 7, "ATZ");
    EXPECT_TRUE(f.changed(s).changed);
    ASSERT_TRUE(f.save(s).ok);
    EXPECT_FALSE(f.changed(s).changed);
    s.SetCmdLine(5, 7, "ATZ1234"), s.SetCmdLine(5, 7, "ATZ"); // typed back: junk stays behind the length
    EXPECT_FALSE(f.changed(s).changed);
    s.list(100).setHelpLine(48, 12, "x");
    EXPECT_TRUE(f.changed(s).changed);
    fs::remove(file_);
    const CmdCompareResult gone = f.changed(s);
    EXPECT_EQ(gone.error, "Не удалось прочитать файл библиотеки команд CmdConfig, чтобы сравнить его с библиотекой в "
                          "памяти.\nПричина: No such file or directory");
}

TEST_F(CmdConfigTest, AFailedSaveLeavesTheOldFileWhole) {
    CmdConfigFile f(file_);
    CmdStore s;
    f.load(s, kNow);
    const std::string old = Read(file_);
    s.SetCmdName(1, 1, "x");
    FileResult res;
    {
        test::FileSizeLimit full(1 << 20);
        res = f.save(s);
    }
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(
        res.reason,
        "Не удалось сохранить библиотеку команд в файл CmdConfig. Файл на диске не изменён.\nПричина: File too large");
    EXPECT_EQ(Read(file_), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);
}

TEST_F(CmdConfigTest, AFileThatCannotBeReadIsNeverOverwrittenBehindTheUsersBack) {
    fs::create_directory(file_);
    CmdConfigFile f(file_);
    CmdStore s;
    const CmdLoadResult res = f.load(s, kNow);
    EXPECT_EQ(res.status, CmdLoadStatus::Unreadable);
    EXPECT_EQ(res.messages, std::vector<std::string>{"Не удалось прочитать файл библиотеки команд CmdConfig. Файл "
                                                     "оставлен без изменений, библиотека начата пустой.\nПричина: "
                                                     "это каталог, а не файл"});
    EXPECT_EQ(s.list(100).listName(), "List 100");
    // The edits of this run are still offered for saving: compared with the library right after the load.
    EXPECT_FALSE(f.changed(s).changed);
    s.SetCmdLine(1, 1, "AT");
    EXPECT_TRUE(f.changed(s).changed);
    s.SetCmdLine(1, 1, "");
    EXPECT_FALSE(f.changed(s).changed);
    EXPECT_TRUE(f.keptAsIs());
    EXPECT_TRUE(fs::is_directory(file_));
}

} // namespace
