// Lines into values, and the bounded store they go into.

#include "plot/plot_lines.h"
#include "plot/plot_store.h"
#include "plot/plot_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace trelvo;
using namespace std::string_literals;

namespace {

// Entries through the splitter into a store; the samples written as "name=value ..." joined by " | ", a gap as "-".
std::string Samples(const std::vector<std::string>& entries, PlotStore& store) {
    PlotLineSplitter splitter;
    std::vector<PlotValue> values;
    std::int64_t ms = 0;
    for (const std::string& e : entries)
        splitter.feed(e, ms += 10, [&](std::string_view line, std::int64_t at) {
            ParsePlotLine(line, values);
            store.add(static_cast<double>(at) / 1000, values);
        });
    std::string out;
    for (std::size_t i = 0; i < store.size(); ++i) {
        if (i) out += " | ";
        for (int s = 0; s < store.seriesCount(); ++s) {
            if (s) out += ' ';
            out += store.series(s).name + "=" + PlotNumberText(store.series(s).values[i]);
        }
    }
    return out;
}

TEST(PlotLines, Table) {
    struct Row {
        const char* name;
        std::vector<std::string> entries;
        std::string samples;
    };
    const Row rows[] = {
        {"named", {"temp:21.5 hum:40\r\n"}, "temp=21.5 hum=40"},
        {"name=value, tabs", {"a=1\tb=-2\n"}, "a=1 b=-2"},
        {"commas and semicolons", {"a:1,b:2;c:3\n"}, "a=1 b=2 c=3"},
        {"name: value", {"a: 5 b:6\n"}, "a=5 b=6"},
        {"bare with spaces", {"21.5 40 -3\n"}, "1=21.5 2=40 3=-3"},
        {"bare with commas", {"21.5,40,-3\n"}, "1=21.5 2=40 3=-3"},
        {"bare with semicolons", {"21.5;40;-3\n"}, "1=21.5 2=40 3=-3"},
        {"signs, fractions, exponents", {"+1 -.5 1e-3 -2.5E+2 7.\n"}, "1=1 2=-0.5 3=0.001 4=-250 5=7"},
        {"nan, inf, words leave a gap",
         {"1 2 3\n", "4 nan x\n", "inf 5 -inf\n"},
         "1=1 2=2 3=3 | 1=4 2=- 3=- | 1=- 2=5 3=-"},
        {"not numbers", {"0x10 1,5.5 --1 1e 12a\n"}, "2=1 3=5.5"},
        {"a line without numbers is no sample", {"hello world\n", "a:x\n", "1\n"}, "1=1"},
        {"CR, LF and CR LF in one entry", {"a:1\rb:2\na:3\r\n\r\nb:4"}, "a=1 b=- | a=- b=2 | a=3 b=-"},
        {"a line split over entries", {"a:2", "1.5 b:", "4\r\na:1\n"}, "a=21.5 b=4 | a=1 b=-"},
        {"a series that comes later has gaps before", {"a:1\n", "a:2 b:3\n"}, "a=1 b=- | a=2 b=3"},
        {"CP1251 names", {"\xD2:1\n"s}, "\xD2=1"s},
    };
    for (const Row& r : rows) {
        PlotStore store;
        EXPECT_EQ(Samples(r.entries, store), r.samples) << r.name;
    }
}

TEST(PlotLines, SeventeenSeriesKeepSixteenAndCountTheRest) {
    std::string line;
    for (int i = 1; i <= 17; ++i)
        line += std::to_string(i) + " ";
    PlotStore store;
    Samples({line + "\n", "x:1 y:2\n", "x:3\n"}, store);
    EXPECT_EQ(store.seriesCount(), PlotStore::kMaxSeries);
    EXPECT_EQ(store.series(15).name, "16");
    EXPECT_EQ(store.extraNames(), (std::vector<std::string>{"17", "x", "y"}));
    EXPECT_EQ(store.size(), 1u); // the lines of unplotted series alone add no sample
}

TEST(PlotLines, HeldPartLineEndsAfterSilence) {
    PlotLineSplitter splitter;
    std::vector<std::pair<std::string, std::int64_t>> lines;
    const auto take = [&](std::string_view line, std::int64_t at) { lines.emplace_back(line, at); };
    splitter.feed("12", 1000, take);
    EXPECT_FALSE(splitter.flushStale(1000 + PlotLineSplitter::kHoldMs - 1, take));
    EXPECT_TRUE(splitter.flushStale(1000 + PlotLineSplitter::kHoldMs, take));
    EXPECT_EQ(lines, (std::vector<std::pair<std::string, std::int64_t>>{{"12", 1000}}));
    EXPECT_EQ(splitter.heldDueMs(), -1);
    // Joined mid-stream: the rest of a line begun earlier is dropped, up to a line end, or until a pause.
    splitter.joinMidStream();
    splitter.feed("5 b:6", 2001, take);
    splitter.feed("\na:7\n", 2002, take);
    splitter.joinMidStream();
    splitter.feed("8", 2200, take);
    splitter.feed("9\n", 2200 + PlotLineSplitter::kHoldMs, take);
    EXPECT_EQ(lines, (std::vector<std::pair<std::string, std::int64_t>>{
                         {"12", 1000}, {"a:7", 2002}, {"9", 2200 + PlotLineSplitter::kHoldMs}}));
}

TEST(PlotStore, BoundedDropsTheOldestAndKeepsCounting) {
    PlotStore store(4);
    std::vector<PlotValue> v(1);
    for (int i = 1; i <= 10; ++i) {
        v[0] = {"a", 0, static_cast<double>(i)};
        store.add(i, v);
    }
    ASSERT_EQ(store.size(), 4u);
    EXPECT_EQ(store.time(0), 7);
    EXPECT_EQ(store.series(0).values[0], 7);
    EXPECT_EQ(store.series(0).values[3], 10);
    EXPECT_EQ(store.sampleNumber(0), 7);
    EXPECT_EQ(store.firstAtOrAfter(8.5), 2u);
    EXPECT_EQ(store.series(0).min, 1);
    EXPECT_EQ(store.series(0).max, 10);
    EXPECT_EQ(store.series(0).last, 10);
    const std::string csv = PlotCsv(store);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n8.")), "time_s,sample,\"a\"\r\n7.000,7,7");
    store.clear();
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(store.seriesCount(), 0);
}

