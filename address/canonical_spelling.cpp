// Accurate mode's spelling of numbers: whether number words form a whole
// number, and the rewrite of each number in the style of its closing word.
#include "address/canonical_spelling.h"

#include "address/compose_text.h"

namespace vantir {

namespace {

constexpr char16_t kSectionWord = u'\u6BB5';  // 段: sections are written in Chinese
// Lane, alley, house number and floor words: written with digits.
constexpr char16_t kDigitKeyWords[] = {u'\u5DF7', u'\u5F04', u'\u865F', u'\u6A13'};
constexpr char16_t kZero = u'\u96F6';
constexpr char16_t kTen = u'\u5341';
constexpr char16_t kChineseDigits[] = {u'\u96F6', u'\u4E00', u'\u4E8C', u'\u4E09', u'\u56DB',
                                       u'\u4E94', u'\u516D', u'\u4E03', u'\u516B', u'\u4E5D'};
constexpr int32_t kDecimalRadix = 10;
constexpr int32_t kNoMultiplier = 10000;  // above the largest place, 千
// A run longer than this is no address number; it is left alone.
constexpr int32_t kMaxRunLength = 16;

bool IsAsciiDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

bool IsNumeralUnit(char16_t unit) {
    return IsAsciiDigit(unit) || NumeralValue(unit) >= 0;
}

bool ClosesWithDigits(char16_t unit) {
    for (char16_t key : kDigitKeyWords) {
        if (key == unit) return true;
    }
    return false;
}

// Value of a run of ASCII digits, or -1 when it has a leading 0 or is too long.
int32_t AsciiValue(const char16_t* units, int32_t length) {
    if (length <= 0 || length > 9 || units[0] == u'0') return -1;
    int32_t value = 0;
    for (int32_t i = 0; i < length; ++i) {
        if (!IsAsciiDigit(units[i])) return -1;
        value = value * kDecimalRadix + (units[i] - u'0');
    }
    return value;
}

// Value of a well-formed Chinese number, or -1. Places (千, 百, 十) come in
// falling order, each after one digit (十 may stand alone first); 零 marks a
// skipped place and must be followed by a digit; a units digit ends the number
// and follows 十, 零 or nothing.
int32_t ChineseValue(const char16_t* units, int32_t length) {
    int32_t value = 0;
    int32_t lastPlace = kNoMultiplier;
    bool afterZero = false;
    int32_t i = 0;
    while (i < length) {
        const int32_t v = NumeralValue(units[i]);
        if (v < 0) return -1;
        if (units[i] == kZero) {
            // Only between places: after a place, before a digit.
            if (lastPlace == kNoMultiplier || afterZero || i + 1 >= length) return -1;
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
        if (!(lastPlace == kNoMultiplier || lastPlace == kDecimalRadix || afterZero)) return -1;
        value += v;
        ++i;
    }
    return value >= 1 ? value : -1;
}

int32_t RunValue(const char16_t* units, int32_t length) {
    if (length <= 0 || length > kMaxRunLength) return -1;
    if (IsAsciiDigit(units[0])) return AsciiValue(units, length);
    return ChineseValue(units, length);
}

// Writes the number in digits or in Chinese numerals into out (room for
// kMaxRunLength units) and returns the units written.
int32_t SpellNumber(int32_t value, bool chinese, char16_t* out) {
    if (chinese && value <= kMaxChineseSectionNumber) {
        const int32_t tens = value / kDecimalRadix;
        const int32_t ones = value % kDecimalRadix;
        int32_t n = 0;
        if (tens > 1) out[n++] = kChineseDigits[tens];
        if (tens > 0) out[n++] = kTen;
        if (ones > 0) out[n++] = kChineseDigits[ones];
        return n;
    }
    char16_t reversed[kMaxRunLength];
    int32_t n = 0;
    do {
        reversed[n++] = static_cast<char16_t>(u'0' + value % kDecimalRadix);
        value /= kDecimalRadix;
    } while (value > 0 && n < kMaxRunLength);
    for (int32_t i = 0; i < n; ++i)
        out[i] = reversed[n - 1 - i];
    return n;
}

}  // namespace

int32_t SplitAddressFields(const char16_t* text, AddressField* fields) {
    int32_t count = 0;
    int32_t start = 0;
    int32_t i = 0;
    while (text[i] != 0) {
        const char16_t unit = text[i];
        if (unit != kSectionWord && !ClosesWithDigits(unit)) {
            ++i;
            continue;
        }
        // The field of a number starts at its run of numerals.
        int32_t run = i;
        while (run > start && IsNumeralUnit(text[run - 1]))
            --run;
        if (run == i || count + 2 > kMaxAddressFields) {
            ++i;
            continue;
        }
        if (run > start) fields[count++] = AddressField{0, start, run - start};
        fields[count++] = AddressField{unit, run, i + 1 - run};
        start = i + 1;
        ++i;
    }
    if (i > start) {
        if (count == kMaxAddressFields) {
            fields[count - 1].length = i - fields[count - 1].start;
        } else {
            fields[count++] = AddressField{0, start, i - start};
        }
    }
    return count;
}

bool IsWellFormedNumber(const char16_t* units, int32_t length) {
    return RunValue(units, length) >= 1;
}

int32_t CanonicaliseAddressText(char16_t* text, int32_t capacity) {
    int32_t length = 0;
    while (length < capacity && text[length] != 0)
        ++length;
    int32_t i = 0;
    while (i < length) {
        if (!IsNumeralUnit(text[i])) {
            ++i;
            continue;
        }
        int32_t end = i;
        while (end < length && IsNumeralUnit(text[end]))
            ++end;
        const char16_t closing = end < length ? text[end] : char16_t{0};
        const bool chinese = closing == kSectionWord;
        const int32_t value =
            chinese || ClosesWithDigits(closing) ? RunValue(text + i, end - i) : -1;
        if (value < 1) {
            i = end;
            continue;
        }
        char16_t spelled[kMaxRunLength];
        const int32_t n = SpellNumber(value, chinese, spelled);
        const int32_t growth = n - (end - i);
        // The spelling never grows past the buffer: a run that would is kept.
        if (length + growth + 1 > capacity) {
            i = end;
            continue;
        }
        // Shift the tail (with its 0 unit) to its new place, then write.
        if (growth > 0) {
            for (int32_t k = length; k >= end; --k)
                text[k + growth] = text[k];
        } else if (growth < 0) {
            for (int32_t k = end; k <= length; ++k)
                text[k + growth] = text[k];
        }
        for (int32_t k = 0; k < n; ++k)
            text[i + k] = spelled[k];
        length += growth;
        i += n + 1;  // past the closing word
    }
    return length;
}

}  // namespace vantir
