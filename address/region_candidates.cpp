// Widening of an address that starts with an upper region directly followed by
// a trigger: the lower names paired with that region which may precede the trigger.
#include "address/region_completion.h"
#include "address/tag_codes.h"
#include "address/word_pairs.h"
#include "textutil/byte_order.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

// The word of the upper region, as the lexicon spells it.
struct UpperWordText {
    const char16_t* units;  // read with LoadUnitAt: the lexicon may sit at any address
    int32_t length;
};

// True unless the name certainly does not look up to the upper word: a lookup
// finds only words of the text's length that equal it exactly or up to ASCII
// case. Skipping the lookup for the other names changes no result and saves a
// lexicon search per region pair.
bool MayNameUpperWord(const FilterSession* session, uint32_t pair, const UpperWordText& word) {
    const unsigned char* name = RegionNameStart(session->addressView, RegionSide::kUpper, pair);
    for (int32_t i = 0; i < word.length; ++i) {
        const char16_t unit = LoadUnitAt(name, i);
        if (unit == 0 || ToUpperAscii(unit) != ToUpperAscii(LoadUnitAt(word.units, i))) {
            return false;
        }
    }
    return LoadUnitAt(name, word.length) == 0;
}

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
    UpperWordText word;
    word.units = Lexicon_GetWord(lexicon, upper, &word.length);
    // A word without text is what no name looks up to.
    if (word.units == nullptr || word.length <= 0) return 0;
    const uint32_t pairCount = session->addressView.regionPairCount;
    int32_t found = 0;
    // Table order; a pair listed twice yields its lower name twice.
    for (uint32_t pair = 0; pair < pairCount && found < capacity; ++pair) {
        if (!MayNameUpperWord(session, pair, word)) continue;
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
