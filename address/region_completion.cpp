// Region completion: repair of a head that a trigger follows, the lower names that
// may widen an upper region, and region names of the database as lexicon words.
#include "address/region_completion.h"

#include "textutil/byte_order.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

// Three-word rules on [a, b, t]. Returns the new count (2 when b is dropped,
// 3 otherwise), or sets *decided to the final result when the trigger goes.
int32_t ApplyThreeWordRules(const AddressContext& context, WordId* words, int32_t* decided) {
    const WordId a = words[0];
    const WordId b = words[1];
    const WordId t = words[2];
    // (a, b) is scored first; (b, t) only when (a, b) did not decide the rule.
    const bool dropFollower = (Tagged(context, b, kTagOpenerFollower) &&
                               (!PairPasses(context, a, b) || !PairPasses(context, b, t))) ||
                              (Tagged(context, b, kTagUpperFollower) &&
                               (!PairPasses(context, a, b) || !PairPasses(context, b, t)));
    if (dropFollower) {
        words[1] = t;
        return 2;
    }
    if (Tagged(context, b, kTagLowerHead) && PairBeatsLowest(context, a, b) &&
        !PairPasses(context, b, t)) {
        *decided = 2;  // [a, b] stay; the trigger is dropped without further test
    }
    return 3;
}

// Two-word rule on [a, t]: a lower region whose text is a lower name of the
// table gets the upper name of the first such pair in front of it.
int32_t ApplyTwoWordRule(const AddressContext& context, WordId* words) {
    const WordId a = words[0];
    if (!Tagged(context, a, kTagLowerHead)) return 2;
    const int64_t pair = FindLowerNameOfWord(context, a);
    if (pair < 0) return 2;
    words[2] = words[1];
    words[1] = a;
    words[0] = RegionNameWordId(context, RegionSide::kUpper, static_cast<uint32_t>(pair));
    return 3;
}

}  // namespace

int32_t CompleteRegion(const AddressContext& context, WordId* words, int32_t n) {
    if (n == 3) {
        int32_t decided = 0;
        n = ApplyThreeWordRules(context, words, &decided);
        if (decided != 0) return decided;
    }
    // Only an array that arrived with two words, or lost its middle word, may
    // get a word inserted.
    if (n == 2) n = ApplyTwoWordRule(context, words);
    for (int32_t i = 1; i < n; ++i) {
        if (!PairPasses(context, words[i - 1], words[i])) return 0;
    }
    return n;
}

// Region candidates: lower names paired with an upper region that may precede a trigger.
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
bool MayNameUpperWord(const AddressContext& context, uint32_t pair, const UpperWordText& word) {
    const unsigned char* name = RegionNameStart(*context.db, RegionSide::kUpper, pair);
    for (int32_t i = 0; i < word.length; ++i) {
        const char16_t unit = LoadStoredUnitAt(name, i);
        if (unit == 0 || ToUpperAscii(unit) != ToUpperAscii(LoadUnitAt(word.units, i))) {
            return false;
        }
    }
    return LoadStoredUnitAt(name, word.length) == 0;
}

int32_t CollectCandidates(const AddressContext& context, const WordId* kept, WordId* candidates,
                          int32_t capacity) {
    const WordId upper = kept[0];
    const WordId trigger = kept[1];
    if (!Tagged(context, upper, kTagUpperHead) ||
        !Tagged(context, trigger, kTagCompletionTrigger)) {
        return 0;
    }
    UpperWordText word;
    word.units = Lexicon_GetWord(context.lexicon, upper, &word.length);
    // A word without text is what no name looks up to.
    if (word.units == nullptr || word.length <= 0) return 0;
    int32_t found = 0;
    if (context.regionIndex != nullptr) {
        // The pairs whose upper name resolves to the word, in table order.
        const RegionIndex& index = *context.regionIndex;
        for (int32_t pair = FirstPairOfUpperWord(index, upper); pair >= 0 && found < capacity;
             pair = index.upperWords.next[pair]) {
            const WordId lower = index.lowerWord[pair];
            if (PairBeatsLowest(context, lower, trigger)) candidates[found++] = lower;
        }
        return found;
    }
    const uint32_t pairCount = context.db->regionPairCount;
    // Table order; a pair listed twice yields its lower name twice.
    for (uint32_t pair = 0; pair < pairCount && found < capacity; ++pair) {
        if (!MayNameUpperWord(context, pair, word)) continue;
        if (RegionNameWordId(context, RegionSide::kUpper, pair) != upper) {
            continue;
        }
        const WordId lower = RegionNameWordId(context, RegionSide::kLower, pair);
        if (PairBeatsLowest(context, lower, trigger)) candidates[found++] = lower;
    }
    return found;
}

}  // namespace

