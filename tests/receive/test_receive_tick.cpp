#include "receive/receive_fixture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

using namespace trelvo;
using namespace trelvo::test;

namespace {

struct Step {
    std::int64_t advanceMs; // clock movement before the tick
    std::string arrive;     // bytes that reach the port before the tick
    std::size_t entriesAfter;
    bool wallClockJump = false; // a new week begins and the local time jumps before the tick
};

struct FramingCase {
    const char* name;
    std::int32_t timeOutMs;
    std::vector<Step> steps;
    std::vector<std::size_t> packetSizes;
};

std::string Bytes_(std::size_t n, char c = 'x') {
    return std::string(n, c);
}

TEST(ReceiveFraming, SilenceAndSizeCuts) {
    const std::vector<FramingCase> cases = {
        {"burst ends after strictly more than the time-out",
         100,
         {{0, "0123456789", 0}, {50, "", 0}, {50, "", 0}, {1, "", 1}},
         {10}},
        {"time-out 0 ends at the first later tick without bytes", 0, {{0, "abc", 0}, {0, "", 0}, {1, "", 1}}, {3}},
        {"a tick that finds bytes never ends a packet by silence",
         10,
         {{0, "aa", 0}, {10, "bb", 0}, {30, "cc", 0}, {10, "", 0}, {1, "", 1}},
         {6}},
        {"two bursts apart by more than the time-out",
         5,
         {{0, "ab", 0}, {6, "", 1}, {0, "cde", 1}, {6, "", 2}},
         {2, 3}},
        {"1500 bytes wait for the silence", 1000, {{0, Bytes_(1500), 0}, {1, "", 0}, {1000, "", 1}}, {1500}},
        {"1501 bytes are cut at once", 1000, {{0, Bytes_(1501), 1}}, {1501}},
        {"a wall-clock jump neither cuts nor merges", 100, {{0, "abc", 0}, {100, "", 0, true}, {1, "", 1}}, {3}},
        {"1500 then 1 more is cut on the second read", 1000, {{0, Bytes_(1500), 0}, {1, "y", 1}}, {1501}},
    };
    for (const FramingCase& c : cases) {
        SCOPED_TRACE(c.name);
        RxRig r;
        r.rx.RxTimeOutMs = c.timeOutMs;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            r.dev.incoming += c.steps[i].arrive;
            if (c.steps[i].wallClockJump) r.clock.local = LocalTime{2024, 3, 11, 0, 0, 0, 0, 1};
            r.tick(c.steps[i].advanceMs);
            EXPECT_EQ(r.sink.entries.size(), c.steps[i].entriesAfter) << "after step " << i;
        }
        std::vector<std::size_t> sizes;
        for (const Bytes& e : r.sink.entries)
            sizes.push_back(e.size()); // ASCII text without line ends: one character per byte
        EXPECT_EQ(sizes, c.packetSizes);
    }
}

