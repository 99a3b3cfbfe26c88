// Chinese numerals, the one place that knows them: the table of digit and place
// units, the readers that turn numerals into values or digits, and the spellers.
#ifndef VANTIR_TEXTUTIL_CHINESE_NUMERALS_H
#define VANTIR_TEXTUTIL_CHINESE_NUMERALS_H

#include <cstdint>

namespace vantir {

// Runs of up to this many digits, without a leading zero, are one number
// (0 .. 9999) to the speller; longer runs are no single spoken number.
constexpr int32_t kMaxNumberDigits = 4;
// Units of the longest spelled number, 一千兩百三十四 (7), rounded up.
constexpr int32_t kMaxNumberUnits = 8;
// Units of the decimal text of any 32-bit value: "-2147483648" and its 0 unit.
constexpr int32_t kDecimalTextCapacity = 12;
// A run of numerals longer than this is read as no number at all.
constexpr int32_t kMaxNumeralRunUnits = 16;

// ---- The table ------------------------------------------------------------

// The numeral of one digit, 零 .. 九; 0 for anything but 0 .. 9.
char16_t DigitNumeral(int32_t digit);

// Value of a numeral unit: 0 .. 9 for 零 .. 九 (and 兩, the counting two),
// 10, 100 or 1000 for 十, 百, 千; -1 for any other unit.
int32_t NumeralValue(char16_t unit);

// Units a written number may hold beyond the numerals: 廿, 卅 and 卌 stand for
// two numerals each.
constexpr int32_t kMaxNumeralsPerUnit = 2;

// The numerals that one unit of a written number stands for, into out (room
// for kMaxNumeralsPerUnit): a numeral as it is; a decimal digit of either
// width as its numeral; 幺 and the phonetic ㄧ as 一, 〇 and the circle ○ as
// 零 (digit strings); 廿, 卅 and 卌 as 二十, 三十 and 四十. Returns how many
// (0 for a unit that is no part of a number).
int32_t WrittenNumerals(char16_t unit, char16_t* out);

// ---- Readers --------------------------------------------------------------

// The composition's reading of numbered segments. Copies source[0..count-1] to
// `output` (room for `capacity` units, at least 1) with every run of numeral
// units replaced by the decimal digits of its value, ends it with 0 and returns
// its length. The reading is lenient by design: a digit replaces any digit
// pending before it, a place multiplies the digit before it (a bare place
// counts once), so "一零五" reads 5 and "一百二十三" reads 123. Callers pass at
// most a work buffer's worth of units, far below where a value could overflow.
int32_t ConvertNumerals(const char16_t* source, char16_t* output, int32_t count, int32_t capacity);

// The strict reading: the value of units[0..length-1] when they spell one
// whole number, else -1. Accepted shapes:
// - ASCII digits without a leading 0, at most 9 of them ("123");
// - a Chinese number as people say it: an optional thousands, hundreds and
//   tens part in falling order, each after one digit (十 may open the number
//   alone: 十五), 零 only where a place is skipped and before a digit, and a
//   units digit last ("一千零五", "兩百五十", "十二").
// Runs longer than kMaxNumeralRunUnits and mixes of the two kinds are no number.
int32_t ReadNumber(const char16_t* units, int32_t length);

// The value of units[0..length-1] read digit by digit, as house numbers are
// also said ("一零零五" for 1005, with 幺 for one and 〇 for zero): two to
// kMaxNumberDigits digits, numerals or ASCII digits, no place word, no leading
// zero. -1 for anything else.
int32_t ReadDigitByDigit(const char16_t* units, int32_t length);

// ---- Spellers -------------------------------------------------------------

// Writes `value` (0 .. 9999) as Taiwan reads it aloud: 十五, 一百零五, 一百一十,
// 兩百五十, 一千零五. units[k] is the spelling used; alternates[k] is another
// spelling of the same unit a lexicon may hold instead (二 for the 兩 before
// 百 and 千), or 0. Both arrays need kMaxNumberUnits units. Returns the count,
// 0 for a value out of range. ConvertNumerals and ReadNumber read every
// spelling made here back as `value`.
int32_t SpellNumber(int32_t value, char16_t* units, char16_t* alternates);

// Writes the decimal digits of `value` (0 or more) into out (room for
// kMaxNumeralRunUnits units, no 0 unit added) and returns their count.
int32_t SpellDecimal(int32_t value, char16_t* out);

// Decimal text of 1000a + 100b + 10c + d (wrapping like 32-bit arithmetic);
// `output` needs kDecimalTextCapacity units. Returns the text's length.
int32_t DigitsToWText(int32_t a, int32_t b, int32_t c, int32_t d, char16_t* output);

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_CHINESE_NUMERALS_H
