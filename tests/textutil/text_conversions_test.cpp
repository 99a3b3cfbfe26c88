// Text conversions: decimal text to integers, UTF-8 to and from wide text,
// byte widening and the printable escaped form, with their room limits.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "vantir/textutil.h"

namespace vantir {
namespace {

constexpr int32_t kUnitCount = 0x10000;

int32_t Utf8Length(uint32_t unit) {
    if (unit < 0x80) return 1;
    if (unit < 0x800) return 2;
    if (unit >= 0xD800 && unit <= 0xDFFF) return 4;
    return 3;
}

std::string Bytes(const char* text, size_t count) {
    return std::string(text, count);
}

TEST(TextToInteger, OptionalMinusThenDigitsOnly) {
    EXPECT_EQ(TextToInt("-42"), -42);
    for (const char* bad : {"12a", "", "+5", " 5", "--5", "5-", "-", "\xB5"}) {
        EXPECT_EQ(TextToInt(bad), 0) << bad;
    }
    EXPECT_EQ(TextToInt(nullptr), 0);
    EXPECT_EQ(WTextToInt(u"-123"), -123);
    EXPECT_EQ(WTextToInt(u"\uFF11"), 0);  // a full-width digit is no digit
}

// Out-of-range texts wrap to their 32-bit two's complement remainder.
TEST(TextToInteger, LimitsAndWrapAround) {
    EXPECT_EQ(TextToInt("2147483647"), INT32_MAX);
    EXPECT_EQ(TextToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(TextToInt("2147483648"), INT32_MIN);
    EXPECT_EQ(WTextToInt(u"4294967297"), 1);
}

TEST(Utf8, KnownEncodings) {
    char bytes[8];
    ASSERT_EQ(WideToUtf8(u"\u4E00", -1, bytes, sizeof bytes), bytes);
    EXPECT_EQ(Bytes(bytes, 4), Bytes("\xE4\xB8\x80\0", 4));
    const char16_t surrogate[] = {0xD800, 0};
    WideToUtf8(surrogate, -1, bytes, sizeof bytes);
    EXPECT_EQ(Bytes(bytes, 5), Bytes("\xF0\x8D\xA0\x80\0", 5));
    char16_t units[4];
    ASSERT_EQ(Utf8ToWide("\xF0\x8D\xA0\x80", -1, units, 4), units);
    EXPECT_EQ(units[0], 0xD800);
    EXPECT_EQ(units[1], 0);
    Utf8ToWide("\xE4\xB8\x80", -1, units, 4);
    EXPECT_EQ(units[0], 0x4E00);
}

TEST(Utf8, TwoByteRangeUsesLeadsD0ToDF) {
    for (uint32_t unit = 0x400; unit <= 0x7FF; unit++) {
        const char16_t source[2] = {static_cast<char16_t>(unit), 0};
        char bytes[3];
        WideToUtf8(source, 1, bytes, 3);
        const unsigned lead = static_cast<unsigned char>(bytes[0]);
        EXPECT_GE(lead, 0xD0u);
        EXPECT_LE(lead, 0xDFu);
        char16_t back[2];
        Utf8ToWide(bytes, 2, back, 2);
        ASSERT_EQ(back[0], unit);
    }
}

// Every unit, alone, in a destination of exactly its encoded length plus the
// terminator: one byte less and nothing at all may be written.
TEST(Utf8, EveryUnitRoundTripsInAnExactBuffer) {
    for (int32_t value = 0; value < kUnitCount; value++) {
        const char16_t unit = static_cast<char16_t>(value);
        const int32_t length = Utf8Length(unit);
        std::unique_ptr<char[]> exact(new char[length + 1]);
        ASSERT_EQ(WideToUtf8(&unit, 1, exact.get(), length + 1), exact.get());
        ASSERT_EQ(exact[length], 0);
        std::unique_ptr<char[]> tight(new char[length]);
        WideToUtf8(&unit, 1, tight.get(), length);
        ASSERT_EQ(std::string(tight.get(), length), std::string(length, '\0')) << value;
        std::unique_ptr<char16_t[]> back(new char16_t[2]);
        Utf8ToWide(exact.get(), length, back.get(), 2);
        ASSERT_EQ(back[0], unit) << value;
        ASSERT_EQ(back[1], 0);
    }
}

TEST(Utf8, WholeRangeRoundTripsAsOneText) {
    std::vector<char16_t> units;
    int32_t byteCount = 0;
    for (int32_t value = 1; value < kUnitCount; value++) {
        units.push_back(static_cast<char16_t>(value));
        byteCount += Utf8Length(value);
    }
    units.push_back(0);
    std::unique_ptr<char[]> bytes(new char[byteCount + 1]);
    WideToUtf8(units.data(), -1, bytes.get(), byteCount + 1);
    ASSERT_EQ(StrLen(bytes.get()), byteCount);
    const int32_t unitCount = kUnitCount - 1;
    std::unique_ptr<char16_t[]> back(new char16_t[unitCount + 1]);
    Utf8ToWide(bytes.get(), -1, back.get(), unitCount + 1);
    EXPECT_EQ(std::u16string(back.get(), unitCount + 1),
              std::u16string(units.data(), unitCount + 1));
}

// Output stops at the last whole unit that fits before the final 0 unit.
TEST(Utf8, TruncationAtCapacity) {
    char bytes[5] = {'x', 'x', 'x', 'x', 'x'};
    WideToUtf8(u"abc", -1, bytes, 3);
    EXPECT_EQ(Bytes(bytes, 4), Bytes("ab\0x", 4));
    WideToUtf8(u"a\u4E00", -1, bytes, 4);
    EXPECT_EQ(Bytes(bytes, 5), Bytes("a\0\0\0x", 5));
    char16_t units[4] = {u'x', u'x', u'x', u'x'};
    Utf8ToWide("abcdef", -1, units, 3);
    EXPECT_EQ(std::u16string(units, 4), std::u16string(u"ab\0x", 4));
    Utf8ToWide("abcdef", 1, units, 4);
    EXPECT_EQ(std::u16string(units, 4), std::u16string(u"a\0\0\0", 4));
}

TEST(Utf8, NullAndEmptyArguments) {
    char bytes[3] = {'x', 'x', 'x'};
    char16_t units[3] = {u'x', u'x', u'x'};
    EXPECT_EQ(WideToUtf8(u"a", -1, nullptr, 3), nullptr);
    EXPECT_EQ(WideToUtf8(u"a", -1, bytes, 0), nullptr);
    EXPECT_EQ(Utf8ToWide("a", -1, units, -1), nullptr);
    EXPECT_EQ(bytes[0], 'x');
    EXPECT_EQ(units[0], u'x');
    EXPECT_EQ(WideToUtf8(nullptr, 2, bytes, 3), bytes);
    EXPECT_EQ(Bytes(bytes, 3), Bytes("\0\0\0", 3));
    EXPECT_EQ(Utf8ToWide(nullptr, 2, units, 3), units);
    EXPECT_EQ(units[2], 0);
}

TEST(Utf8, TruncatedSequenceAtTheEndIsDropped) {
    // The source holds only the bytes named by its length, without a terminator.
    std::unique_ptr<char[]> source(new char[3]);
    std::memcpy(source.get(), "a\xE4\xB8", 3);
    char16_t units[4] = {u'x', u'x', u'x', u'x'};
    Utf8ToWide(source.get(), 3, units, 4);
    EXPECT_EQ(std::u16string(units, 4), std::u16string(u"a\0\0\0", 4));
    std::memcpy(source.get(), "\xF0\x8D\xA0", 3);
    Utf8ToWide(source.get(), 3, units, 4);
    EXPECT_EQ(units[0], 0);
}

TEST(Utf8, MalformedBytesDecodeByArithmetic) {
    char16_t units[3];
    Utf8ToWide("\x80\x80", -1, units, 3);
    EXPECT_EQ(units[0], 0xF000);  // a stray continuation byte leads two bytes
    Utf8ToWide("\xF7\x8D\xA0\x80", -1, units, 3);
    EXPECT_EQ(units[0], 0xD800);  // the four-byte lead's own bits are ignored
    Utf8ToWide("\xF0\x9F\x98\x80", -1, units, 3);
    EXPECT_EQ(units[0], 0xF600);  // kept to 16 bits
    Utf8ToWide("\xC3\x41", -1, units, 3);
    EXPECT_EQ(units[0], 0x81);  // (3 << 6) + (0x41 - 0x80): the second byte is not checked
}

TEST(Widening, BytesAreSignExtended) {
    char16_t units[3] = {u'x', u'x', u'x'};
    BytesToWide("\xE9\x61", units, 2);
    EXPECT_EQ(std::u16string(units, 3), u"\uFFE9ax");  // exactly count units
    BytesToWide("zz", units, 0);
    EXPECT_EQ(units[0], 0xFFE9);
}

TEST(Widening, BoundedWideningAlwaysTerminates) {
    char16_t units[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(StrToWideN("\xE9", units, 4), units);
    EXPECT_EQ(std::u16string(units), u"\uFFE9");
    StrToWideN("abcdef", units, 3);
    EXPECT_EQ(std::u16string(units), u"ab");
    StrToWideN(nullptr, units, 3);
    EXPECT_EQ(units[0], 0);
    EXPECT_EQ(StrToWideN("a", nullptr, 3), nullptr);
    units[0] = u'x';
    EXPECT_EQ(StrToWideN("a", units, 0), units);  // no room, nothing written
    EXPECT_EQ(units[0], u'x');
}

TEST(Escaping, PrintableUnitsStayAndOthersAreEscaped) {
    char text[32];
    EXPECT_EQ(WideToEscapedStr(u"a\u4E00", text, sizeof text), text);
    EXPECT_STREQ(text, "a&(0x4e00)");
    WideToEscapedStr(u" ~\n\x7F\u00FF", text, sizeof text);
    EXPECT_STREQ(text, " ~&(0xa)&(0x7f)&(0xff)");
    WideToEscapedStr(nullptr, text, sizeof text);
    EXPECT_STREQ(text, "");
    WideToEscapedStr(u"", text, sizeof text);
    EXPECT_STREQ(text, "");
}

TEST(Escaping, NullDestinationGivesASharedEmptyText) {
    const char* empty = WideToEscapedStr(u"abc", nullptr, 10);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], 0);
    EXPECT_EQ(WideToEscapedStr(nullptr, nullptr, 0), empty);
}

TEST(Escaping, StopsAtTheFirstUnitThatDoesNotFitWhole) {
    // "&(0x4e00)" is 9 bytes; with the terminator it needs exactly 10.
    std::unique_ptr<char[]> exact(new char[10]);
    WideToEscapedStr(u"\u4E00", exact.get(), 10);
    EXPECT_STREQ(exact.get(), "&(0x4e00)");
    std::unique_ptr<char[]> shortBy1(new char[9]);
    WideToEscapedStr(u"\u4E00", shortBy1.get(), 9);
    EXPECT_STREQ(shortBy1.get(), "");
    std::unique_ptr<char[]> two(new char[2]);
    WideToEscapedStr(u"ab", two.get(), 2);
    EXPECT_STREQ(two.get(), "a");
    // A printable unit after a skipped escape is not written either.
    std::unique_ptr<char[]> six(new char[6]);
    WideToEscapedStr(u"a\u4E00b", six.get(), 6);
    EXPECT_STREQ(six.get(), "a");
    char untouched = 'x';
    EXPECT_EQ(WideToEscapedStr(u"a", &untouched, 0), &untouched);
    EXPECT_EQ(untouched, 'x');
    WideToEscapedStr(u"a", &untouched, 1);
    EXPECT_EQ(untouched, 0);
}

}  // namespace
}  // namespace vantir