// A port that stamps bytes on arrival: a tick however late frames them as ticks every millisecond would have, and
// places each packet as of the moment such a tick would have ended it (its time stamp, the tap's time).
TEST(ReceiveFraming, ArrivalTimesDecideTheSilenceAndTheReads) {
    const struct {
        const char* name;
        std::int32_t timeOutMs;
        std::vector<std::pair<std::int64_t, std::string>> arrivals; // ms after the start, bytes
        std::int64_t tickAt;
        std::vector<std::size_t> packetSizes;
        std::vector<std::int64_t> endedAt;
        std::int64_t reads, minWait, maxWait; // 0: "NA"
    } cases[] = {
        {"arrivals a millisecond apart are one packet at time-out 0",
         0,
         {{0, "ab"}, {1, "cd"}, {2, "ef"}},
         9,
         {6},
         {3},
         3,
         1,
         1},
        {"a silent millisecond between arrivals ends it", 0, {{0, "ab"}, {2, "cd"}}, 9, {2, 2}, {1, 3}, 2, 2, 2},
        {"a gap of time-out + 1 keeps one packet", 5, {{0, "ab"}, {6, "cd"}}, 20, {4}, {12}, 2, 6, 6},
        {"a gap of time-out + 2 cuts", 5, {{0, "ab"}, {7, "cd"}, {7, "e"}}, 20, {2, 3}, {6, 13}, 2, 7, 7},
        {"the silence after the last arrival is strictly more than the time-out", 100, {{0, "abc"}}, 100, {}, {}, 1,
         0, 0},
        {"... counted to the tick", 100, {{0, "abc"}}, 101, {3}, {101}, 1, 0, 0},
        {"a tick at the arrival's own millisecond ends nothing", 0, {{0, "abc"}}, 0, {}, {}, 1, 0, 0},
        {"the size cut stays", 0, {{0, Bytes_(3000)}}, 0, {2048}, {0}, 1, 0, 0},
    };
    struct Tap final : PacketTap {
        std::vector<std::int64_t> at;
        void packetPlaced(std::string_view, std::int64_t ms) override { at.push_back(ms); }
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RxRig r;
        Tap tap;
        r.path.tap = &tap;
        r.rx.RxTimeOutMs = c.timeOutMs;
        const std::int64_t start = r.clock.now;
        for (const auto& [ms, bytes] : c.arrivals) r.dev.arrive(start + ms, bytes);
        r.tick(c.tickAt);
        std::vector<std::size_t> sizes;
        for (const Bytes& e : r.sink.entries) sizes.push_back(e.size());
        EXPECT_EQ(sizes, c.packetSizes);
        for (std::int64_t& ms : tap.at) ms -= start;
        EXPECT_EQ(tap.at, c.endedAt);
        EXPECT_EQ(r.rx.ReadCount, c.reads);
        EXPECT_EQ(r.rx.MinWaitMs, c.minWait ? c.minWait : RxState::kNoMinWait);
        EXPECT_EQ(r.rx.MaxWaitMs, c.maxWait);
    }
}

// A port whose reads take time (the system made the read wait): the clock moves during every read.
class SlowReads final : public ForwardingSerialDevice {
public:
    SlowReads(FakeSerialDevice& dev, ManualClock& clock, int readMs)
        : ForwardingSerialDevice(dev), clock_(clock), readMs_(readMs) {}
    std::uint32_t read(char* b, std::uint32_t n) override {
        clock_.advance(readMs_);
        return ForwardingSerialDevice::read(b, n);
    }

private:
    ManualClock& clock_;
    int readMs_;
};

// Feeds `total` bytes, chunks[t % size] at tick t, and collects the pieces; HEX mode so every byte can be checked.
// With readMs, every read moves the clock by that much.
std::vector<std::string> Stream(std::size_t total, const std::vector<std::size_t>& chunks, std::uint32_t queueLimit,
                                int buffersPerTick, std::string* sent, std::size_t* maxRxLen = nullptr, int readMs = 0,
                                std::int32_t timeOutMs = 5) {
    RxRig r;
    SlowReads slow(r.dev, r.clock, readMs);
    ReceivePath path{slow, r.portOpen, r.clock, r.counters, r.settings, r.sink, {}};
    r.settings.mode = RenderMode::Hex;
    r.rx.RxTimeOutMs = timeOutMs;
    r.rx.MaxBuffersPerTick = buffersPerTick;
    r.dev.queueLimit = queueLimit;
    for (std::size_t i = 0; i < total; ++i)
        sent->push_back(static_cast<char>('A' + (i * 7) % 26));
    std::size_t fed = 0;
    for (std::size_t t = 0; t < 100000 && (fed < total || !r.dev.incoming.empty() || r.rx.RxLen > 0); ++t) {
        const std::size_t n = std::min(chunks[t % chunks.size()], total - fed);
        r.dev.incoming += sent->substr(fed, n);
        fed += n;
        r.clock.advance(1);
        RxTimerTimer(r.rx, path);
        if (maxRxLen) *maxRxLen = std::max<std::size_t>(*maxRxLen, r.rx.RxLen);
    }
    r.clock.advance(100);
    RxTimerTimer(r.rx, path);
    std::vector<std::string> pieces;
    for (const Bytes& e : r.sink.entries)
        pieces.push_back(Unhex(e));
    return pieces;
}

