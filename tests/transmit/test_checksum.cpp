#include "transmit/checksum.h"

#include <gtest/gtest.h>

using namespace trelvo;
using std::string_literals::operator""s;

namespace {

TEST(ChecksumDirectives, TextsInOrder) {
    const char* expected[] = {"[SUM_8(0..n)]",      "[SUM_8(1..n)]",      "[SUM_8(2..n)]",
                              "[XOR_8 (0..n)]",     "[XOR_8 (1..n)]",     "[XOR_8 (2..n)]",
                              "[FF - SUM_8(0..n)]", "[FF - SUM_8(1..n)]", "[FF - SUM_8(2..n)]"};
    ASSERT_EQ(kChecksumDirectives.size(), 9u);
    for (std::size_t k = 0; k < 9; ++k)
        EXPECT_EQ(kChecksumDirectives[k], expected[k]) << k;
}

// Every directive's value for one command line: {line, mode, nine values}.
struct CsumRow {
    const char* name;
    Bytes mainStrCmd;
    TxMode mode;
    std::array<int, 9> values;
};

class CalcCsumTable : public testing::TestWithParam<CsumRow> {};

TEST_P(CalcCsumTable, AllNineDirectives) {
    const CsumRow& r = GetParam();
    for (std::size_t k = 0; k < 9; ++k) {
        EXPECT_EQ(CalcCsum(k, r.mainStrCmd, r.mode), r.values[k]) << kChecksumDirectives[k];
        EXPECT_EQ(CalcCsum(kChecksumDirectives[k], r.mainStrCmd, r.mode), r.values[k]) << kChecksumDirectives[k];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CalcCsumTable,
    testing::Values(
        CsumRow{"abc", "abc", TxMode::Ascii, {0x26, 0xC5, 0x63, 0x60, 0x01, 0x63, 0xD9, 0x3A, 0x9C}},
        // Ranges with no byte give 0, and so 255 for the last three.
        CsumRow{"one_char", "A", TxMode::Ascii, {0x41, 0x00, 0x00, 0x41, 0x00, 0x00, 0xBE, 0xFF, 0xFF}},
        CsumRow{"empty", "", TxMode::Ascii, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF}},
        // "$" is not an escape here: 24 30 44.
        CsumRow{"dollar_literal", "$0D", TxMode::Ascii, {0x98, 0x74, 0x44, 0x50, 0x74, 0x44, 0x67, 0x8B, 0xBB}},
        CsumRow{"hex_three", "01 02 03", TxMode::Hex, {0x06, 0x05, 0x03, 0x00, 0x01, 0x03, 0xF9, 0xFA, 0xFC}},
        // The lone last digit takes no part: only 01 02.
        CsumRow{"hex_lone_last_digit", "01 02 5", TxMode::Hex, {0x03, 0x02, 0x00, 0x03, 0x02, 0x00, 0xFC, 0xFD, 0xFF}},
        CsumRow{"hex_single_digit", "5", TxMode::Hex, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF}},
        CsumRow{"hex_carry", "FF FF 02", TxMode::Hex, {0x00, 0x01, 0x02, 0x02, 0xFD, 0x02, 0xFF, 0xFE, 0xFD}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CalcCsum, UnknownTextIsNoDirective) {
    for (const char* text : {"[XOR_8(1..n)]", "[SUM_8(0..n)", "[sum_8(0..n)]", "[FF-SUM_8(0..n)]", ""})
        EXPECT_FALSE(CalcCsum(std::string_view(text), "abc", TxMode::Ascii).has_value()) << text;
}

TEST(CalcCsum, CoversTheWholeLongLine) {
    // 300 bytes: a cut at 255 would change every value.
    Bytes line(300, '\x01');
    EXPECT_EQ(CalcCsum(std::size_t{0}, line, TxMode::Ascii), 300 % 256);
    EXPECT_EQ(CalcCsum(std::size_t{3}, line, TxMode::Ascii), 0x00); // even count of 01
    line.back() = '\x03';
    EXPECT_EQ(CalcCsum(std::size_t{0}, line, TxMode::Ascii), (299 + 3) % 256);
    Bytes hex;
    for (int i = 0; i < 300; ++i)
        hex += "01 ";
    EXPECT_EQ(CalcCsum(std::size_t{0}, hex, TxMode::Hex), 300 % 256);
    EXPECT_EQ(CalcCsum(std::size_t{6}, hex, TxMode::Hex), 0xFF - 300 % 256);
}

TEST(CrcDirectives, TextsAndCheckValues) {
    EXPECT_EQ(kCrcDirectives,
              (std::array<std::string_view, 3>{"[CRC16_MODBUS(0..n)]", "[CRC16_CCITT(0..n)]", "[CRC32(0..n)]"}));
    EXPECT_EQ(Crc16Modbus("123456789"), 0x4B37);
    EXPECT_EQ(Crc16CcittFalse("123456789"), 0x29B1);
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

struct ConvRow {
    const char* name;
    Bytes suffix;
    Bytes mainStrCmd;
    TxMode mode;
    Bytes expanded;
};

class ConvAddStrTable : public testing::TestWithParam<ConvRow> {};

TEST_P(ConvAddStrTable, Expands) {
    const ConvRow& r = GetParam();
    EXPECT_EQ(ConvAddStr(r.suffix, r.mainStrCmd, r.mode), r.expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Suffixes, ConvAddStrTable,
    testing::Values(ConvRow{"star_xor_cr", "*[XOR_8 (0..n)]$0D", "abc", TxMode::Ascii, "*60$0D"},
                    ConvRow{"escaped_sum", "$[SUM_8(0..n)]", "abc", TxMode::Ascii, "$26"},
                    ConvRow{"hex_blank_sum", " [SUM_8(0..n)]", "01 02 03", TxMode::Hex, " 06"},
                    ConvRow{"hint_look_alike", "*[XOR_8(1..n)]$0D$0A", "abc", TxMode::Ascii, "*[XOR_8(1..n)]$0D$0A"},
                    ConvRow{"two_copies", "[SUM_8(1..n)]-[SUM_8(1..n)]", "abc", TxMode::Ascii, "C5-C5"},
                    ConvRow{"all_nine",
                            "[SUM_8(0..n)][SUM_8(1..n)][SUM_8(2..n)][XOR_8 (0..n)][XOR_8 (1..n)][XOR_8 (2..n)]"
                            "[FF - SUM_8(0..n)][FF - SUM_8(1..n)][FF - SUM_8(2..n)]",
                            "abc", TxMode::Ascii, "26C563600163D93A9C"},
                    ConvRow{"one_char_ff", "[FF - SUM_8(1..n)] [FF - SUM_8(2..n)] [SUM_8(2..n)]", "A", TxMode::Ascii,
                            "FF FF 00"},
                    ConvRow{"no_directive", "$0D", "abc", TxMode::Ascii, "$0D"},
                    ConvRow{"empty", "", "abc", TxMode::Ascii, ""},
                    ConvRow{"broken_outer_copy_stays", "[FF - SUM_8(2..n)[FF - SUM_8(2..n)]..n)]", "A", TxMode::Ascii,
                            "[FF - SUM_8(2..n)FF..n)]"},
                    // The inserted digits complete another copy of the same directive, which is replaced too.
                    ConvRow{"completed_by_digits", "[[FF - SUM_8(2..n)] - SUM_8(2..n)]", "A", TxMode::Ascii, "FF"},
                    // CRCs: bytes in sending order; blanks between them in HEX, "$" escapes after a "$" in ASCII.
                    ConvRow{"modbus_request", " [CRC16_MODBUS(0..n)]", "01 03 00 00 00 0A", TxMode::Hex, " C5 CD"},
                    ConvRow{"modbus_digits", "[CRC16_MODBUS(0..n)]", "123456789", TxMode::Ascii, "374B"},
                    ConvRow{"modbus_raw", "$[CRC16_MODBUS(0..n)]$0D", "123456789", TxMode::Ascii, "$37$4B$0D"},
                    ConvRow{"ccitt_digits_and_raw", "[CRC16_CCITT(0..n)]$[CRC16_CCITT(0..n)]", "123456789",
                            TxMode::Ascii, "29B1$29$B1"},
                    ConvRow{"crc32_after_a_star", "*[CRC32(0..n)]", "123456789", TxMode::Ascii, "*CBF43926"},
                    ConvRow{"crc32_hex", " [CRC32(0..n)]", "31 32 33 34 35 36 37 38 39", TxMode::Hex, " CB F4 39 26"},
                    ConvRow{"crc_after_sum", "[SUM_8(0..n)]$[CRC32(0..n)]", "123456789", TxMode::Ascii,
                            "DD$CB$F4$39$26"},
                    ConvRow{"crc_of_nothing", "[CRC16_MODBUS(0..n)] [CRC32(0..n)]", "", TxMode::Ascii,
                            "FFFF 00000000"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
