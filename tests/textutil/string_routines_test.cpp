// Byte and wide string routines: comparisons, copies, searches, tokenising,
// case folding, duplication and integer-to-text conversion.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "vantir/textutil.h"

namespace vantir {
namespace {

// Heap blocks of exactly n units, so AddressSanitizer reports any access past them.
template <typename Unit>
std::unique_ptr<Unit[]> ExactBuffer(const Unit* text, size_t units) {
    std::unique_ptr<Unit[]> buffer(new Unit[units]);
    std::memcpy(buffer.get(), text, units * sizeof(Unit));
    return buffer;
}

TEST(StringCompare, ResultGivesPositionAndSign) {
    EXPECT_EQ(WStrCompare(u"ab", u"ac"), -2);
    EXPECT_EQ(WStrCompare(u"ac", u"ab"), 2);
    EXPECT_EQ(WStrCompare(u"ab", u"ab"), 0);
    EXPECT_EQ(WStrCompare(u"ab", u"a"), 2);
    EXPECT_EQ(StrCompare("a", "ab"), -2);
}

TEST(StringCompare, NullAndIdenticalArgumentsAreSettledFirst) {
    const char* text = "abc";
    EXPECT_EQ(StrCompare(nullptr, text), -1);
    EXPECT_EQ(StrCompare(text, nullptr), 1);
    EXPECT_EQ(StrCompare(nullptr, nullptr), 0);
    EXPECT_EQ(StrCompareN(nullptr, text, 0), -1);
    EXPECT_EQ(WStrCompareNoCaseN(u"a", nullptr, -4), 1);
    EXPECT_EQ(StrCompareN(text, text, 10), 0);
}

TEST(StringCompare, BoundedFormsStopAtNOrTheTerminator) {
    EXPECT_EQ(StrCompareN("abcdX", "abcdY", 4), 0);
    EXPECT_EQ(StrCompareN("abcdX", "abcdY", 5), -5);
    EXPECT_EQ(StrCompareN("abc", "xyz", -1), 0);  // compares nothing, not everything
    EXPECT_EQ(WStrCompareNoCaseN(u"ABx", u"aby", 3), -3);
    auto first = ExactBuffer("ab", 3);
    auto second = ExactBuffer("ab", 3);
    EXPECT_EQ(StrCompareNoCaseN(first.get(), second.get(), INT32_MAX), 0);
}

TEST(StringCompare, FoldingIsAsciiOnlyAndUnitsAreUnsigned) {
    EXPECT_EQ(StrCompareNoCase("ABC", "abd"), -3);
    EXPECT_EQ(WStrCompareNoCase(u"Hello", u"hELLO"), 0);
    // Folding goes to lower case: 'Z' becomes 'z' (0x7A), above '[' (0x5B).
    EXPECT_EQ(StrCompare("Z", "["), -1);
    EXPECT_EQ(StrCompareNoCase("Z", "["), 1);
    EXPECT_EQ(StrCompareNoCase("\xC9", "\xE9"), -1);  // Latin-1 letters never fold
    EXPECT_EQ(StrCompare("\xE9", "a"), 1);
    EXPECT_EQ(StrCompareNoCaseN("x\xFF", "X\x01", 2), 2);
    EXPECT_EQ(WStrCompareNoCase(u"\u4E00", u"Z"), 1);
}

TEST(StringCopy, CopyGuards) {
    char buffer[8] = "zzzzzzz";
    StrCopy(buffer, nullptr);
    EXPECT_EQ(std::string(buffer, 2), std::string("\0z", 2));  // only unit 0 is cleared
    StrCopy(nullptr, "abc");
    std::strcpy(buffer, "same");
    StrCopy(buffer, buffer);
    EXPECT_STREQ(buffer, "same");
}

TEST(StringCopy, OverlappingCopiesStayInBounds) {
    // Towards the start, as the lexicon compacts its added words.
    char16_t words[] = u"ab\0cde";
    WStrCopy(words, words + 3);
    EXPECT_EQ(std::u16string(words), u"cde");
    // Towards the end: clearing the destination's first unit ends the source
    // there, so "ab" is moved and the copy cannot chase its own output.
    auto buffer = ExactBuffer("abcd", 5);
    StrCopy(buffer.get() + 2, buffer.get());
    EXPECT_STREQ(buffer.get(), "abab");
}

TEST(StringCopy, BoundedCopyLeavesNoTerminatorWhenSourceIsLonger) {
    char16_t destination[6] = u"ZZZZZ";
    WStrCopyN(destination, u"abc", 3);
    EXPECT_EQ(std::u16string(destination, 5), u"abcZZ");
    WStrCopyN(destination, u"xy", 5);
    EXPECT_EQ(std::u16string(destination, 5), std::u16string(u"xy\0ZZ", 5));
    char bytes[4] = "ZZZ";
    StrCopyN(bytes, "abc", 0);
    EXPECT_EQ(bytes[0], 0);
    auto source = ExactBuffer("ab", 3);  // reads stop after the terminator
    StrCopyN(bytes, source.get(), 100);
    EXPECT_STREQ(bytes, "ab");
}

TEST(StringCopy, AppendIncludingATextToItself) {
    auto buffer = ExactBuffer("ab\0\0\0", 5);
    StrAppend(buffer.get(), nullptr);
    StrAppend(buffer.get(), buffer.get());
    EXPECT_STREQ(buffer.get(), "abab");
    auto wide = ExactBuffer(u"xyz\0\0\0\0", 7);
    WStrAppend(wide.get(), wide.get() + 1);
    EXPECT_EQ(std::u16string(wide.get()), u"xyzyz");
}

TEST(StringCopy, DuplicateIsAFreshBlockFreedWithFree) {
    const char16_t* text = u"\u4E00x";
    char16_t* copy = WStrDup(text);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, text);
    EXPECT_EQ(std::u16string(copy), text);
    std::free(copy);
    char* empty = StrDup("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], 0);
    std::free(empty);
    EXPECT_EQ(StrDup(nullptr), nullptr);
}

TEST(Memory, FillUsesLowByteAndWideCopyTakesSourceFirst) {
    unsigned char bytes[4] = {1, 2, 3, 4};
    MemFill(bytes, 0x1AB, 3);
    MemFill(bytes, 0, -2);
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_EQ(bytes[3], 4);
    const char16_t source[2] = {u'a', u'b'};
    char16_t destination[3] = {u'x', u'x', u'x'};
    WMemCopyN(source, destination, 2);
    EXPECT_EQ(std::u16string(destination, 3), u"abx");
}

TEST(StringFind, FindCharMatchesAtTheFamilyWidth) {
    char text[] = "a\xE9\xE9";
    EXPECT_EQ(StrFindChar(text, 0xE9), text + 1);
    EXPECT_EQ(StrFindChar(text, static_cast<signed char>(0xE9)), text + 1);
    EXPECT_EQ(StrFindChar(text, 0), nullptr);
    const char16_t* wide = u"x\u4E00";
    EXPECT_EQ(WStrFindChar(wide, 0x4E00), wide + 1);
}

TEST(StringFind, PatternSearchEdges) {
    const char16_t* empty = u"";
    const char16_t* x = u"x";
    EXPECT_EQ(WStrFind(empty, empty), nullptr);
    EXPECT_EQ(WStrFind(x, empty), x);
    EXPECT_EQ(WStrFind(x, static_cast<const char16_t*>(nullptr)), nullptr);
    const char* text = "aababd";
    EXPECT_EQ(StrFind(text, "ab"), text + 1);
    EXPECT_EQ(StrFind(text, "abd"), text + 3);
    EXPECT_EQ(StrFind(text, "abe"), nullptr);
    const char* hello = "Hello World";
    EXPECT_EQ(StrFindNoCase(hello, "WORLD"), hello + 6);
    EXPECT_EQ(StrFind(hello, "WORLD"), nullptr);
}

TEST(StringFind, PatternSearchReadsNoFurtherThanTheText) {
    auto text = ExactBuffer("aaa", 4);
    EXPECT_EQ(StrFind(text.get(), "aaaa"), nullptr);
    EXPECT_EQ(StrFindNoCase(text.get(), "AAB"), nullptr);
    EXPECT_EQ(StrFindNoCase(text.get(), "AA"), text.get());
    EXPECT_EQ(StrFindNoCase("\xC9t", "\xE9"), nullptr);
}

TEST(StringToken, SplitsInPlaceAndOverwritesOnlyClosingDelimiters) {
    char text[] = "  a,,b ";
    int32_t position = 0;
    EXPECT_STREQ(StrToken(text, &position, " ,"), "a");
    EXPECT_STREQ(StrToken(text, &position, " ,"), "b");
    EXPECT_EQ(StrToken(text, &position, " ,"), nullptr);
    EXPECT_EQ(position, 7);
    EXPECT_EQ(StrToken(text, &position, " ,"), nullptr);
    EXPECT_EQ(std::string(text, 7), std::string("  a\0,b\0", 7));
}

TEST(StringToken, NullArgumentsAndBadPositions) {
    char16_t text[] = u"\u4E00 \u4E8C";
    int32_t position = 0;
    EXPECT_EQ(WStrToken(nullptr, &position, u" "), nullptr);
    EXPECT_EQ(WStrToken(text, nullptr, u" "), nullptr);
    EXPECT_EQ(WStrToken(text, &position, nullptr), nullptr);
    position = -1;
    EXPECT_EQ(WStrToken(text, &position, u" "), nullptr);
    char bytes[] =
        "a\xE9"
        "b";
    position = 0;
    EXPECT_STREQ(StrToken(bytes, &position, "\xE9"), "a");  // high-byte delimiter
}

TEST(StringToken, SplitCollectsEveryToken) {
    char text[] = ",one,,two,three";
    char* tokens[4] = {};
    ASSERT_EQ(StrSplit(text, ",", tokens), 3);
    EXPECT_STREQ(tokens[0], "one");
    EXPECT_STREQ(tokens[2], "three");
    char untouched[] = "a,b";
    EXPECT_EQ(StrSplit(untouched, ",", nullptr), 0);
    EXPECT_STREQ(untouched, "a,b");
    char16_t wide[] = u"x\ny\r\n";
    char16_t* lines[3] = {};
    ASSERT_EQ(WStrSplit(wide, u"\r\n", lines), 2);
    EXPECT_EQ(std::u16string(lines[1]), u"y");
}

TEST(StringCase, AsciiRangesOnly) {
    EXPECT_EQ(ToUpperAscii(0x4E00), 0x4E00);
    EXPECT_EQ(ToUpperAscii('`'), '`');
    EXPECT_EQ(ToUpperAscii('{'), '{');
    EXPECT_EQ(ToLowerAscii('@'), '@');
    EXPECT_EQ(ToLowerAscii('['), '[');
    char text[] = "aBz\xE9!";
    EXPECT_STREQ(StrToUpper(text), "ABZ\xE9!");
    char16_t wide[] = u"AZ\u00C9\u4E00";
    EXPECT_EQ(std::u16string(WStrToLower(wide)), u"az\u00C9\u4E00");
    EXPECT_EQ(StrToUpper(nullptr), nullptr);
}

TEST(IntegerText, DecimalHexAndSign) {
    char16_t wide[16];
    EXPECT_EQ(std::u16string(IntToWText(-255, wide, 10)), u"-255");
    EXPECT_EQ(std::u16string(IntToWText(0, wide, 10)), u"0");
    char text[16];
    EXPECT_STREQ(IntToText(255, text, 16), "ff");
    EXPECT_STREQ(IntToText(35, text, 36), "z");
    EXPECT_EQ(IntToText(7, nullptr, 10), nullptr);
}

TEST(IntegerText, MostNegativeValuePrintsInFull) {
    char text[16];
    EXPECT_STREQ(IntToText(INT32_MIN, text, 10), "-2147483648");
    // Sign, 32 binary digits and the terminator fill 34 units exactly.
    std::unique_ptr<char[]> exact(new char[34]);
    EXPECT_STREQ(IntToText(INT32_MIN, exact.get(), 2), ("-1" + std::string(31, '0')).c_str());
}

TEST(IntegerText, UnsupportedRadixWritesTheEmptyText) {
    for (int32_t radix : {-5, 0, 1, 37}) {
        char text[4] = "xxx";
        EXPECT_EQ(IntToText(42, text, radix), text);
        EXPECT_EQ(std::string(text, 2), std::string("\0x", 2));
        char16_t wide[4] = u"xxx";
        EXPECT_EQ(IntToWText(-42, wide, radix)[0], 0);
    }
}

}  // namespace
}  // namespace vantir
