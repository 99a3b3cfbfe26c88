// Composition of the canonical text of a kept address: lexicon texts, marker
// characters removed, and spoken Chinese numerals turned into decimal digits
// (textutil/chinese_numerals.h reads them).
#ifndef VANTIR_ADDRESS_COMPOSE_TEXT_H
#define VANTIR_ADDRESS_COMPOSE_TEXT_H

#include <cstdint>

#include "address/address_context.h"

namespace vantir {

constexpr int32_t kComposeBufferCapacity = 256;  // units of each work buffer
// Words whose place in the text is recorded: as many as the grammar keeps (a
// county, a district and the road, a first and a second segment of three
// words, a third of six, and the one word accurate mode's reading adds).
constexpr int32_t kMaxLocatedWords = 16;

// Most number words before a key that a segment groups: a number said digit
// by digit in words of one numeral each (accurate mode keeps such runs).
constexpr int32_t kMaxSegmentNumberWords = 4;

// How many number words a numbered segment may hold before its key. The
// grammar's segment is at most a first prefix, a second prefix and the key;
// accurate mode also keeps a number said in up to kMaxSegmentNumberWords words.
enum class NumberGrouping : uint8_t {
    kGrammarPrefixes,
    kLongRuns,
};

// Where the key of a numbered segment that starts at words[at] stands: after
// the grammar's optional first and second prefix or, with kLongRuns, after a
// run of up to kMaxSegmentNumberWords number words; -1 when words[at] starts
// no segment.
int32_t SegmentKeyAt(const AddressContext& context, const WordId* words, int32_t n, int32_t at,
                     NumberGrouping grouping);

// Writes the text of words[0..n-1] into `output` (room for `capacity` units,
// at least 1) and returns its length. Texts that would pass the end of a
// buffer are cut there. With `wordStarts` (room for kMaxLocatedWords + 1
// entries) it also records where the text of each word i < kMaxLocatedWords
// starts, and at index min(n, kMaxLocatedWords) where the text after them
// starts; the words of a numbered segment (prefixes and key) share the
// segment's start. Segments are grouped as `grouping` says; the default is the
// grammar's, which every result of the default mode is composed with.
int32_t ComposeResultText(const AddressContext& context, const WordId* words, int32_t n,
                          char16_t* output, int32_t capacity, int32_t* wordStarts = nullptr,
                          NumberGrouping grouping = NumberGrouping::kGrammarPrefixes);

// Accurate mode's composition: as ComposeResultText with kLongRuns, except that the number
// of each numbered segment is read whole (as people say it, 一千零五, or digit
// by digit, 一零零五) and written in digits; the text ends before a segment
// whose key no number precedes or whose number cannot be read whole, so it
// never holds a key without its number or a number that was not said.
// With `wordStarts`, words after that end start where the text ends.
int32_t ComposeWholeNumbersText(const AddressContext& context, const WordId* words, int32_t n,
                                char16_t* output, int32_t capacity, int32_t* wordStarts = nullptr);

// Copies the source without its '@' and '!' units; returns the units kept.
int32_t StripMarks(const char16_t* source, char16_t* output, int32_t capacity);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_COMPOSE_TEXT_H
