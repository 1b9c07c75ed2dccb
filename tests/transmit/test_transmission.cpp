#include "transmit/transmission.h"

#include "support/fake_serial_device.h"
#include "support/manual_clock.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace trelvo;
using std::string_literals::operator""s;

namespace {

struct RecordingSink final : EntrySink {
    std::vector<Bytes> entries;
    std::function<void()> onPlace;
    void placeEntry(const Bytes& entry) override {
        entries.push_back(entry);
        if (onPlace) onPlace();
    }
};

class SendPortDataTest : public testing::Test {
protected:
    SendPortDataTest() {
        port.open("COM3");
        port.log.clear();
        clock.local = LocalTime{2024, 3, 5, 14, 3, 7, 45, 2};
    }
    SendContext Context(SerialDevice& dev) {
        return SendContext{state, portOpen, dev, clock, dialogs, inputs, history, sink, counters};
    }
    SendOutcome Send(const Bytes& line) {
        SendContext ctx = Context(port);
        return SendPortData(line, ctx);
    }

    test::FakeSerialDevice port;
    test::ManualClock clock;
    test::RecordingDialogs dialogs;
    SendState state;
    bool portOpen = true;
    SendInputs inputs{"$0D", TxMode::Ascii, false, ""};
    CmdHistory history;
    RecordingSink sink;
    TransferCounters counters;
};

struct WireRow {
    const char* name;
    TxMode mode;
    Bytes line;
    Bytes suffix;
    Bytes wire;
    Bytes echo;
};

class SendWireTable : public SendPortDataTest, public testing::WithParamInterface<WireRow> {};

TEST_P(SendWireTable, BytesOnTheLineAndEcho) {
    const WireRow& r = GetParam();
    inputs.mode = r.mode;
    inputs.suffix = r.suffix;
    const SendOutcome out = Send(r.line);
    EXPECT_EQ(out.status, SendStatus::Sent);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], r.wire);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0], r.echo);
    EXPECT_EQ(counters.TxBytes, static_cast<std::int64_t>(r.wire.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SendWireTable,
    testing::Values(WireRow{"ascii_cr", TxMode::Ascii, "AT", "$0D", "AT\r", "AT\r"},
                    WireRow{"checksum_as_text", TxMode::Ascii, "abc", "*[XOR_8 (0..n)]$0D", "abc*60\r", "abc*60\r"},
                    WireRow{"checksum_as_byte", TxMode::Ascii, "abc", "$[SUM_8(0..n)]", "abc\x26", "abc\x26"},
                    WireRow{"hex_checksum", TxMode::Hex, "01 02 03", " [SUM_8(0..n)]", "\x01\x02\x03\x06",
                            "01 02 03 06"},
                    WireRow{"hint_look_alike", TxMode::Ascii, "abc", "*[XOR_8(1..n)]$0D$0A", "abc*[XOR_8(1..n)]\r\n",
                            "abc*[XOR_8(1..n)]\r\n"},
                    // NUL is shown as in received entries; other control bytes stay.
                    WireRow{"echo_nul_shown", TxMode::Ascii, "A", "$00$07B$00",
                            "A\0\x07"
                            "B\0"s,
                            "A<NULL>\x07"
                            "B<NULL>"},
                    WireRow{"echo_keeps_crlf", TxMode::Ascii, "A", "$0D$0AB", "A\r\nB", "A\r\nB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SendPortDataTest, CountersAndCaptionsInSixtyFourBits) {
    counters.RxBytes = 7;
    Send("AT");    // 3 bytes
    Send("ATI12"); // 6 bytes
    EXPECT_EQ(TransferCaption(counters), "TX: 9 RX: 7");
    EXPECT_EQ(SentCaption(counters), "Send: 2");
    // Past the 32-bit limits, where an int count would turn negative.
    counters = TransferCounters{0xFFFFFFF0LL, 0x80000000LL, 0x7FFFFFFFLL};
    Send(Bytes(100, 'a'));
    EXPECT_EQ(TransferCaption(counters), "TX: 4294967381 RX: 2147483648");
    EXPECT_EQ(SentCaption(counters), "Send: 2147483648");
}

TEST_F(SendPortDataTest, RefusedWriteCountsNothingAndShowsNoMessage) {
    port.refuseWrites = true;
    const SendOutcome out = Send("AT");
    EXPECT_EQ(out.status, SendStatus::Sent);
    EXPECT_EQ(out.encoded, 3u);
    EXPECT_EQ(out.accepted, 0u);
    EXPECT_EQ(counters.TxBytes, 0);
    EXPECT_EQ(counters.SentPackets, 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(sink.entries.size(), 1u); // echoed before the write, as always
    EXPECT_EQ(history.entry(1).text(), "AT");
}

TEST_F(SendPortDataTest, FilteredLineIsStillSentCountedAndRemembered) {
    const struct {
        Bytes filter;
        bool visTime;
        bool placed;
    } rows[] = {{"", false, true},   {"AT", false, true},   {"at", false, false}, {"OK", false, false},
                {"> ]", true, true}, {"> ]", false, false}, {"14:03", true, true}};
    for (const auto& r : rows) {
        sink.entries.clear();
        port.writes.clear();
        history = CmdHistory{};
        inputs.filter = r.filter;
        inputs.visTime = r.visTime;
        const auto before = counters;
        const SendOutcome out = Send("AT");
        EXPECT_EQ(out.echoPlaced, r.placed) << r.filter;
        EXPECT_EQ(sink.entries.size(), r.placed ? 1u : 0u) << r.filter;
        EXPECT_EQ(port.writes, (std::vector<std::string>{"AT\r"})) << r.filter;
        EXPECT_EQ(counters.SentPackets, before.SentPackets + 1) << r.filter;
        EXPECT_EQ(history.entry(1).text(), "AT") << r.filter;
    }
}

TEST_F(SendPortDataTest, EchoWithAndWithoutTimeStamp) {
    const struct {
        TxMode mode;
        Bytes suffix;
        Bytes line;
        bool visTime;
        Bytes entry;
    } rows[] = {
        {TxMode::Ascii, "$0D", "AT", true, " [ 14:03:07:045 > ] AT\r"},
        {TxMode::Ascii, "$0D", "AT", false, "AT\r"},
        {TxMode::Hex, "", "01 02 03", true, " [ 14:03:07:045 > ] 01 02 03"},
        {TxMode::Hex, " 0D", "01 02 03", false, "01 02 03 0D"},
    };
    for (const auto& r : rows) {
        sink.entries.clear();
        inputs.mode = r.mode;
        inputs.suffix = r.suffix;
        inputs.visTime = r.visTime;
        Send(r.line);
        ASSERT_EQ(sink.entries.size(), 1u);
        EXPECT_EQ(sink.entries[0], r.entry);
    }
}

TEST_F(SendPortDataTest, EchoWithItsStampIsPlacedBeforePurgeAndWrite) {
    // The stamp belongs to the moment before the write, so a slow write cannot delay it.
    inputs.visTime = true;
    port.incoming = "late";
    sink.onPlace = [&] {
        EXPECT_TRUE(port.log.empty());
        clock.local.second += 5; // time passes from here on
    };
    Send("AT");
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0], " [ 14:03:07:045 > ] AT\r");
    EXPECT_EQ(port.log, (std::vector<std::string>{"purge input", "write"}));
    EXPECT_TRUE(port.incoming.empty()); // unread bytes are discarded by the purge
}

TEST_F(SendPortDataTest, ClosedPortShowsTheErrorWindowEvenForAnEmptyLine) {
    portOpen = false;
    port.close();
    port.log.clear();
    for (const Bytes& line : {Bytes("AT"), Bytes()}) {
        dialogs.openPortErrorShown = 0;
        const SendOutcome out = Send(line);
        EXPECT_EQ(out.status, SendStatus::PortClosed);
        EXPECT_EQ(dialogs.openPortErrorShown, 1);
    }
    EXPECT_TRUE(port.log.empty());
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_TRUE(HistoryItems(history).empty()); // a refused transmission is not remembered
    EXPECT_EQ(counters.TxBytes, 0);
    EXPECT_EQ(counters.SentPackets, 0);
    EXPECT_FALSE(state.SendBusy);
}

TEST_F(SendPortDataTest, EmptyLineWithOpenPortDoesNothing) {
    inputs.suffix = "$0D$0A"; // a suffix alone is never sent
    port.incoming = "waiting";
    const SendOutcome out = Send("");
    EXPECT_EQ(out.status, SendStatus::EmptyLine);
    EXPECT_TRUE(port.log.empty());
    EXPECT_EQ(port.incoming, "waiting");
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_EQ(dialogs.openPortErrorShown, 0);
    EXPECT_EQ(counters.SentPackets, 0);
    EXPECT_TRUE(HistoryItems(history).empty());
}

// While the error window is open, a timer may try to send: the nested call is dropped, not queued.
TEST_F(SendPortDataTest, NestedCallWhileBusyIsDropped) {
    test::RecordingDialogs nesting;
    SendOutcome nested;
    nesting.whileOpenPortError = [&] {
        SendContext open = Context(port); // the port may even have come back meanwhile
        nested = SendPortData("AT", open);
        EXPECT_TRUE(state.SendBusy);
    };
    SendContext closed{state, false, port, clock, nesting, inputs, history, sink, counters};
    EXPECT_EQ(SendPortData("X", closed).status, SendStatus::PortClosed);
    EXPECT_EQ(nested.status, SendStatus::Busy);
    EXPECT_EQ(nesting.openPortErrorShown, 1);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(HistoryItems(history).empty());
    EXPECT_FALSE(state.SendBusy);
    EXPECT_EQ(Send("AT").status, SendStatus::Sent); // later sends go through
}

TEST_F(SendPortDataTest, NestedCallFromTheLogIsDroppedAndBusyIsClearedOnThrow) {
    sink.onPlace = [&] { EXPECT_EQ(Send("again").status, SendStatus::Busy); };
    Send("AT");
    EXPECT_EQ(port.writes.size(), 1u);
    sink.onPlace = [] { throw std::runtime_error("log"); };
    EXPECT_THROW(Send("AT"), std::runtime_error);
    EXPECT_FALSE(state.SendBusy);
}

TEST_F(SendPortDataTest, HistoryTakesTheLineWithoutSuffix) {
    int refreshed = 0;
    inputs.suffix = "[SUM_8(0..n)]$0D";
    SendContext ctx = Context(port);
    ctx.historyChanged = [&] { ++refreshed; };
    const Bytes longLine(255, 'L');
    EXPECT_TRUE(SendPortData("ATI", ctx).historyChanged);
    EXPECT_FALSE(SendPortData(longLine, ctx).historyChanged); // sent, not remembered
    EXPECT_EQ(HistoryItems(history), (std::vector<Bytes>{"ATI"}));
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(port.writes[1].size(), 255u + 3u);
}

TEST_F(SendPortDataTest, LongLineGoesOutWholeInOneWrite) {
    inputs.mode = TxMode::Hex;
    inputs.suffix = " 0D";
    Bytes line = "55";
    for (int i = 1; i < 2500; ++i)
        line += " 55";
    Send(line);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].size(), 2501u);
    EXPECT_EQ(port.writes[0].back(), '\x0D');
    EXPECT_EQ(counters.TxBytes, 2501);
}

} // namespace

