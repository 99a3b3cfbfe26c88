// What the address layer works with: the database view, the lexicon and the
// model of one session, with the tag test and the pair tests built on them.
#ifndef VANTIR_ADDRESS_ADDRESS_CONTEXT_H
#define VANTIR_ADDRESS_ADDRESS_CONTEXT_H

#include <cstdint>

#include "address/address_db.h"
#include "address/tag_codes.h"
#include "bigram/scorers.h"
#include "vantir/bigram.h"
#include "vantir/lexicon.h"

namespace vantir {

struct RegionIndex;

// A pair test of the grammar or of region completion that failed, in the order
// the tests ran. Only tools that explain a decision ask for them.
struct PairRefusal {
    WordId first;
    WordId second;
    int32_t score;  // what the model gave the pair (strict mode: unlisted pairs fail)
};

struct PairTrace {
    // The failed tests of one reading of a hypothesis: a start position tests
    // at most a few pairs, and few hypotheses have more than a handful of heads.
    static constexpr int32_t kCapacity = 64;
    PairRefusal refusals[kCapacity];
    int32_t count;  // refusals seen; the first kCapacity are kept
};

// Borrowed views; the caller keeps all three alive. The grammar and the
// candidate listing test pairs in strict mode, in one of two ways:
// - sharedStrictScorer null (the design's way): they switch the model to
//   strict mode, score through its slot and leave it in back-off mode, so the
//   model is written and must not be used by another thread meanwhile;
// - sharedStrictScorer set (VANTIR_OPTION_SHARED_MODEL): it is the scorer that
//   the switch would install, called directly; the model is only read.
// Both give the same scores. The filter leaves `trace` null; a tool that
// explains the analysis points it at a trace to learn which pair tests failed.
// `regionIndex`, when set, must be current for this lexicon and model
// (RegionIndexIsCurrent); completion and the candidate listing then visit only
// the pairs that match instead of scanning the table, with the same results.
struct AddressContext {
    const AddressDbView* db;
    const Lexicon* lexicon;
    BigramModel* model;
    PairScoreFn sharedStrictScorer = nullptr;
    PairTrace* trace = nullptr;
    const RegionIndex* regionIndex = nullptr;
};

inline bool Tagged(const AddressContext& context, WordId word, int32_t tag) {
    return HasTag(*context.db, word, tag) == 1;
}

// Brackets one strict-mode step; both do nothing on a shared model.
inline void BeginStrictScoring(const AddressContext& context) {
    if (context.sharedStrictScorer == nullptr) BigramModel_SetStrictMode(context.model);
}
inline void EndStrictScoring(const AddressContext& context) {
    if (context.sharedStrictScorer == nullptr) BigramModel_SetBackoffMode(context.model);
}

inline int32_t ScorePair(const AddressContext& context, WordId first, WordId second) {
    return context.sharedStrictScorer != nullptr
               ? context.sharedStrictScorer(context.model, first, second)
               : BigramModel_PairScore(context.model, first, second);
}

inline void NoteRefusal(PairTrace* trace, WordId first, WordId second, int32_t score) {
    if (trace->count < PairTrace::kCapacity) trace->refusals[trace->count] = {first, second, score};
    ++trace->count;
}

// The pair (first, second): first immediately followed by second. A failure
// is noted when the context carries a trace (never in the filter, where the
// test costs nothing more).
inline bool PairPasses(const AddressContext& context, WordId first, WordId second) {
    const int32_t score = ScorePair(context, first, second);
    if (score >= kLowestPassingScore) return true;
    if (context.trace != nullptr) NoteRefusal(context.trace, first, second, score);
    return false;
}

// The stricter test: a score of exactly kLowestPassingScore fails it.
inline bool PairBeatsLowest(const AddressContext& context, WordId first, WordId second) {
    const int32_t score = ScorePair(context, first, second);
    if (score > kLowestPassingScore) return true;
    if (context.trace != nullptr) NoteRefusal(context.trace, first, second, score);
    return false;
}

}  // namespace vantir

#endif  // VANTIR_ADDRESS_ADDRESS_CONTEXT_H
