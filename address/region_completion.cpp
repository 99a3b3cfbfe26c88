// Repair of a head followed by a trigger: a middle word whose pairs fail is
// dropped, the trigger may be dropped, and a lone lower region gets its upper one.
#include "address/region_completion.h"

#include "address/tag_codes.h"
#include "address/word_pairs.h"

namespace vantir {

namespace {

bool Tagged(const FilterSession* session, WordId word, int32_t tag) {
    return HasTag(session, word, tag) == 1;
}

// Three-word rules on [a, b, t]. Returns the new count (2 when b is dropped,
// 3 otherwise), or sets *decided to the final result when the trigger goes.
int32_t ApplyThreeWordRules(const FilterSession* session, const BigramModel* model, WordId* words,
                            int32_t* decided) {
    const WordId a = words[0];
    const WordId b = words[1];
    const WordId t = words[2];
    // (a, b) is scored first; (b, t) only when (a, b) did not decide the rule.
    const bool dropFollower = (Tagged(session, b, kTagOpenerFollower) &&
                               (!PairPasses(model, a, b) || !PairPasses(model, b, t))) ||
                              (Tagged(session, b, kTagUpperFollower) &&
                               (!PairPasses(model, a, b) || !PairPasses(model, b, t)));
    if (dropFollower) {
        words[1] = t;
        return 2;
    }
    if (Tagged(session, b, kTagLowerHead) && PairBeatsLowest(model, a, b) &&
        !PairPasses(model, b, t)) {
        *decided = 2;  // [a, b] stay; the trigger is dropped without further test
    }
    return 3;
}

// Two-word rule on [a, t]: a lower region whose text is a lower name of the
// table gets the upper name of the first such pair in front of it.
int32_t ApplyTwoWordRule(const FilterSession* session, const Lexicon* lexicon,
                         const BigramModel* model, WordId* words) {
    const WordId a = words[0];
    if (!Tagged(session, a, kTagLowerHead)) return 2;
    const int64_t pair = FindLowerNameOfWord(session, lexicon, a);
    if (pair < 0) return 2;
    words[2] = words[1];
    words[1] = a;
    words[0] =
        RegionNameWordId(session, lexicon, model, RegionSide::kUpper, static_cast<uint32_t>(pair));
    return 3;
}

}  // namespace

int32_t CompleteRegion(const FilterSession* session, const Lexicon* lexicon,
                       const BigramModel* model, WordId* words, int32_t n) {
    if (n == 3) {
        int32_t decided = 0;
        n = ApplyThreeWordRules(session, model, words, &decided);
        if (decided != 0) return decided;
    }
    // Only an array that arrived with two words, or lost its middle word, may
    // get a word inserted.
    if (n == 2) n = ApplyTwoWordRule(session, lexicon, model, words);
    for (int32_t i = 1; i < n; ++i) {
        if (!PairPasses(model, words[i - 1], words[i])) return 0;
    }
    return n;
}

}  // namespace vantir
