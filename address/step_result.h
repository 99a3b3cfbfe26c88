// Small helpers shared by the grammar's matching steps: the tag test as a bool
// and the two ways a step reports back (no match, or words consumed and kept).
#ifndef VANTIR_ADDRESS_STEP_RESULT_H
#define VANTIR_ADDRESS_STEP_RESULT_H

#include <cstdint>

#include "address/address_grammar.h"
#include "filter/address_db.h"

namespace vantir {

inline bool Tagged(const FilterSession* session, WordId word, int32_t tag) {
    return HasTag(session, word, tag) == 1;
}

// A failed step reports its own start and nothing kept; the result is 0.
inline int32_t NoMatch(int32_t start, StepResult* result) {
    result->next = start;
    result->kept = 0;
    return 0;
}

inline int32_t Matched(int32_t next, int32_t kept, StepResult* result) {
    result->next = next;
    result->kept = kept;
    return 1;
}

}  // namespace vantir

#endif  // VANTIR_ADDRESS_STEP_RESULT_H
