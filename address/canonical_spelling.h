// One spelling per address for accurate mode: numbers before a section word in
// Chinese numerals, before lane, alley, number and floor words in digits.
#ifndef VANTIR_ADDRESS_CANONICAL_SPELLING_H
#define VANTIR_ADDRESS_CANONICAL_SPELLING_H

#include <cstdint>

namespace vantir {

// Section numbers are short; anything above this stays in digits.
constexpr int32_t kMaxChineseSectionNumber = 99;

// Rewrites text[0..] (0-terminated, room for `capacity` units) in place: every
// run of numerals, Chinese or ASCII digits, directly followed by a section word
// becomes Chinese numerals, and one directly followed by a lane, alley, house
// number or floor word becomes decimal digits. Other runs (road names such as
// "中山一路", landmarks) stay as written; so does a run that mixes the two
// kinds or whose value cannot be read. Returns the new length. The `offsetCount`
// positions of `offsets` (may be null when 0) move with the units after them;
// one inside a rewritten number moves to the number's start.
int32_t CanonicaliseAddressText(char16_t* text, int32_t capacity, int32_t* offsets = nullptr,
                                int32_t offsetCount = 0);

// Fields of a canonical address text: the regions and road before the first
// number (key 0), then each number with its closing word (key: that word).
constexpr int32_t kMaxAddressFields = 8;
struct AddressField {
    char16_t key;
    int32_t start;
    int32_t length;
};

// Splits a canonical text into at most kMaxAddressFields fields, the last one
// taking the rest; returns their number (0 for an empty text).
int32_t SplitAddressFields(const char16_t* text, AddressField* fields);

// True when units[0..length-1] spell one whole number the way people say it
// (an optional thousands, hundreds and tens part, a 零 only where a place is
// skipped, a units digit), with a value of at least 1; or are all ASCII digits
// without a leading 0. An empty text is no number.
bool IsWellFormedNumber(const char16_t* units, int32_t length);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_CANONICAL_SPELLING_H
