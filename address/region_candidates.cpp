// Widening of an address that starts with an upper region directly followed by
// a trigger: the lower names paired with that region which may precede the trigger.
#include "address/region_completion.h"
#include "address/tag_codes.h"
#include "address/word_pairs.h"

namespace vantir {

namespace {

int32_t CollectCandidates(const FilterSession* session, const WordId* kept, WordId* candidates,
                          int32_t capacity) {
    const WordId upper = kept[0];
    const WordId trigger = kept[1];
    if (HasTag(session, upper, kTagUpperHead) != 1 ||
        HasTag(session, trigger, kTagCompletionTrigger) != 1) {
        return 0;
    }
    const Lexicon* lexicon = session->lexicon;
    const BigramModel* model = session->model;
    const uint32_t pairCount = session->addressView.regionPairCount;
    int32_t found = 0;
    // Table order; a pair listed twice yields its lower name twice.
    for (uint32_t pair = 0; pair < pairCount && found < capacity; ++pair) {
        if (RegionNameWordId(session, lexicon, model, RegionSide::kUpper, pair) != upper) {
            continue;
        }
        const WordId lower = RegionNameWordId(session, lexicon, model, RegionSide::kLower, pair);
        if (PairBeatsLowest(model, lower, trigger)) candidates[found++] = lower;
    }
    return found;
}

}  // namespace

int32_t ListRegionCandidates(const FilterSession* session, const WordId* kept, WordId* candidates,
                             int32_t capacity) {
    BigramModel_SetStrictMode(session->model);
    const int32_t found = CollectCandidates(session, kept, candidates, capacity);
    BigramModel_SetBackoffMode(session->model);
    return found;
}

}  // namespace vantir
