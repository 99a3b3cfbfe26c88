// The body of an address: up to three numbered segments in fixed order, each a
// key word after optional prefix words, with a few pair tests inside segments.
#include "address/address_grammar.h"
#include "address/step_result.h"
#include "address/tag_codes.h"
#include "address/word_pairs.h"
#include "filter/address_db.h"

namespace vantir {

namespace {

// Prefixes, then a word with `keyTag`; or else the word at `start` alone when
// it has `bareTag` (and, when `bareModel` is given, follows the last word kept
// before the segment with a passing pair).
int32_t MatchKeyedSegment(const FilterSession* session, const BigramModel* bareModel,
                          const WordId* words, int32_t start, WordId* output, int32_t outPos,
                          int32_t keyTag, int32_t bareTag, StepResult* result) {
    StepResult prefixes;
    MatchPrefixes(session, words, start, output, outPos, &prefixes);
    const int32_t at = prefixes.next;
    if (Tagged(session, words[at], keyTag)) {
        output[outPos + prefixes.kept] = words[at];
        return Matched(at + 1, prefixes.kept + 1, result);
    }
    // outPos >= 1 here: a body always follows at least one head word.
    if (Tagged(session, words[start], bareTag) &&
        (bareModel == nullptr || PairPasses(bareModel, output[outPos - 1], words[start]))) {
        output[outPos] = words[start];
        return Matched(start + 1, 1, result);
    }
    return NoMatch(start, result);
}

// Prefixes, then a word with `tag` that, after a prefix, must pass its pair
// with the last prefix word.
int32_t MatchPrefixedWord(const FilterSession* session, const BigramModel* model,
                          const WordId* words, int32_t start, WordId* output, int32_t outPos,
                          int32_t tag, StepResult* result) {
    StepResult prefixes;
    MatchPrefixes(session, words, start, output, outPos, &prefixes);
    const int32_t at = prefixes.next;
    const int32_t k = prefixes.kept;
    if (!Tagged(session, words[at], tag)) return NoMatch(start, result);
    output[outPos + k] = words[at];
    if (k > 0 && !PairPasses(model, output[outPos + k - 1], words[at])) {
        return NoMatch(start, result);
    }
    return Matched(at + 1, k + 1, result);
}

}  // namespace

int32_t ParseAddressBody(const FilterSession* session, const BigramModel* model,
                         const WordId* words, int32_t start, WordId* output, int32_t outPos,
                         StepResult* result) {
    // A segment that does not match reports its own start, so the next
    // segment is tried on the same word.
    StepResult first;
    StepResult second;
    StepResult third;
    MatchFirstSegment(session, model, words, start, output, outPos, &first);
    MatchSecondSegment(session, words, first.next, output, outPos + first.kept, &second);
    MatchThirdSegment(session, model, words, second.next, output, outPos + first.kept + second.kept,
                      &third);
    result->next = third.next;
    result->kept = first.kept + second.kept + third.kept;
    return 1;
}

int32_t MatchPrefixes(const FilterSession* session, const WordId* words, int32_t start,
                      WordId* output, int32_t outPos, StepResult* result) {
    int32_t at = start;
    int32_t k = 0;
    if (Tagged(session, words[at], kTagFirstPrefix)) output[outPos + k++] = words[at++];
    if (Tagged(session, words[at], kTagSecondPrefix)) output[outPos + k++] = words[at++];
    return Matched(at, k, result);
}

int32_t MatchFirstSegment(const FilterSession* session, const BigramModel* model,
                          const WordId* words, int32_t start, WordId* output, int32_t outPos,
                          StepResult* result) {
    return MatchKeyedSegment(session, model, words, start, output, outPos, kTagFirstKey,
                             kTagBareFirstKey, result);
}

int32_t MatchSecondSegment(const FilterSession* session, const WordId* words, int32_t start,
                           WordId* output, int32_t outPos, StepResult* result) {
    return MatchKeyedSegment(session, nullptr, words, start, output, outPos, kTagSecondKey,
                             kTagBareSecondKey, result);
}

int32_t MatchThirdSegmentLead(const FilterSession* session, const BigramModel* model,
                              const WordId* words, int32_t start, WordId* output, int32_t outPos,
                              StepResult* result) {
    return MatchPrefixedWord(session, model, words, start, output, outPos, kTagThirdLead, result);
}

int32_t MatchThirdSegment(const FilterSession* session, const BigramModel* model,
                          const WordId* words, int32_t start, WordId* output, int32_t outPos,
                          StepResult* result) {
    StepResult lead;
    MatchThirdSegmentLead(session, model, words, start, output, outPos, &lead);
    StepResult key;
    // A key that fails drops the lead with it.
    if (MatchPrefixedWord(session, model, words, lead.next, output, outPos + lead.kept,
                          kTagThirdKey, &key) != 1) {
        return NoMatch(start, result);
    }
    return Matched(key.next, lead.kept + key.kept, result);
}

}  // namespace vantir
