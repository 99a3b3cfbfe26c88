// Numbers spelled as numerals: the spoken forms Taiwan uses, and agreement with
// the reading that composes result texts, so a spelled number reads back the same.
#include "address/numeral_spelling.h"

#include <gtest/gtest.h>

#include <string>

#include "address/compose_text.h"

using namespace vantir;

namespace {

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
    char16_t digits[kComposeBufferCapacity];
    const int32_t n = ConvertNumerals(
        numerals.data(), digits, static_cast<int32_t>(numerals.size()), kComposeBufferCapacity);
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
        ASSERT_LE(spelled.units.size(), static_cast<size_t>(kMaxNumberUnits)) << value;
    }
}