TEST(PlotView, ColumnsKeepExtremesAndBreakAtGaps) {
    PlotStore store;
    const double values[] = {1, 5, -2, 3, NAN, 4};
    for (int i = 0; i < 6; ++i) // "b" keeps the line a sample where "a" has a gap
        store.add(i, {{"a", 0, values[i]}, {"b", 0, 0}});
    // Samples 1..6 on 2 columns: 1..3 in the first, 4..6 in the second.
    std::vector<PlotColumn> cols;
    PlotColumns(store, 0, PlotXAxis::Sample, {1, 7}, 2, cols);
    ASSERT_EQ(cols.size(), 2u);
    EXPECT_EQ(cols[0].min, -2);
    EXPECT_EQ(cols[0].max, 5);
    EXPECT_EQ(cols[1].first, 3);
    EXPECT_EQ(cols[1].last, 4);
    EXPECT_TRUE(cols[1].joined);
    PlotColumns(store, 0, PlotXAxis::Time, {3, 6}, 3, cols); // times 3 and 5, the gap at 4 between
    ASSERT_EQ(cols.size(), 2u);
    EXPECT_FALSE(cols[1].joined);
}

TEST(PlotView, FramesComeSlowerWhenLittleChanges) {
    EXPECT_EQ(PlotFrameGapMs(5, 50, 1), 100);   // a few samples, a slow scroll
    EXPECT_EQ(PlotFrameGapMs(40, 50, 1), 45);   // a flood of samples
    EXPECT_EQ(PlotFrameGapMs(5, 100, 1), 45);   // a fast scroll
    EXPECT_EQ(PlotFrameGapMs(40, 50, 30), 120); // a slow picture waits four times its time
}

TEST(PlotView, SeriesColoursStandOutOnEveryScheme) {
    const PlotRgb schemes[] = {{240, 240, 240}, {244, 247, 252}, {0, 255, 255},
                               {0, 0, 0},       {255, 0, 0},     {255, 255, 255}};
    for (PlotRgb bg : schemes)
        for (int i = 0; i < PlotStore::kMaxSeries; ++i)
            EXPECT_GE(ContrastRatio(SeriesColour(i, bg), bg), 2.9) << i << " on " << bg.r << "," << bg.g << "," << bg.b;
}

} // namespace
