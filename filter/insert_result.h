// Entering one kept word sequence into the result table: its composed text, its
// rank class from the sequence's shape, and merging with an equal stored text.
#ifndef VANTIR_FILTER_INSERT_RESULT_H
#define VANTIR_FILTER_INSERT_RESULT_H

#include <cstdint>

#include "filter/session.h"

namespace vantir {

constexpr uint8_t kClassCompleted = 2;  // built from a region candidate
constexpr uint8_t kClassBare = 3;       // one word, or two without a trigger

// Rank class of words[0..n-1] (n >= 1); `completed` is non-zero for sequences
// built from region candidates.
uint8_t ResultClassOf(const AddressContext& context, const WordId* words, int32_t n,
                      int32_t completed);

// Composes the text of words[0..n-1] (n >= 1), cut to kMaxResultTextLength
// units, and stores it as a new entry or lowers the class of the equal entry.
// Returns the result count, or -1001 when the table was already full.
int32_t InsertResult(FilterSession* session, const WordId* words, int32_t n, int32_t completed);

}  // namespace vantir

#endif  // VANTIR_FILTER_INSERT_RESULT_H