// A slow line: the port takes the bytes at once and writes them as the line allows.
class DrainingPortTest : public SendPortDataTest {
protected:
    DrainingPortTest() {
        port.holdWrites = true;
        port.writtenListener = [this](std::uint64_t n) {
            SendContext ctx = Context(port);
            reported.push_back(BytesWritten(n, ctx).status);
        };
    }
    std::vector<SendStatus> reported;
};

TEST_F(DrainingPortTest, OneSendWaitsForTheEarlierBytesAndGoesWholeAfterThemFurtherOnesAreDropped) {
    const Bytes first(100, 'a');
    port.incoming = "old answer";
    EXPECT_EQ(Send(first).status, SendStatus::Sent);
    EXPECT_EQ(counters.TxBytes, 0); // nothing accepted by the system yet
    EXPECT_EQ(counters.SentPackets, 1);
    port.drain(40);
    EXPECT_EQ(counters.TxBytes, 40);

    port.incoming = "answer";
    inputs.suffix = "$0A"; // the held send keeps the inputs of its call
    EXPECT_EQ(Send("B").status, SendStatus::Held);
    inputs.suffix = "$0D";
    EXPECT_EQ(Send("C").status, SendStatus::Draining);
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(HistoryItems(history), (std::vector<Bytes>{first})); // a held send is remembered when it goes
    EXPECT_EQ(port.incoming, "answer");

    port.drain(61); // the first line is out: the held one goes, received bytes purged, the first line's kept
    EXPECT_EQ(reported.back(), SendStatus::Sent);
    EXPECT_EQ(port.incoming, "");
    EXPECT_EQ(sink.entries.back(), "B\n");
    port.drain(10);
    EXPECT_EQ(port.written, first + "\r" + "B\n");
    EXPECT_EQ(counters.TxBytes, 103);
    EXPECT_EQ(counters.SentPackets, 2);
    EXPECT_EQ(HistoryItems(history).front(), "B");
    EXPECT_FALSE(state.held);
    EXPECT_FALSE(state.SendBusy);
}

TEST_F(DrainingPortTest, AHeldSendNeverGoesToAPortClosedBeforeItsTurn) {
    const struct {
        const char* name;
        std::function<void()> meanwhile;
    } rows[] = {
        {"lost, its last report still comes", [&] { portOpen = false, port.drain(2); }},
        {"closed and opened again, no report", [&] { port.close(), port.open("COM3"); }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        port.written.clear();
        portOpen = true;
        Send("A");
        EXPECT_EQ(Send("B").status, SendStatus::Held);
        r.meanwhile();
        portOpen = true;
        EXPECT_EQ(Send("C").status, SendStatus::Sent);
        port.drain(2);
        EXPECT_EQ(port.written.find('B'), std::string::npos) << port.written;
        EXPECT_NE(port.written.find("C\r"), std::string::npos);
    }
}
