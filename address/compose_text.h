// Composition of the canonical text of a kept address: lexicon texts, marker
// characters removed, and spoken Chinese numerals turned into decimal digits
// (textutil/chinese_numerals.h reads them).
#ifndef VANTIR_ADDRESS_COMPOSE_TEXT_H
#define VANTIR_ADDRESS_COMPOSE_TEXT_H

#include <cstdint>

#include "address/address_context.h"

namespace vantir {

constexpr int32_t kComposeBufferCapacity = 256;  // units of each work buffer

// Writes the text of words[0..n-1] into `output` (room for `capacity` units,
// at least 1) and returns its length. Texts that would pass the end of a
// buffer are cut there.
int32_t ComposeResultText(const AddressContext& context, const WordId* words, int32_t n,
                          char16_t* output, int32_t capacity);

// Accurate mode's composition: as ComposeResultText, except that the number
// of each numbered segment is read whole (as people say it, 一千零五, or digit
// by digit, 一零零五) and written in digits; the text ends before a segment
// whose key no number precedes or whose number cannot be read whole, so it
// never holds a key without its number or a number that was not said.
int32_t ComposeWholeNumbersText(const AddressContext& context, const WordId* words, int32_t n,
                                char16_t* output, int32_t capacity);

// Copies the source without its '@' and '!' units; returns the units kept.
int32_t StripMarks(const char16_t* source, char16_t* output, int32_t capacity);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_COMPOSE_TEXT_H
