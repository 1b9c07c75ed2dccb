#include "transmit/history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace trelvo;

namespace {

CmdHistory Numbered(int n) {
    CmdHistory h;
    for (int k = 1; k <= n; ++k)
        h.entry(k).setText("L" + std::to_string(k));
    return h;
}

std::vector<Bytes> Texts(const CmdHistory& h) {
    std::vector<Bytes> out;
    for (const auto& r : h.records)
        out.push_back(r.text());
    return out;
}

struct UpdateRow {
    const char* name;
    int filled; // entries L1..Ln before
    Bytes line;
    bool entered;
    std::vector<Bytes> top; // expected entries 1.. (the rest as noted below)
    int unchangedFrom;      // entries from here to 50 keep their texts (0: none to check)
};

class UpdateHistoryTable : public testing::TestWithParam<UpdateRow> {};

TEST_P(UpdateHistoryTable, Rule) {
    const UpdateRow& r = GetParam();
    CmdHistory h = Numbered(r.filled);
    const CmdHistory before = h;
    EXPECT_EQ(UpdateHistory(h, r.line), r.entered);
    for (std::size_t k = 0; k < r.top.size(); ++k)
        EXPECT_EQ(h.entry(k + 1).text(), r.top[k]) << "entry " << k + 1;
    for (int k = std::max(r.unchangedFrom, 1); r.unchangedFrom > 0 && k <= 50; ++k) {
        EXPECT_EQ(h.entry(k).raw, before.entry(k).raw) << "entry " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateHistoryTable,
    testing::Values(UpdateRow{"new_line_enters_at_top", 3, "AT", true, {"AT", "L1", "L2", "L3", ""}, 6},
                    UpdateRow{"top_entry_stays", 5, "L1", true, {"L1", "L2", "L3", "L4", "L5", ""}, 6},
                    UpdateRow{
                        "entry_7_moves_to_top", 50, "L7", true, {"L7", "L1", "L2", "L3", "L4", "L5", "L6", "L8"}, 8},
                    UpdateRow{"last_entry_moves_to_top", 50, "L50", true, {"L50", "L1", "L2"}, 0},
                    UpdateRow{"case_differs_is_new", 3, "l2", true, {"l2", "L1", "L2", "L3"}, 0},
                    UpdateRow{"prefix_is_not_equal", 3, "L", true, {"L", "L1", "L2", "L3"}, 0},
                    UpdateRow{"empty_not_entered", 3, "", false, {"L1", "L2", "L3"}, 1},
                    UpdateRow{"255_not_entered", 3, Bytes(255, 'x'), false, {"L1", "L2", "L3"}, 1},
                    UpdateRow{"254_entered", 3, Bytes(254, 'x'), true, {Bytes(254, 'x'), "L1"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpdateHistory, FiftyFirstLinePushesOutTheOldest) {
    CmdHistory h = Numbered(50);
    ASSERT_TRUE(UpdateHistory(h, "new"));
    EXPECT_EQ(h.entry(1).text(), "new");
    EXPECT_EQ(h.entry(50).text(), "L49");
    const auto items = HistoryItems(h);
    EXPECT_EQ(items.size(), 50u);
    EXPECT_EQ(std::count(items.begin(), items.end(), "L50"), 0);
}

TEST(UpdateHistory, LastEqualEntryWinsAndRecordsMoveWhole) {
    // Duplicates can only come from a file; the lower copy is the one that moves up.
    CmdHistory h = Numbered(6);
    h.entry(2).setText("dup");
    h.entry(5).setText("dup");
    h.entry(3).raw[200] = 0x5A; // a tail byte behind the text
    ASSERT_TRUE(UpdateHistory(h, "dup"));
    const std::vector<Bytes> texts = Texts(h);
    EXPECT_EQ((std::vector<Bytes>(texts.begin(), texts.begin() + 7)),
              (std::vector<Bytes>{"dup", "L1", "dup", "L3", "L4", "L6", ""}));
    EXPECT_EQ(h.entry(4).raw[200], 0x5A);
}

TEST(UpdateHistory, NewTopKeepsTheTailOfTheOldTop) {
    // Entry 1 is written over, not cleared: the file keeps its old characters behind the new length.
    CmdHistory h;
    h.entry(1).setText("ABCDEF");
    ASSERT_TRUE(UpdateHistory(h, "xy"));
    EXPECT_EQ(h.entry(1).raw[0], 2);
    EXPECT_EQ(Bytes(reinterpret_cast<const char*>(h.entry(1).raw.data()) + 1, 6), "xyCDEF");
    EXPECT_EQ(h.entry(2).text(), "ABCDEF");
}

TEST(HistoryItems, SkipsEmptyEntriesKeepsOrder) {
    CmdHistory h;
    h.entry(1).setText("a");
    h.entry(3).setText("c");
    h.entry(50).setText("z");
    EXPECT_EQ(HistoryItems(h), (std::vector<Bytes>{"a", "c", "z"}));
}

TEST(HistoryFileBytes, EntryKAtOffsetOfRecordK) {
    CmdHistory h;
    h.entry(1).setText("AT");
    h.entry(2).setText("\xCF\xF0\xE8");
    const Bytes file = HistoryToFileBytes(h);
    ASSERT_EQ(file.size(), 12800u);
    EXPECT_EQ(file.substr(0, 3), Bytes("\x02"
                                       "AT"));
    EXPECT_EQ(file.substr(256, 4), Bytes("\x03\xCF\xF0\xE8"));
    CmdHistory back;
    EXPECT_EQ(HistoryFromFileBytes(back, file), 50u);
    EXPECT_EQ(back.entry(2).text(), "\xCF\xF0\xE8");
}

} // namespace