TEST(ReceiveFraming, ContinuousStreamIsCutIntoPiecesOf1501To2048) {
    const std::vector<std::vector<std::size_t>> patterns = {{64}, {700}, {1501}, {4096}, {3000, 5, 1, 0}};
    for (const auto& chunks : patterns) {
        SCOPED_TRACE(chunks[0]);
        std::string sent;
        std::size_t maxRxLen = 0;
        const auto pieces = Stream(40000, chunks, 1u << 20, 32, &sent, &maxRxLen);
        std::string joined;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i + 1 < pieces.size()) {
                EXPECT_GE(pieces[i].size(), 1501u) << "piece " << i;
            }
            EXPECT_LE(pieces[i].size(), 2048u) << "piece " << i;
            joined += pieces[i];
        }
        EXPECT_EQ(joined, sent);
        EXPECT_LE(maxRxLen, 2048u);
    }
}

TEST(ReceiveFraming, ManyBuffersPerTickGiveTheSamePiecesAsOnePerTick) {
    // A part packet is waiting when the flood comes; the driver reports at most 2048 or everything.
    for (std::uint32_t queueLimit : {2048u, 1u << 20}) {
        SCOPED_TRACE(queueLimit);
        std::string sentOne, sentMany;
        const auto one = Stream(50003, {3, 50000, 0}, queueLimit, 1, &sentOne);
        const auto many = Stream(50003, {3, 50000, 0}, queueLimit, 32, &sentMany);
        EXPECT_EQ(one, many);
        ASSERT_GT(one.size(), 20u);
        EXPECT_EQ(one[0].size(), 2048u);
    }
    // Reads that take a millisecond each: the rest of a flood that a tick takes last is timed by its own read, so
    // the silence after it is not counted from the start of the tick and the next bytes still join it.
    std::string sentOne, sentMany;
    const auto one = Stream(8400, {2100, 0, 5, 0}, 2048, 1, &sentOne, nullptr, 1, 2);
    const auto many = Stream(8400, {2100, 0, 5, 0}, 2048, 32, &sentMany, nullptr, 1, 2);
    EXPECT_EQ(one, many);
    EXPECT_EQ(one.size(), 5u); // never silent for more than 2 ms: cut only for size
}

TEST(ReceiveFraming, AFloodTickTakesSeveralBuffersButCountsOneRead) {
    RxRig r;
    r.dev.queueLimit = 1u << 20;
    r.dev.incoming = Bytes_(10 * 2048);
    const RxTickResult res = r.tick();
    EXPECT_EQ(res.packets, 10);
    EXPECT_EQ(r.rx.ReadCount, 1);
    EXPECT_EQ(r.counters.RxBytes, 10 * 2048);
    EXPECT_TRUE(r.dev.incoming.empty());
}

TEST(ReceiveFraming, APartPacketSurvivesACloseAndIsRenderedAfterTheNextOpen) {
    RxRig r;
    r.rx.RxTimeOutMs = 50;
    r.dev.incoming = "abc";
    r.tick();
    r.dev.close();
    r.portOpen = false;
    for (int i = 0; i < 5; ++i)
        r.tick(100);
    EXPECT_TRUE(r.sink.entries.empty());
    EXPECT_EQ(r.rx.RxLen, 3u);
    r.dev.open("COM3");
    r.portOpen = true;
    r.tick();
    EXPECT_EQ(r.sink.entries, std::vector<Bytes>{"abc"});
}

