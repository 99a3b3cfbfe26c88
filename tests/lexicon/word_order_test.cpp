// Line splitting of word lists and the comparisons that define lexicon order.
// These are the rules every stored blob and every search depends on.
#include "lexicon/word_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantir {
namespace {

// The words SplitWordList leaves at the start of the text.
std::vector<std::u16string> Split(std::u16string text, int32_t* count = nullptr) {
    const int32_t n = SplitWordList(text.data());
    if (count != nullptr) *count = n;
    std::vector<std::u16string> words;
    const char16_t* at = text.c_str();
    for (int32_t i = 0; i < n; i++) {
        words.emplace_back(at);
        at += words.back().size() + 1;
    }
    return words;
}

using Words = std::vector<std::u16string>;

TEST(SplitWordList, LineBreaksAndSwallowedLineFeeds) {
    EXPECT_EQ(Split(u"b\r\na\n\nc"), (Words{u"b", u"a", u"c"}));
    // Three LFs make two breaks, so an empty word lies between.
    EXPECT_EQ(Split(u"x\n\n\ny"), (Words{u"x", u"", u"y"}));
    EXPECT_EQ(Split(u"x\n\n\n\ny"), (Words{u"x", u"", u"y"}));
    // CR LF then LF: the second LF is a break of its own.
    EXPECT_EQ(Split(u"x\r\n\ny"), (Words{u"x", u"", u"y"}));
    // A CR without a LF after it is an ordinary unit.
    EXPECT_EQ(Split(u"a\rb\nc\r"), (Words{u"a\rb", u"c\r"}));
}

TEST(SplitWordList, EndsOfText) {
    EXPECT_EQ(Split(u"ab\ncd"), (Words{u"ab", u"cd"}));
    EXPECT_EQ(Split(u"ab\ncd\n"), (Words{u"ab", u"cd"}));
    EXPECT_EQ(Split(u"ab\r\n"), (Words{u"ab"}));
    EXPECT_EQ(Split(u"\n"), (Words{u""}));
    EXPECT_EQ(Split(u"\nab"), (Words{u"", u"ab"}));
    EXPECT_EQ(Split(u""), Words{});
    EXPECT_EQ(SplitWordList(nullptr), 0);
}

TEST(SplitWordList, RewritesInPlaceAsTerminatedWords) {
    std::u16string text = u"ab\r\ncd\n\nef";
    ASSERT_EQ(SplitWordList(text.data()), 3);
    EXPECT_EQ(text.substr(0, 9), std::u16string(u"ab\0cd\0ef\0", 9));
}

TEST(WordOrder, UnitsOrderByFoldedThenRawValue) {
    EXPECT_LT(CompareWordExact(u"A", u"a", 1), 0);
    EXPECT_LT(CompareWordExact(u"a", u"B", 1), 0);
    EXPECT_LT(CompareWordExact(u"B", u"b", 1), 0);
    EXPECT_GT(CompareWordExact(u"b", u"B", 1), 0);
    EXPECT_LT(CompareWordExact(u"ABd", u"abc", 3), 0);
    // '_' (95) lies between 'Z' and 'a' raw, but sorts after every letter's fold.
    EXPECT_GT(CompareWordExact(u"_", u"z", 1), 0);
    EXPECT_EQ(CompareWordExact(u"ab", u"ab", 2), 0);
    EXPECT_EQ(CompareWordExact(u"abX", u"abY", 2), 0);
}

TEST(WordOrder, ExactComparisonReadsPastZeroUnits) {
    const char16_t a[] = {u'a', 0, u'b'};
    const char16_t b[] = {u'a', 0, u'c'};
    EXPECT_LT(CompareWordExact(a, b, 3), 0);
    EXPECT_LT(CompareWordFolded(a, b, 3), 0);
}

TEST(WordOrder, FoldedComparisonIgnoresAsciiCaseOnly) {
    EXPECT_EQ(CompareWordFolded(u"aBc", u"AbC", 3), 0);
    EXPECT_NE(CompareWordFolded(u"\u00e9", u"\u00c9", 1), 0);
    EXPECT_NE(CompareWordFolded(u"\uff41", u"\uff21", 1), 0);
    EXPECT_LT(CompareWordFolded(u"ab", u"AC", 2), 0);
}

TEST(WordOrder, ShorterWordsFirstThenUnits) {
    EXPECT_LT(CompareWordOrder(u"z", u"AA"), 0);
    EXPECT_LT(CompareWordOrder(u"\u4e2d", u"ab"), 0);
    EXPECT_LT(CompareWordOrder(u"AB", u"ab"), 0);
    EXPECT_EQ(CompareWordOrder(u"\u4e2d\u56fd", u"\u4e2d\u56fd"), 0);
    // Units above 0x7FFF are unsigned, and lone surrogates are plain units.
    EXPECT_LT(CompareWordOrder(u"a", u"\xd800"), 0);
    EXPECT_LT(CompareWordOrder(u"\xd800", u"\xffff"), 0);
}

}  // namespace
}  // namespace vantir
