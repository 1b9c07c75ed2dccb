#include "receive/receive_fixture.h"

#include <gtest/gtest.h>

using namespace trelvo;
using namespace trelvo::test;
using namespace std::string_literals;

namespace {

const LocalTime kAt{2024, 3, 5, 9, 7, 3, 45, 2};

TEST(PacketRender, Table) {
    struct Row {
        const char* name;
        std::string bytes;
        RenderMode mode;
        bool visTime;
        std::optional<Bytes> entry;
    };
    const auto A = RenderMode::Ascii, H = RenderMode::Hex;
    const Row rows[] = {
        {"hex, no blank at the end", "\x00\x01\x0D"s, H, false, "00 01 0D"},
        {"hex with time stamp", "\x00\x01\x0D"s, H, true, " [ 09:07:03:045 < ] 00 01 0D"},
        {"hex of high bytes", "\x80\xFF\xab"s, H, false, "80 FF AB"},
        {"final CR keeps its CR", "OK\r\n", A, false, "OK\r"},
        {"two lines", "A\rB\r\n", A, false, "A\r\nB\r"},
        {"NUL shown, every byte kept", "A\0B"s, A, false, "A<NULL>B"},
        {"no line end keeps every byte", "ABC", A, false, "ABC"},
        {"one byte", "A", A, false, "A"},
        {"a lone NUL", "\0"s, A, false, "<NULL>"},
        {"LF only gives no entry", "\n\n\n", A, false, std::nullopt},
        {"LF only gives no entry even with time stamp", "\n", A, true, std::nullopt},
        {"LF inside is dropped", "A\nB\nC", A, false, "ABC"},
        {"time stamp, text", "OK\r\n", A, true, " [ 09:07:03:045 < ] OK\r"},
        {"CP1251 bytes pass as they are", "\xC0\xE0\x80\xFF\x98z"s, A, false, "\xC0\xE0\x80\xFF\x98z"s},
        {"nothing", "", A, false, std::nullopt},
        {"a CR alone keeps its CR", "\r", A, false, "\r"},
        {"one byte with time stamp", "A", A, true, " [ 09:07:03:045 < ] A"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(RenderPacket(r.bytes, r.mode, r.visTime, kAt), r.entry) << r.name;
}

TEST(PacketRender, EveryByteInHex) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const auto entry = RenderPacket(all, RenderMode::Hex, false, kAt);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->size(), 256u * 3 - 1);
    EXPECT_EQ(Unhex(*entry), all);
    EXPECT_EQ(entry->substr(0xC8 * 3, 5), "C8 C9");
}

TEST(ReadBufRxInLog, FilterPlacementAndAfterAnswer) {
    struct Row {
        const char* name;
        std::string filter;
        bool visTime;
        std::string packet;
        std::vector<Bytes> shown;
        bool afterAnswer;
    };
    const Row rows[] = {
        {"no filter", "", false, "OK\r\n", {"OK\r"}, true},
        {"filter passes", "OK", false, "OK\r\n", {"OK\r"}, true},
        {"filtered out, still releases the next send", "OK", false, "ERR\r\n", {}, true},
        {"case-sensitive", "ok", false, "OK\r\n", {}, true},
        {"the time stamp is part of the entry", "< ]", true, "x\r", {" [ 09:07:03:045 < ] x\r"}, true},
        {"the last character can match", "C", false, "ABC", {"ABC"}, true},
        {"LF only: no entry, no release", "", false, "\n", {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RxRig r;
        r.settings.filter = row.filter;
        r.settings.visTime = row.visTime;
        std::copy(row.packet.begin(), row.packet.end(), r.rx.RxBuf.begin());
        r.rx.RxLen = static_cast<std::uint32_t>(row.packet.size());
        r.dev.incoming = "12345"; // not read yet: the after-answer step must see it waiting
        EXPECT_EQ(ReadBufRxInLog(r.rx, r.path), row.afterAnswer);
        EXPECT_EQ(r.rx.RxLen, 0u);
        EXPECT_EQ(r.sink.entries, row.shown);
        EXPECT_EQ(r.answers, row.afterAnswer ? std::vector<std::uint32_t>{5} : std::vector<std::uint32_t>{});
    }
}

TEST(ReadBufRxInLog, ThePacketCollectedUnderOneModeIsRenderedInTheModeAtItsEnd) {
    RxRig r;
    r.dev.incoming = "AB";
    r.tick();
    r.settings.mode = RenderMode::Hex;
    r.tick();
    EXPECT_EQ(r.sink.entries, std::vector<Bytes>{"41 42"});
}

} // namespace