int32_t ListRegionCandidates(const AddressContext& context, const WordId* kept, WordId* candidates,
                             int32_t capacity) {
    BeginStrictScoring(context);
    const int32_t found = CollectCandidates(context, kept, candidates, capacity);
    EndStrictScoring(context);
    return found;
}

// Region names of the database as lexicon words.
WordId RegionNameWordId(const AddressContext& context, RegionSide side, uint32_t pair) {
    if (context.regionIndex != nullptr) {
        const RegionIndex& index = *context.regionIndex;
        return side == RegionSide::kUpper ? index.upperWord[pair] : index.lowerWord[pair];
    }
    return LookUpRegionName(*context.db, side, pair, context.lexicon,
                            ModelWordLimit(context.model));
}

namespace {

// A word's text as a region name is compared with it.
struct NameText {
    const char16_t* units;  // read with LoadUnitAt
    int32_t length;
};

NameText WordNameText(const AddressContext& context, WordId word) {
    int32_t length = 0;
    const char16_t* text = Lexicon_GetWord(context.lexicon, word, &length);
    // The text ends at its first 0 unit, as a copied text would; a word that
    // is no word has the empty text. Its units are loaded byte-wise: a lexicon
    // blob attached at an odd address hands out unaligned words.
    int32_t units = 0;
    while (text != nullptr && units < length && LoadUnitAt(text, units) != 0)
        ++units;
    return NameText{text, units};
}

bool LowerNameIs(const AddressDbView& view, uint32_t pair, const NameText& text) {
    const unsigned char* name = RegionNameStart(view, RegionSide::kLower, pair);
    int32_t i = 0;
    while (i < text.length && LoadStoredUnitAt(name, i) == LoadUnitAt(text.units, i))
        ++i;
    return i == text.length && LoadStoredUnitAt(name, i) == 0;
}

// The first pair at or after `from` whose lower name is the text, or -1.
int64_t ScanLowerName(const AddressDbView& view, const NameText& text, uint32_t from) {
    for (uint32_t pair = from; pair < view.regionPairCount; ++pair) {
        if (LowerNameIs(view, pair, text)) return pair;
    }
    return -1;
}

}  // namespace

int64_t FindLowerNameOfWord(const AddressContext& context, WordId word) {
    const NameText text = WordNameText(context, word);
    if (context.regionIndex != nullptr) {
        return FirstPairOfLowerText(*context.regionIndex, *context.db, text.units, text.length);
    }
    return ScanLowerName(*context.db, text, 0);
}

int32_t CountPairsOfLowerWord(const AddressContext& context, WordId word, int32_t most) {
    const NameText text = WordNameText(context, word);
    int32_t count = 0;
    if (context.regionIndex != nullptr) {
        const RegionIndex& index = *context.regionIndex;
        for (int32_t pair = FirstPairOfLowerText(index, *context.db, text.units, text.length);
             pair >= 0 && count < most; pair = index.lowerNames.next[pair]) {
            ++count;
        }
        return count;
    }
    for (int64_t pair = ScanLowerName(*context.db, text, 0); pair >= 0 && count < most;
         pair = ScanLowerName(*context.db, text, static_cast<uint32_t>(pair) + 1)) {
        ++count;
    }
    return count;
}

}  // namespace vantir
