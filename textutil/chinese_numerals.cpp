// Chinese numerals: one table of digit and place units, the lenient reading that
// composes result texts, the strict reading of whole numbers, and the spellers.
#include "textutil/chinese_numerals.h"

#include "textutil/address_words.h"
#include "vantir/textutil.h"

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
constexpr char16_t kFullWidthZero = u'\uFF10';
constexpr char16_t kFullWidthNine = u'\uFF19';

// Tens written as one unit: 廿 20, 卅 30, 卌 40.
struct TensUnit {
    char16_t unit;
    int32_t tens;
};
constexpr TensUnit kTensUnits[] = {{u'\u5EFF', 2}, {u'\u5345', 3}, {u'\u534C', 4}};

struct Place {
    char16_t unit;
    int32_t value;
};
constexpr Place kPlaces[] = {{kTen, 10}, {kHundred, 100}, {kThousand, 1000}};

constexpr int32_t kDecimalRadix = 10;
constexpr int32_t kLargestSpokenNumber = 9999;
constexpr int32_t kMaxAsciiNumberDigits = 9;  // below 2^31 whatever the digits
constexpr int32_t kAbovePlaces = 10000;       // above the largest place, 千

bool IsAsciiDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

// Appends `unit` when room is left for it and the 0 unit after it.
void PutUnit(char16_t* output, int32_t capacity, int32_t* length, char16_t unit) {
    if (*length + 1 < capacity) output[(*length)++] = unit;
}

void PutDecimal(char16_t* output, int32_t capacity, int32_t* length, int32_t value) {
    char16_t digits[kDecimalTextCapacity];
    IntToWText(value, digits, kDecimalRadix);
    for (int32_t i = 0; digits[i] != 0; ++i)
        PutUnit(output, capacity, length, digits[i]);
}

int32_t AsciiValue(const char16_t* units, int32_t length) {
    if (length <= 0 || length > kMaxAsciiNumberDigits || units[0] == u'0') return -1;
    int32_t value = 0;
    for (int32_t i = 0; i < length; ++i) {
        if (!IsAsciiDigit(units[i])) return -1;
        value = value * kDecimalRadix + (units[i] - u'0');
    }
    return value;
}

// Value of a well-formed Chinese number (see ReadNumber), or -1.
int32_t ChineseValue(const char16_t* units, int32_t length) {
    int32_t value = 0;
    int32_t lastPlace = kAbovePlaces;
    bool afterZero = false;
    int32_t i = 0;
    while (i < length) {
        const int32_t v = NumeralValue(units[i]);
        if (v < 0) return -1;
        if (units[i] == kZero) {
            // Only between places: after a place, before a digit.
            if (lastPlace == kAbovePlaces || afterZero || i + 1 >= length) return -1;
            afterZero = true;
            ++i;
            continue;
        }
        if (v >= kDecimalRadix) {
            // A bare 十 opens a number ("十五"); other bare places are no numbers.
            if (units[i] != kTen || i != 0) return -1;
            value = kDecimalRadix;
            lastPlace = kDecimalRadix;
            ++i;
            continue;
        }
        const int32_t place = i + 1 < length ? NumeralValue(units[i + 1]) : -1;
        if (place >= kDecimalRadix) {
            if (place >= lastPlace) return -1;
            value += v * place;
            lastPlace = place;
            afterZero = false;
            i += 2;
            continue;
        }
        // A units digit: the last unit, after 十, 零 or as the whole number.
        if (i + 1 != length) return -1;
        if (!(lastPlace == kAbovePlaces || lastPlace == kDecimalRadix || afterZero)) return -1;
        value += v;
        ++i;
    }
    return value >= 1 ? value : -1;
}

// A spelling under construction: the unit used and its alternate, per place.
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

int32_t NumeralValue(char16_t unit) {
    if (unit == kTwoCount) return 2;
    for (int32_t digit = 0; digit < kDecimalRadix; ++digit) {
        if (kDigitNumerals[digit] == unit) return digit;
    }
    for (const Place& place : kPlaces) {
        if (place.unit == unit) return place.value;
    }
    return -1;
}

