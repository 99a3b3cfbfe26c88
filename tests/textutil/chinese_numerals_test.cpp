// Chinese numerals: the spoken forms Taiwan uses, the table, the composition's
// lenient reading and the strict one, and the round trip from spelling to reading.
#include "textutil/chinese_numerals.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/address_world.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

constexpr int32_t kReadCapacity = 256;  // a composition work buffer's worth

struct Spelled {
    std::u16string units;
    std::u16string alternates;  // '.' where a unit has none
};

Spelled Spell(int32_t value) {
    char16_t units[kMaxNumberUnits];
    char16_t alternates[kMaxNumberUnits];
    const int32_t n = SpellNumber(value, units, alternates);
    Spelled out{std::u16string(units, static_cast<size_t>(n)), u""};
    for (int32_t k = 0; k < n; ++k)
        out.alternates.push_back(alternates[k] == 0 ? u'.' : alternates[k]);
    return out;
}

std::u16string ReadBack(const std::u16string& numerals) {
    char16_t digits[kReadCapacity];
    const int32_t n = ConvertNumerals(numerals.data(), digits,
                                      static_cast<int32_t>(numerals.size()), kReadCapacity);
    return std::u16string(digits, static_cast<size_t>(n));
}

}  // namespace

TEST(NumeralSpellingTest, SpellsAsTaiwanReadsAloud) {
    EXPECT_EQ(Spell(0).units, u"零");
    EXPECT_EQ(Spell(7).units, u"七");
    EXPECT_EQ(Spell(10).units, u"十");
    EXPECT_EQ(Spell(15).units, u"十五");
    EXPECT_EQ(Spell(47).units, u"四十七");
    EXPECT_EQ(Spell(105).units, u"一百零五");
    EXPECT_EQ(Spell(110).units, u"一百一十");
    EXPECT_EQ(Spell(123).units, u"一百二十三");
    EXPECT_EQ(Spell(1000).units, u"一千");
    EXPECT_EQ(Spell(1005).units, u"一千零五");
    EXPECT_EQ(Spell(1015).units, u"一千零一十五");
    EXPECT_EQ(Spell(1050).units, u"一千零五十");
    EXPECT_EQ(Spell(9999).units, u"九千九百九十九");
}

TEST(NumeralSpellingTest, TwoBeforeHundredsAndThousandsHasBothSpellings) {
    EXPECT_EQ(Spell(250).units, u"兩百五十");
    EXPECT_EQ(Spell(250).alternates, u"二...");
    EXPECT_EQ(Spell(2222).units, u"兩千兩百二十二");
    EXPECT_EQ(Spell(2222).alternates, u"二.二....");
    EXPECT_EQ(Spell(2).alternates, u".");
    EXPECT_EQ(Spell(22).alternates, u"...");
}

TEST(NumeralSpellingTest, OutOfRangeWritesNothing) {
    EXPECT_EQ(Spell(-1).units, u"");
    EXPECT_EQ(Spell(10000).units, u"");
}

TEST(NumeralSpellingTest, EverySpellingReadsBackToItsDigits) {
    for (int32_t value = 0; value <= 9999; ++value) {
        const Spelled spelled = Spell(value);
        const std::u16string digits = ReadBack(spelled.units);
        std::u16string expected;
        for (char c : std::to_string(value))
            expected.push_back(static_cast<char16_t>(c));
        ASSERT_EQ(digits, expected) << value;
        std::u16string other = spelled.units;
        for (size_t k = 0; k < other.size(); ++k) {
            if (spelled.alternates[k] != u'.') other[k] = spelled.alternates[k];
        }
        ASSERT_EQ(ReadBack(other), expected) << value;
        if (value > 0) {
            ASSERT_EQ(ReadNumber(spelled.units.data(), static_cast<int32_t>(spelled.units.size())),
                      value);
            ASSERT_EQ(ReadNumber(other.data(), static_cast<int32_t>(other.size())), value);
            ASSERT_EQ(ReadNumber(expected.data(), static_cast<int32_t>(expected.size())), value);
        }
        ASSERT_LE(spelled.units.size(), static_cast<size_t>(kMaxNumberUnits)) << value;
    }
}

namespace {

std::string Converted(const std::string& source) {
    const std::u16string units = Utf16(source);
    char16_t output[kReadCapacity];
    const int32_t length = vantir::ConvertNumerals(
        units.c_str(), output, static_cast<int32_t>(units.size()), kReadCapacity);
    EXPECT_EQ(length, static_cast<int32_t>(std::u16string(output).size()));
    return ToUtf8(output);
}

}  // namespace