TEST(ReceiveStatistics, CountersCaptionsAndReset) {
    RxRig r;
    r.counters.TxBytes = 7;
    r.counters.SentPackets = 4;
    EXPECT_EQ(MinWaitCaption(r.rx), "MIN_T_W:  NA");
    EXPECT_EQ(MaxWaitCaption(r.rx), "MAX_T_W: NA");

    struct Read {
        std::int64_t gapMs;
        bool waitCaptions;
        const char* min;
        const char* max;
    };
    const Read reads[] = {{1, false, "MIN_T_W:  NA", "MAX_T_W: NA"}, // the first read has nothing to measure against
                          {7, true, "MIN_T_W:  7", "MAX_T_W: 7"},
                          {3, true, "MIN_T_W:  3", "MAX_T_W: 7"},
                          {5, false, "MIN_T_W:  3", "MAX_T_W: 7"}};
    int n = 0;
    for (const Read& rd : reads) {
        r.dev.incoming = "ab";
        const RxTickResult res = r.tick(rd.gapMs);
        ++n;
        EXPECT_TRUE(res.readCaption && res.transferCaption);
        EXPECT_EQ(res.waitCaptions, rd.waitCaptions) << "read " << n;
        EXPECT_EQ(ReadCaption(r.rx), "Read: " + std::to_string(n));
        EXPECT_EQ(MinWaitCaption(r.rx), rd.min);
        EXPECT_EQ(MaxWaitCaption(r.rx), rd.max);
    }
    const RxTickResult idle = r.tick(1);
    EXPECT_FALSE(idle.readCaption || idle.waitCaptions || idle.transferCaption);
    EXPECT_EQ(TransferCaption(r.counters), "TX: 7 RX: 8");

    BTClrStatClick(r.rx, r.counters);
    EXPECT_EQ(ReadCaption(r.rx), "Read: 0");
    EXPECT_EQ(MinWaitCaption(r.rx), "MIN_T_W:  NA");
    EXPECT_EQ(MaxWaitCaption(r.rx), "MAX_T_W: NA");
    EXPECT_EQ(SentCaption(r.counters), "Send: 0");
    EXPECT_EQ(TransferCaption(r.counters), "TX: 7 RX: 8");

    // The reads before the reset still count as the previous read.
    r.dev.incoming = "c";
    r.tick(9);
    EXPECT_EQ(MinWaitCaption(r.rx), "MIN_T_W:  10");
    EXPECT_EQ(MaxWaitCaption(r.rx), "MAX_T_W: 10");
}

TEST(ReceiveNesting, ATickEnteredFromAModalWindowSkipsOnceThenRuns) {
    RxRig r;
    int depth = 0;
    std::vector<std::string> log;
    r.path.afterAnswer = [&](std::uint32_t) {
        if (depth++ > 0) return;
        // A message box opened by the after-answer step: the timer keeps firing inside it.
        r.dev.incoming = "xyz";
        RxTimerTimer(r.rx, r.path);
        log.push_back("first nested tick left " + r.dev.incoming);
        r.tick(1);
        r.tick(1);
        log.push_back("entries " + std::to_string(r.sink.entries.size()));
    };
    r.dev.incoming = "ab";
    r.tick();
    r.tick();
    EXPECT_EQ(log, (std::vector<std::string>{"first nested tick left xyz", "entries 2"}));
    EXPECT_EQ(r.sink.entries, (std::vector<Bytes>{"ab", "xyz"}));
    EXPECT_FALSE(r.rx.RxBusy);
    r.dev.incoming = "cd";
    r.tick();
    r.tick();
    EXPECT_EQ(r.sink.entries.back(), "cd");

    // A tick ended by an error leaves the flag set: the next tick only clears it, the one after runs.
    r.path.afterAnswer = [](std::uint32_t) { throw std::runtime_error("file error"); };
    r.dev.incoming = "ef";
    r.tick();
    EXPECT_THROW(r.tick(), std::runtime_error);
    r.path.afterAnswer = nullptr;
    r.dev.incoming = "gh";
    r.tick();
    EXPECT_EQ(r.dev.incoming, "gh");
    r.tick();
    EXPECT_EQ(r.dev.incoming, "");
}

TEST(TimeOutArrows, StepTable) {
    struct Row {
        std::int32_t before;
        ArrowDirection dir;
        std::int32_t after;
    };
    const auto U = ArrowDirection::Up, D = ArrowDirection::Down;
    const Row rows[] = {{0, D, 0},         {0, U, 1},           {5, U, 6},          {9, U, 10},
                        {10, D, 5},        {10, U, 15},         {9, D, 8},          {95, U, 100},
                        {99, D, 94},       {100, D, 50},        {100, U, 150},      {999, U, 1049},
                        {1000, D, 500},    {9999, U, 10499},    {10000, D, 5000},   {99999, U, 100000},
                        {99999, D, 94999}, {100000, U, 100000}, {100000, D, 50000}, {95000, U, 100000}};
    for (const Row& row : rows)
        EXPECT_EQ(TimeOutStep(row.before, row.dir), row.after) << row.before << (row.dir == U ? " up" : " down");
}

