// What the address layer works with: the database view, the lexicon and the
// model of one session, with the tag test and the pair tests built on them.
#ifndef VANTIR_ADDRESS_ADDRESS_CONTEXT_H
#define VANTIR_ADDRESS_ADDRESS_CONTEXT_H

#include <cstdint>

#include "address/address_db.h"
#include "address/tag_codes.h"
#include "vantir/bigram.h"
#include "vantir/lexicon.h"

namespace vantir {

// Borrowed views; the caller keeps all three alive. The model is not const:
// the grammar and the candidate listing switch its scoring mode and leave it
// in back-off mode.
struct AddressContext {
    const AddressDbView* db;
    const Lexicon* lexicon;
    BigramModel* model;
};

inline bool Tagged(const AddressContext& context, WordId word, int32_t tag) {
    return HasTag(*context.db, word, tag) == 1;
}

// The pair (first, second): first immediately followed by second.
inline bool PairPasses(const BigramModel* model, WordId first, WordId second) {
    return BigramModel_PairScore(model, first, second) >= kLowestPassingScore;
}

// The stricter test: a score of exactly kLowestPassingScore fails it.
inline bool PairBeatsLowest(const BigramModel* model, WordId first, WordId second) {
    return BigramModel_PairScore(model, first, second) > kLowestPassingScore;
}

// N, the number of word ids from 0 that the model has rows for; its scorers
// take -1 .. N - 1 and nothing else. A model without a blob covers none.
inline int64_t ModelWordLimit(const BigramModel* model) {
    return int64_t{BigramModel_GetStaticCount(model)} + BigramModel_GetAddedCapacity(model);
}

inline bool IsModelWord(int64_t limit, WordId word) {
    return word >= -1 && word < limit;
}

}  // namespace vantir

#endif  // VANTIR_ADDRESS_ADDRESS_CONTEXT_H
