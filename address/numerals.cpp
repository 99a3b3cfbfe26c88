// Chinese numerals in segment texts: the value of a numeral unit, and the
// rewriting of numeral runs as decimal digits.
#include "address/compose_text.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

constexpr int32_t kDecimalRadix = 10;
constexpr char16_t kAlternativeTwo = u'\u5169';
constexpr char16_t kDigitUnits[] = {u'\u96F6', u'\u4E00', u'\u4E8C', u'\u4E09', u'\u56DB',
                                    u'\u4E94', u'\u516D', u'\u4E03', u'\u516B', u'\u4E5D'};
struct Multiplier {
    char16_t unit;
    int32_t value;
};
constexpr Multiplier kMultipliers[] = {{u'\u5341', 10}, {u'\u767E', 100}, {u'\u5343', 1000}};

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

}  // namespace

int32_t NumeralValue(char16_t unit) {
    if (unit == kAlternativeTwo) return 2;
    for (int32_t digit = 0; digit < 10; ++digit) {
        if (kDigitUnits[digit] == unit) return digit;
    }
    for (const Multiplier& multiplier : kMultipliers) {
        if (multiplier.unit == unit) return multiplier.value;
    }
    return -1;
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

int32_t DigitsToWText(int32_t a, int32_t b, int32_t c, int32_t d, char16_t* output) {
    // Unsigned arithmetic wraps where signed overflow would be undefined.
    const uint32_t value = 1000u * static_cast<uint32_t>(a) + 100u * static_cast<uint32_t>(b) +
                           10u * static_cast<uint32_t>(c) + static_cast<uint32_t>(d);
    IntToWText(static_cast<int32_t>(value), output, kDecimalRadix);
    return WStrLen(output);
}

}  // namespace vantir