int32_t WrittenNumerals(char16_t unit, char16_t* out) {
    if (NumeralValue(unit) >= 0) {
        out[0] = unit;
        return 1;
    }
    if (IsAsciiDigit(unit)) {
        out[0] = kDigitNumerals[unit - u'0'];
        return 1;
    }
    if (unit >= kFullWidthZero && unit <= kFullWidthNine) {
        out[0] = kDigitNumerals[unit - kFullWidthZero];
        return 1;
    }
    if (unit == kSpokenOne || unit == kPhoneticOne) {
        out[0] = kOne;
        return 1;
    }
    if (unit == kCircleZero || unit == kWhiteCircle) {
        out[0] = kZero;
        return 1;
    }
    for (const TensUnit& tens : kTensUnits) {
        if (tens.unit == unit) {
            out[0] = kDigitNumerals[tens.tens];
            out[1] = kTen;
            return 2;
        }
    }
    return 0;
}

int32_t ConvertNumerals(const char16_t* source, char16_t* output, int32_t count, int32_t capacity) {
    int32_t length = 0;
    bool pending = false;
    int32_t digit = 0;
    int32_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t value = NumeralValue(source[i]);
        if (value < 0) {
            if (pending) PutDecimal(output, capacity, &length, sum + digit);
            pending = false;
            sum = 0;
            digit = 0;
            PutUnit(output, capacity, &length, source[i]);
        } else if (value <= 9) {
            pending = true;
            digit = value;  // a digit replaces any digit pending before it
        } else {
            pending = true;
            sum += digit != 0 ? digit * value : value;  // a bare multiplier counts once
            digit = 0;
        }
    }
    if (pending) PutDecimal(output, capacity, &length, sum + digit);
    output[length] = 0;
    return length;
}

int32_t ReadNumber(const char16_t* units, int32_t length) {
    if (length <= 0 || length > kMaxNumeralRunUnits) return -1;
    if (IsAsciiDigit(units[0])) return AsciiValue(units, length);
    return ChineseValue(units, length);
}

int32_t ReadDigitByDigit(const char16_t* units, int32_t length) {
    if (length < 2 || length > kMaxNumberDigits) return -1;
    int32_t value = 0;
    for (int32_t i = 0; i < length; ++i) {
        const char16_t unit = units[i];
        int32_t digit = -1;
        if (IsAsciiDigit(unit)) {
            digit = unit - u'0';
        } else if (unit == kSpokenOne) {
            digit = 1;
        } else if (unit == kCircleZero) {
            digit = 0;
        } else if (unit != kTwoCount) {  // 兩 counts places; digit strings say 二
            digit = NumeralValue(unit);
        }
        if (digit < 0 || digit > 9 || (i == 0 && digit == 0)) return -1;
        value = value * kDecimalRadix + digit;
    }
    return value;
}

int32_t SpellNumber(int32_t value, char16_t* units, char16_t* alternates) {
    if (value < 0 || value > kLargestSpokenNumber) return 0;
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

int32_t SpellDecimal(int32_t value, char16_t* out) {
    char16_t reversed[kMaxNumeralRunUnits];
    int32_t n = 0;
    do {
        reversed[n++] = static_cast<char16_t>(u'0' + value % kDecimalRadix);
        value /= kDecimalRadix;
    } while (value > 0 && n < kMaxNumeralRunUnits);
    for (int32_t i = 0; i < n; ++i)
        out[i] = reversed[n - 1 - i];
    return n;
}

int32_t DigitsToWText(int32_t a, int32_t b, int32_t c, int32_t d, char16_t* output) {
    // Unsigned arithmetic wraps where signed overflow would be undefined.
    const uint32_t value = 1000u * static_cast<uint32_t>(a) + 100u * static_cast<uint32_t>(b) +
                           10u * static_cast<uint32_t>(c) + static_cast<uint32_t>(d);
    IntToWText(static_cast<int32_t>(value), output, kDecimalRadix);
    return WStrLen(output);
}

}  // namespace vantir
