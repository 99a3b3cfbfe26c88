// The character classes of text intake: the Taiwan variant table both ways,
// the two widths of ASCII, digits of both widths and the separators.
#include "segment/text_variants.h"

#include <gtest/gtest.h>

#include <set>

using namespace vantir;

TEST(TextVariantsTest, EveryPairMapsBothWaysAndNothingElseMaps) {
    std::set<char16_t> seen;
    ASSERT_GE(VariantPairCount(), 20);
    for (int32_t k = 0; k < VariantPairCount(); ++k) {
        char16_t usual = 0;
        char16_t other = 0;
        VariantPairAt(k, &usual, &other);
        EXPECT_NE(usual, other);
        EXPECT_EQ(VariantPartner(usual), other) << "pair " << k;
        EXPECT_EQ(VariantPartner(other), usual) << "pair " << k;
        EXPECT_TRUE(seen.insert(usual).second) << "pair " << k;
        EXPECT_TRUE(seen.insert(other).second) << "pair " << k;
    }
    EXPECT_EQ(VariantPartner(u'臺'), u'台');
    EXPECT_EQ(VariantPartner(u'台'), u'臺');
    EXPECT_EQ(VariantPartner(u'內'), u'内');
    for (char16_t plain :
         {u'北', u'市', u'路', u'A', u'1', u'\0', u'\uFFFF', static_cast<char16_t>(0xD800)}) {
        EXPECT_EQ(VariantPartner(plain), 0) << static_cast<int>(plain);
    }
    char16_t usual = u'x';
    char16_t other = u'x';
    VariantPairAt(VariantPairCount(), &usual, &other);
    EXPECT_EQ(usual, 0);
    EXPECT_EQ(other, 0);
}

TEST(TextVariantsTest, WidthsFoldToAsciiAndPairBothWays) {
    EXPECT_EQ(NarrowWidth(u'Ａ'), u'A');
    EXPECT_EQ(NarrowWidth(u'ｚ'), u'z');
    EXPECT_EQ(NarrowWidth(u'！'), u'!');
    EXPECT_EQ(NarrowWidth(u'～'), u'~');
    EXPECT_EQ(NarrowWidth(u'\u3000'), u' ');
    EXPECT_EQ(NarrowWidth(u'A'), u'A');
    EXPECT_EQ(NarrowWidth(u'臺'), u'臺');
    EXPECT_EQ(WidthPartner(u'A'), u'Ａ');
    EXPECT_EQ(WidthPartner(u'Ａ'), u'A');
    EXPECT_EQ(WidthPartner(u'~'), u'～');
    EXPECT_EQ(WidthPartner(u' '), 0);
    EXPECT_EQ(WidthPartner(u'\u007F'), 0);
    EXPECT_EQ(WidthPartner(u'\uFF5F'), 0);
    EXPECT_EQ(WidthPartner(u'臺'), 0);
}

TEST(TextVariantsTest, DigitsOfBothWidthsAndNothingBeside) {
    for (int32_t d = 0; d <= 9; ++d) {
        EXPECT_EQ(DecimalDigitValue(static_cast<char16_t>(u'0' + d)), d);
        EXPECT_EQ(DecimalDigitValue(static_cast<char16_t>(u'０' + d)), d);
    }
    for (char16_t other : {u'/', u':', u'\uFF0F', u'\uFF1A', u'五', u'a'}) {
        EXPECT_EQ(DecimalDigitValue(other), -1) << static_cast<int>(other);
    }
}

TEST(TextVariantsTest, SeparatorsAreBlanksControlsAndPunctuationOnly) {
    for (char16_t separator :
         {u' ',  u'\t',     u'\n',     u'\0',     u',',      u'-',      u'.',
          u'#',  u'\u00A0', u'\u3000', u'，',     u'。',     u'、',     u'「',
          u'」', u'！',     u'？',     u'\u2014', u'\u2026', u'\uFEFF', u'\u30FB'}) {
        EXPECT_TRUE(IsTextSeparator(separator)) << static_cast<int>(separator);
    }
    for (char16_t word :
         {u'臺', u'a', u'Z', u'5', u'Ａ', u'５', u'\u00C0', static_cast<char16_t>(0xD840), u'号'}) {
        EXPECT_FALSE(IsTextSeparator(word)) << static_cast<int>(word);
    }
}
