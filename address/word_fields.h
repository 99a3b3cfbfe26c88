// The fields of a kept address (regions, road, section, lane, alley, number, or a
// named place), read from its words' tags, and where each stands in its text.
#ifndef VANTIR_ADDRESS_WORD_FIELDS_H
#define VANTIR_ADDRESS_WORD_FIELDS_H

#include <cstdint>

#include "address/address_context.h"
#include "address/compose_text.h"

namespace vantir {

// The fields in the order the public interface numbers them.
enum ResultField : int32_t {
    kFieldUpper = 0,  // upper region (county or city)
    kFieldLower,      // lower region (district, township)
    kFieldRoad,
    kFieldSection,  // …段
    kFieldLane,     // …巷
    kFieldAlley,    // …弄
    kFieldNumber,   // …號, with a 之 part
    kFieldPlace,    // a named destination: a landmark, or an opener and its follower
    kResultFieldCount
};
constexpr int8_t kNoField = -1;

// Where a field stands in a text, in UTF-16 units; length 0: not present.
struct FieldSpan {
    int16_t start;
    int16_t length;
};

// True when `word` ends in 之: it closes the first part of a house number
// ("12之1號"), though the grammar tags it like an alley key.
bool EndsWithNumberPart(const Lexicon* lexicon, WordId word);

// The field of each of words[0..n-1] (kNoField for a word of none) into
// fields[0..min(n, kMaxLocatedWords)-1]. The words of a numbered segment (prefixes
// and key, as composition with `grouping` groups them) take the field of the key.
void AssignWordFields(const AddressContext& context, const WordId* words, int32_t n,
                      NumberGrouping grouping, int8_t* fields);

// The spans of the fields of words[0..n-1] in the text that ComposeResultText
// wrote, from the word starts it recorded (moved along by canonicalisation when
// the text was rewritten) and the text's final length, which may have cut it.
// A field whose words stand in several places keeps the first run of them.
void LocateWordFields(const AddressContext& context, const WordId* words, int32_t n,
                      NumberGrouping grouping, const int32_t* wordStarts, int32_t textLength,
                      FieldSpan spans[kResultFieldCount]);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_WORD_FIELDS_H
