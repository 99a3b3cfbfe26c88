// Digit runs spelled as the Chinese numeral words a lexicon holds, so that text
// written with digits ("123巷") segments into the same words as spoken numerals.
#ifndef VANTIR_ADDRESS_NUMERAL_SPELLING_H
#define VANTIR_ADDRESS_NUMERAL_SPELLING_H

#include <cstdint>

namespace vantir {

// Runs of up to this many digits, without a leading zero, are read as one
// number (0 .. 9999); longer runs and runs with a leading zero (postcodes,
// "05") are read digit by digit.
constexpr int32_t kMaxNumberDigits = 4;
// Units of the longest spelled number, 一千兩百三十四 (7), rounded up.
constexpr int32_t kMaxNumberUnits = 8;

// The numeral of one digit, 零 .. 九.
char16_t DigitNumeral(int32_t digit);

// Writes `value` (0 .. 9999) as Taiwan reads it aloud: 十五, 一百零五, 一百一十,
// 兩百五十, 一千零五. units[k] is the spelling used; alternates[k] is another
// spelling of the same unit the lexicon may hold instead (二 for the 兩 before
// 百 and 千), or 0. Both arrays need kMaxNumberUnits units. Returns the count.
int32_t SpellNumber(int32_t value, char16_t* units, char16_t* alternates);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_NUMERAL_SPELLING_H
