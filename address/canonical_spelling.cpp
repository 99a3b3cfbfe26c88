// Accurate mode's spelling of numbers: whether number words form a whole
// number, and the rewrite of each number in the style of its closing word.
#include "address/canonical_spelling.h"

#include "textutil/address_words.h"
#include "textutil/chinese_numerals.h"

namespace vantir {

namespace {

bool IsAsciiDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

bool IsNumeralUnit(char16_t unit) {
    return IsAsciiDigit(unit) || NumeralValue(unit) >= 0;
}

bool ClosesWithDigits(char16_t unit) {
    for (char16_t key : kDigitKeys) {
        if (key == unit) return true;
    }
    return false;
}

// Writes the number in the style of its closing word into out (room for
// kMaxNumeralRunUnits units): Chinese numerals for short section numbers,
// decimal digits otherwise. Returns the units written.
int32_t SpellInStyle(int32_t value, bool chinese, char16_t* out) {
    if (chinese && value <= kMaxChineseSectionNumber) {
        char16_t alternates[kMaxNumberUnits];
        return SpellNumber(value, out, alternates);
    }
    return SpellDecimal(value, out);
}

// Positions at or past the end of the run [start, end) move by `growth`; those
// inside it (never a word's start in composed text) go to its start.
void MoveOffsets(int32_t* offsets, int32_t count, int32_t start, int32_t end, int32_t growth) {
    for (int32_t k = 0; k < count; ++k) {
        if (offsets[k] >= end) {
            offsets[k] += growth;
        } else if (offsets[k] > start) {
            offsets[k] = start;
        }
    }
}

}  // namespace

int32_t SplitAddressFields(const char16_t* text, AddressField* fields) {
    int32_t count = 0;
    int32_t start = 0;
    int32_t i = 0;
    while (text[i] != 0) {
        const char16_t unit = text[i];
        if (unit != kSectionKey && !ClosesWithDigits(unit)) {
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
    return ReadNumber(units, length) >= 1;
}

int32_t CanonicaliseAddressText(char16_t* text, int32_t capacity, int32_t* offsets,
                                int32_t offsetCount) {
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
        const bool chinese = closing == kSectionKey;
        const int32_t value =
            chinese || ClosesWithDigits(closing) ? ReadNumber(text + i, end - i) : -1;
        if (value < 1) {
            i = end;
            continue;
        }
        char16_t spelled[kMaxNumeralRunUnits];
        const int32_t n = SpellInStyle(value, chinese, spelled);
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
        MoveOffsets(offsets, offsetCount, i, end, growth);
        length += growth;
        i += n + 1;  // past the closing word
    }
    return length;
}

}  // namespace vantir
