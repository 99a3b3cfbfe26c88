// Composition of the canonical text of a kept address: lexicon texts, marker
// characters removed, and spoken Chinese numerals turned into decimal digits.
#ifndef VANTIR_ADDRESS_COMPOSE_TEXT_H
#define VANTIR_ADDRESS_COMPOSE_TEXT_H

#include <cstdint>

#include "address/address_context.h"

namespace vantir {

constexpr int32_t kComposeBufferCapacity = 256;  // units of each work buffer
constexpr int32_t kDecimalTextCapacity = 12;     // "-2147483648" and its 0 unit

// Writes the text of words[0..n-1] into `output` (room for `capacity` units,
// at least 1) and returns its length. Texts that would pass the end of a
// buffer are cut there.
int32_t ComposeResultText(const AddressContext& context, const WordId* words, int32_t n,
                          char16_t* output, int32_t capacity);

// Value of a Chinese numeral unit: 0..9 for digits, 10, 100 or 1000 for
// multipliers, -1 for any other unit.
int32_t NumeralValue(char16_t unit);

// Copies source[0..count-1] to `output` (room for `capacity` units, at least
// 1) with every run of numerals replaced by the decimal digits of its value,
// ends it with 0 and returns its length. Callers pass at most a work buffer's
// worth of units, far below where a run's value could overflow.
int32_t ConvertNumerals(const char16_t* source, char16_t* output, int32_t count, int32_t capacity);

// Copies the source without its '@' and '!' units; returns the units kept.
int32_t StripMarks(const char16_t* source, char16_t* output, int32_t capacity);

// Decimal text of 1000a + 100b + 10c + d (wrapping like 32-bit arithmetic);
// `output` needs kDecimalTextCapacity units. Returns the text's length.
int32_t DigitsToWText(int32_t a, int32_t b, int32_t c, int32_t d, char16_t* output);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_COMPOSE_TEXT_H