TEST(NumeralValue, CoversTheNumeralTableOnly) {
    const std::u16string digits = u"零一二三四五六七八九";
    for (int32_t v = 0; v < 10; ++v)
        EXPECT_EQ(vantir::NumeralValue(digits[v]), v);
    EXPECT_EQ(vantir::NumeralValue(u'兩'), 2);
    EXPECT_EQ(vantir::NumeralValue(u'十'), 10);
    EXPECT_EQ(vantir::NumeralValue(u'百'), 100);
    EXPECT_EQ(vantir::NumeralValue(u'千'), 1000);
    EXPECT_EQ(vantir::NumeralValue(u'萬'), -1);
    EXPECT_EQ(vantir::NumeralValue(u'3'), -1);
    EXPECT_EQ(vantir::NumeralValue(0), -1);
}

// What each unit of a written number stands for: numerals as they are, digits
// of both widths, the units written for 一 and 零, and the one-unit tens.
TEST(WrittenNumerals, FoldsEveryWayOfWritingANumeral) {
    const std::vector<std::pair<char16_t, std::u16string>> cases = {
        {u'七', u"七"},   {u'兩', u"兩"},   {u'百', u"百"}, {u'8', u"八"}, {u'８', u"八"},
        {u'幺', u"一"},   {u'ㄧ', u"一"},   {u'〇', u"零"}, {u'○', u"零"}, {u'廿', u"二十"},
        {u'卅', u"三十"}, {u'卌', u"四十"}, {u'萬', u""},   {u'號', u""},  {u'O', u""}};
    for (const auto& [unit, numerals] : cases) {
        char16_t out[kMaxNumeralsPerUnit] = {};
        const int32_t n = WrittenNumerals(unit, out);
        EXPECT_EQ(std::u16string(out, static_cast<size_t>(n)), numerals)
            << ToUtf8(std::u16string(1, unit));
    }
}

TEST(ConvertNumerals, RunsBecomeDecimalDigits) {
    ExpectRewrites(Converted, {
                                  {"二十三巷", "23巷"},
                                  {"十五", "15"},
                                  {"一百零五", "105"},
                                  {"兩百", "200"},
                                  {"二千三百", "2300"},
                                  {"三四", "4"},  // a later digit replaces the pending one
                                  {"一千二", "1002"},
                                  {"零", "0"},
                                  {"千", "1000"},
                                  {"五弄七號", "5弄7號"},
                                  {"A@!", "A@!"},
                                  {"", ""},
                              });
}

TEST(ConvertNumerals, CountAndCapacityBoundTheWork) {
    const std::u16string source = u"十二號";
    char16_t output[4];
    EXPECT_EQ(vantir::ConvertNumerals(source.c_str(), output, 2, 4), 2);
    EXPECT_EQ(ToUtf8(output), "12");
    EXPECT_EQ(vantir::ConvertNumerals(u"一百二十三", output, 5, 3), 2);  // cut at the end
    EXPECT_EQ(ToUtf8(output), "12");
}

TEST(DigitsToWText, WritesTheFourDigitNumber) {
    char16_t output[vantir::kDecimalTextCapacity];
    EXPECT_EQ(vantir::DigitsToWText(1, 2, 0, 5, output), 4);
    EXPECT_EQ(ToUtf8(output), "1205");
    EXPECT_EQ(vantir::DigitsToWText(0, 0, 0, 7, output), 1);
    EXPECT_EQ(ToUtf8(output), "7");
    EXPECT_EQ(vantir::DigitsToWText(0, 0, 12, 3, output), 3);
    EXPECT_EQ(ToUtf8(output), "123");
    // Out-of-range digits wrap like 32-bit arithmetic instead of overflowing.
    EXPECT_EQ(vantir::DigitsToWText(3000000, 0, 0, 0, output), 11);
    EXPECT_EQ(ToUtf8(output), "-1294967296");
}

TEST(ReadNumber, TakesWholeNumbersOnly) {
    const auto read = [](const std::u16string& text) {
        return ReadNumber(text.data(), static_cast<int32_t>(text.size()));
    };
    EXPECT_EQ(read(u"一千零五"), 1005);
    EXPECT_EQ(read(u"兩千三百"), 2300);
    EXPECT_EQ(read(u"十二"), 12);
    EXPECT_EQ(read(u"1005"), 1005);
    // Not one whole number: digit by digit, places out of order, a dangling
    // 零, a bare place after the start, a leading zero, a mix of both kinds.
    for (const std::u16string& text :
         {std::u16string(u"一零零五"), std::u16string(u"三四"), std::u16string(u"百二"),
          std::u16string(u"一百零"), std::u16string(u"二十百"), std::u16string(u"05"),
          std::u16string(u"1十"), std::u16string(u""), std::u16string(u"零")}) {
        EXPECT_EQ(read(text), -1) << ToUtf8(text);
    }
    const std::u16string tooLong(kMaxNumeralRunUnits + 1, u'1');
    EXPECT_EQ(read(tooLong), -1);
}
