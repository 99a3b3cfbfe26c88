// The filter session record: borrowed model, lexicon and address database, the
// parsed view of the database, and the fixed result table of one utterance.
#ifndef VANTIR_FILTER_SESSION_H
#define VANTIR_FILTER_SESSION_H

#include <cstdint>

#include "address/address_context.h"
#include "vantir/types.h"
#include "vantir/vantir.h"

namespace vantir {

constexpr int32_t kMaxResults = 128;            // entries of the result table
constexpr int32_t kResultTextCapacity = 129;    // units of room in one entry's text
constexpr int32_t kMaxResultTextLength = 127;   // units kept of a composed text
constexpr int32_t kScratchTextCapacity = 2048;  // units of the composition buffer
// Every option bit this build knows; Vantir_SetOptions refuses the others.
constexpr uint32_t kKnownOptions = VANTIR_OPTION_ACCURATE | VANTIR_OPTION_SHARED_MODEL;

struct ResultEntry {
    int32_t arrivalOrder;  // result count when the entry was made; never changes
    uint8_t resultClass;   // 0..3, smaller listed first; may only decrease
    char16_t text[kResultTextCapacity];
};

}  // namespace vantir

// The exported handle type is a plain struct in the global namespace.
struct FilterSession {
    Lexicon* lexicon;
    BigramModel* model;
    const void* addressDb;
    vantir::AddressDbView addressView;
    int32_t resultCount;
    uint32_t options;  // VANTIR_OPTION_* bits; 0 is the design's behaviour
    char16_t scratchText[vantir::kScratchTextCapacity];
    vantir::ResultEntry results[vantir::kMaxResults];
};

namespace vantir {

// The address layer's view of a session: its database, lexicon and model.
inline AddressContext AddressContextOf(const FilterSession* session) {
    return AddressContext{&session->addressView, session->lexicon, session->model};
}

}  // namespace vantir

#endif  // VANTIR_FILTER_SESSION_H
