#include "common/cp1251.h"
#include "common/shortstring.h"

#include <gtest/gtest.h>

using namespace trelvo;

TEST(Cp1251, AllBytesRoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const char16_t ch = Cp1251ToUnicode(static_cast<std::uint8_t>(b));
        EXPECT_EQ(UnicodeToCp1251(ch), b) << "byte " << b;
    }
    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(ToCp1251(FromCp1251(all)), all);
}

TEST(Cp1251, KnownCharacters) {
    struct Row { std::uint8_t byte; char16_t ch; } rows[] = {
        {0x41, u'A'}, {0xC0, u'А'}, {0xFF, u'я'}, {0xA8, u'Ё'}, {0xB8, u'ё'}, {0xB9, u'№'}, {0x88, u'€'},
        {0x96, u'–'}, {0xAF, u'Ї'}, {0x00, 0}};
    for (const auto& r : rows) EXPECT_EQ(Cp1251ToUnicode(r.byte), r.ch) << int(r.byte);
    EXPECT_EQ(ToCp1251(QString::fromUtf8("Выбери порт!")), "\xC2\xFB\xE1\xE5\xF0\xE8 \xEF\xEE\xF0\xF2!");
}

TEST(Cp1251, UnrepresentableBecomesQuestionMark) {
    EXPECT_EQ(UnicodeToCp1251(u'€' + 1), -1);
    EXPECT_EQ(ToCp1251(QString::fromUtf8("a\xE2\x86\x93z")), "a?z"); // U+2193
}

TEST(ShortString, CutsKeepsTailAndCompares) {
    std::uint8_t a[6] = {0, 'x', 'x', 'x', 'x', 'x'};
    SetShortString(a, 5, "abcdefg");
    EXPECT_EQ(a[0], 5);
    EXPECT_EQ(GetShortString(a, 5), "abcde");
    SetShortString(a, 5, "ab");
    EXPECT_EQ(GetShortString(a, 5), "ab");
    EXPECT_EQ(a[3], 'c'); // bytes behind the length stay
    std::uint8_t b[6] = {2, 'a', 'b', 0, 0, 0};
    EXPECT_TRUE(ShortStringsEqual(a, b, 5));
    b[2] = 'B';
    EXPECT_FALSE(ShortStringsEqual(a, b, 5));
}
