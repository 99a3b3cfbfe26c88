// Spelling of numbers as Chinese numerals, the inverse of the reading in
// compose_text.cpp: ConvertNumerals turns every spelling made here back into its digits.
#include "address/numeral_spelling.h"

namespace vantir {

namespace {

constexpr char16_t kDigitNumerals[] = {u'\u96F6', u'\u4E00', u'\u4E8C', u'\u4E09', u'\u56DB',
                                       u'\u4E94', u'\u516D', u'\u4E03', u'\u516B', u'\u4E5D'};
constexpr char16_t kZero = u'\u96F6';      // 零
constexpr char16_t kOne = u'\u4E00';       // 一
constexpr char16_t kTwo = u'\u4E8C';       // 二
constexpr char16_t kTwoCount = u'\u5169';  // 兩, the two that counts hundreds and thousands
constexpr char16_t kTen = u'\u5341';       // 十
constexpr char16_t kHundred = u'\u767E';   // 百
constexpr char16_t kThousand = u'\u5343';  // 千
constexpr int32_t kLargestNumber = 9999;

struct Spelling {
    char16_t* units;
    char16_t* alternates;
    int32_t length;

    void Put(char16_t unit, char16_t alternate = 0) {
        units[length] = unit;
        alternates[length] = alternate;
        ++length;
    }

    // A digit before 百 or 千: 兩 as spoken in Taiwan, 二 as sometimes written.
    void PutCount(int32_t digit) {
        if (digit == 2) {
            Put(kTwoCount, kTwo);
        } else {
            Put(kDigitNumerals[digit]);
        }
    }
};

}  // namespace

char16_t DigitNumeral(int32_t digit) {
    return digit >= 0 && digit <= 9 ? kDigitNumerals[digit] : 0;
}

int32_t SpellNumber(int32_t value, char16_t* units, char16_t* alternates) {
    if (value < 0 || value > kLargestNumber) return 0;
    Spelling out{units, alternates, 0};
    if (value == 0) {
        out.Put(kZero);
        return out.length;
    }
    const int32_t thousands = value / 1000;
    const int32_t hundreds = value / 100 % 10;
    const int32_t tens = value / 10 % 10;
    const int32_t ones = value % 10;
    bool higher = false;       // a 千 or 百 stands before
    bool zeroPending = false;  // a skipped place between two spoken ones reads 零, once
    if (thousands > 0) {
        out.PutCount(thousands);
        out.Put(kThousand);
        higher = true;
    }
    if (hundreds > 0) {
        out.PutCount(hundreds);
        out.Put(kHundred);
        higher = true;
    } else if (higher && (tens > 0 || ones > 0)) {
        zeroPending = true;
    }
    if (tens > 0) {
        if (zeroPending) out.Put(kZero);
        zeroPending = false;
        // A bare 十 opens a number; after 百 or 千 the ten is counted: 一十.
        if (tens > 1 || higher) out.Put(tens == 1 ? kOne : kDigitNumerals[tens]);
        out.Put(kTen);
    } else if (higher && ones > 0) {
        zeroPending = true;
    }
    if (ones > 0) {
        if (zeroPending) out.Put(kZero);
        out.Put(kDigitNumerals[ones]);
    }
    return out.length;
}

}  // namespace vantir