TEST(TimeOutArrows, ThePositionDecidesWhetherAPressCounts) {
    RxState rx;
    TimeOutArrows arrows;
    EXPECT_FALSE(TimeOutRxClick(rx, arrows, ArrowDirection::Down));
    EXPECT_EQ(rx.RxTimeOutMs, 0);
    EXPECT_TRUE(TimeOutRxClick(rx, arrows, ArrowDirection::Up));
    EXPECT_EQ(TimeOutCaption(rx.RxTimeOutMs), "TimeOutRX: 1");
    EXPECT_TRUE(TimeOutHighlighted(rx.RxTimeOutMs));
    for (int i = 0; i < 20000; ++i)
        TimeOutRxClick(rx, arrows, ArrowDirection::Up);
    EXPECT_EQ(arrows.position, TimeOutArrows::kMax);
    EXPECT_EQ(rx.RxTimeOutMs, 100000);
    EXPECT_FALSE(TimeOutRxClick(rx, arrows, ArrowDirection::Up));
    for (int i = 0; i < 60; ++i)
        EXPECT_TRUE(TimeOutRxClick(rx, arrows, ArrowDirection::Down));
    EXPECT_EQ(rx.RxTimeOutMs, 0); // the value reached 0 long before the position did
    EXPECT_FALSE(TimeOutHighlighted(rx.RxTimeOutMs));
    EXPECT_EQ(arrows.position, TimeOutArrows::kMax - 60);
}

} // namespace

// The running count of rendered packets: a flood tick renders several, an LF-only packet renders none, and the
// statistics reset leaves the count alone.
TEST(ReceiveStatistics, RenderedPacketsCountEveryEntryBuiltAndNoOther) {
    RxRig r;
    r.dev.incoming = Bytes_(1501 * 3);
    r.dev.queueLimit = 2048;
    const RxTickResult flood = r.tick(1); // 2048 and 2048 cut for size, 407 left in the buffer
    EXPECT_EQ(flood.packets, 2);
    EXPECT_EQ(r.rx.RenderedPackets, 2);
    r.tick(5); // the rest, ended by silence
    EXPECT_EQ(r.rx.RenderedPackets, 3);
    EXPECT_EQ(r.sink.entries.size(), 3u);

    BTClrStatClick(r.rx, r.counters);
    r.dev.incoming = "\n\n";
    r.tick(1);
    r.tick(5);
    EXPECT_EQ(r.rx.RenderedPackets, static_cast<std::int64_t>(r.sink.entries.size())); // LF only: no entry, no count

    r.settings.filter = "never";
    r.dev.incoming = "OK\r";
    r.tick(1);
    r.tick(5);
    EXPECT_EQ(r.rx.RenderedPackets, static_cast<std::int64_t>(r.sink.entries.size()) + 1); // filtered out, yet built
}

// A port whose reads take time (the system made the read wait): a flood tick stops taking more buffers once its
// time is up, and what is left is taken by the next ticks, in the same pieces.
TEST(ReceiveFraming, AFloodTickStopsTakingBuffersWhenReadsAreSlow) {
    const struct {
        int readMs;
        int packetsInFirstTick;
    } rows[] = {{0, 10}, {1, 2}, {2, 1}, {5, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.readMs);
        RxRig r;
        SlowReads slow(r.dev, r.clock, row.readMs);
        ReceivePath path{slow, r.portOpen, r.clock, r.counters, r.settings, r.sink, {}};
        r.dev.queueLimit = 1u << 20;
        r.dev.incoming = Bytes_(10 * 2048);
        const RxTickResult first = RxTimerTimer(r.rx, path);
        EXPECT_EQ(first.packets, row.packetsInFirstTick);
        EXPECT_EQ(r.counters.RxBytes, row.packetsInFirstTick * 2048);
        for (int i = 0; i < 20 && !r.dev.incoming.empty(); ++i) {
            r.clock.advance(1);
            RxTimerTimer(r.rx, path);
        }
        EXPECT_TRUE(r.dev.incoming.empty());
        ASSERT_EQ(r.sink.entries.size(), 10u);
        for (const Bytes& e : r.sink.entries)
            EXPECT_EQ(e.size(), 2048u); // each piece 2048 bytes, one character each
    }
}
