// Spelling variants that text intake treats as the same character: Taiwan
// variant pairs (台/臺 ...), full-width and half-width ASCII, digits of both widths.
#ifndef VANTIR_SEGMENT_TEXT_VARIANTS_H
#define VANTIR_SEGMENT_TEXT_VARIANTS_H

#include <cstdint>

namespace vantir {

// The half-width form of a full-width ASCII character (U+FF01..U+FF5E) and of
// the ideographic space; every other unit is returned as it is.
char16_t NarrowWidth(char16_t unit);

// The other width of a printable ASCII character ('!'..'~' and U+FF01..U+FF5E),
// or 0 when the unit has none.
char16_t WidthPartner(char16_t unit);

// The other spelling of a character of the built-in Taiwan variant table
// (台 and 臺, 內 and 内 ...), or 0 when the character is in no pair. Each
// character belongs to at most one pair, so the partner's partner is the unit.
char16_t VariantPartner(char16_t unit);

// Number of pairs in the variant table, and pair k (0-based) as its two
// spellings, the form Taiwan's official writing uses first.
int32_t VariantPairCount();
void VariantPairAt(int32_t k, char16_t* usual, char16_t* other);

// 0..9 for the digits '0'..'9' and U+FF10..U+FF19, -1 for anything else.
int32_t DecimalDigitValue(char16_t unit);

// Blanks, control characters and punctuation (ASCII, general, CJK and
// full-width): units that separate words and never belong to one.
bool IsTextSeparator(char16_t unit);

}  // namespace vantir

#endif  // VANTIR_SEGMENT_TEXT_VARIANTS_H
