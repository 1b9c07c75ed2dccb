#include "transmit/encoding.h"

#include <gtest/gtest.h>

using namespace trelvo;

namespace {

struct EncodeRow {
    const char* name;
    TxMode mode;
    Bytes line;
    Bytes suffix;
    Bytes bytes;
    Bytes echo;
};

void PrintTo(const EncodeRow& r, std::ostream* os) {
    *os << r.name;
}

class EncodeCmdStrTable : public testing::TestWithParam<EncodeRow> {};

TEST_P(EncodeCmdStrTable, BytesAndEcho) {
    const EncodeRow& r = GetParam();
    const EncodedCmd out = EncodeCmdStr(r.line, r.suffix, r.mode);
    EXPECT_EQ(out.bytes, r.bytes);
    EXPECT_EQ(out.echo, r.echo);
}

using std::string_literals::operator""s;

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, EncodeCmdStrTable,
    testing::Values(EncodeRow{"ascii_crlf", TxMode::Ascii, "AT", "$0D$0A", "AT\r\n", "AT\r\n"},
                    EncodeRow{"ascii_dollar_in_line", TxMode::Ascii, "a$0D", "", "a$0D", "a$0D"},
                    EncodeRow{"ascii_lower_case_escape", TxMode::Ascii, "abc", "$0d", "abc\r", "abc\r"},
                    EncodeRow{"ascii_non_digits_and_lone_dollar", TxMode::Ascii, "x", "$G1$$$", "x\x01\0"s, "x\x01\0"s},
                    EncodeRow{"hex_hint_example", TxMode::Hex, "00 01 02 03 0D 0E 12 13", "",
                              "\x00\x01\x02\x03\x0D\x0E\x12\x13"s, "00 01 02 03 0D 0E 12 13"},
                    EncodeRow{"hex_no_separator", TxMode::Hex, "0A0B", "", "\x0A\xB0", "0A0B"},
                    EncodeRow{"hex_suffix_with_separator", TxMode::Hex, "01 02", " 03", "\x01\x02\x03", "01 02 03"},
                    EncodeRow{"hex_suffix_without_separator", TxMode::Hex, "01 02", "03", "\x01\x02\x30", "01 0203"},
                    EncodeRow{"hex_lone_digit", TxMode::Hex, "1", "", "\x10", "1"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, EncodeCmdStrTable,
    testing::Values(
        // An escape at the very end takes missing digits as 0.
        EncodeRow{"ascii_lone_dollar_at_end", TxMode::Ascii, "A", "$", "A\0"s, "A\0"s},
        EncodeRow{"ascii_dollar_one_digit_A", TxMode::Ascii, "A", "$A", "A\xA0", "A\xA0"},
        EncodeRow{"ascii_dollar_one_digit_4", TxMode::Ascii, "A", "$4", "A\x40", "A\x40"},
        EncodeRow{"ascii_mixed_case_digits", TxMode::Ascii, "A", "$fF$Ab", "A\xFF\xAB", "A\xFF\xAB"},
        // The line's own "$" never escapes, even right before the suffix.
        EncodeRow{"ascii_dollar_last_in_line", TxMode::Ascii, "ab$", "0D", "ab$0D", "ab$0D"},
        EncodeRow{"ascii_literal_suffix_text", TxMode::Ascii, "go", "*60$0D", "go*60\r", "go*60\r"},
        EncodeRow{"ascii_hint_look_alike", TxMode::Ascii, "x", "*[XOR_8(1..n)]$0D$0A", "x*[XOR_8(1..n)]\r\n",
                  "x*[XOR_8(1..n)]\r\n"},
        EncodeRow{"ascii_cp1251_bytes", TxMode::Ascii, "\xCF\xF0\xE8", "$FF", "\xCF\xF0\xE8\xFF", "\xCF\xF0\xE8\xFF"},
        EncodeRow{"ascii_empty_suffix", TxMode::Ascii, "Z", "", "Z", "Z"},
        EncodeRow{"hex_non_digits", TxMode::Hex, "zz", "", "\0"s, "zz"},
        EncodeRow{"hex_lower_case", TxMode::Hex, "ab cd", "", "\xAB\xCD", "ab cd"},
        EncodeRow{"hex_dollar_is_zero", TxMode::Hex, "$1 2$", "", "\x01\x20", "$1 2$"},
        // Separators are skipped whatever they are.
        EncodeRow{"hex_any_separator", TxMode::Hex, "01x02-03", "", "\x01\x02\x03", "01x02-03"},
        EncodeRow{"hex_lone_last_digit", TxMode::Hex, "01 02 5", "", "\x01\x02\x50", "01 02 5"},
        EncodeRow{"hex_trailing_separator", TxMode::Hex, "01 ", "", "\x01", "01 "},
        EncodeRow{"hex_line_ends_in_separator", TxMode::Hex, "01 02 ", "0D", "\x01\x02\x0D", "01 02 0D"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HexToInt, EveryByte) {
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        int expected = 0;
        if (c >= '0' && c <= '9') expected = c - '0';
        if (c >= 'A' && c <= 'F') expected = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') expected = c - 'a' + 10;
        EXPECT_EQ(HexToInt(ch), expected) << "byte " << c;
    }
}

TEST(EncodeCmdStr, LongLinesAreNeverCut) {
    const struct {
        TxMode mode;
        Bytes line;
        std::size_t bytes;
    } rows[] = {
        {TxMode::Ascii, Bytes(5000, 'Q'), 5001},
        {TxMode::Hex,
         [] {
             Bytes s = "7E";
             for (int i = 1; i < 3000; ++i)
                 s += " 7E";
             return s;
         }(),
         3001},
    };
    for (const auto& r : rows) {
        const EncodedCmd out = EncodeCmdStr(r.line, r.mode == TxMode::Ascii ? "$0D" : " 0D", r.mode);
        ASSERT_EQ(out.bytes.size(), r.bytes);
        EXPECT_EQ(out.bytes.back(), '\r');
        EXPECT_EQ(static_cast<unsigned char>(out.bytes[2047]), r.mode == TxMode::Ascii ? 'Q' : 0x7E);
    }
}

TEST(DefaultSuffix, ModeButtonsResetTheSuffix) {
    EXPECT_EQ(DefaultSuffix(TxMode::Ascii), "$0D");
    EXPECT_EQ(DefaultSuffix(TxMode::Hex), "");
}

} // namespace
