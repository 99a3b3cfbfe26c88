// The address grammar: the first start whose head (and trigger) matches wins, else
// the first fallback word; up to three numbered segments in fixed order follow.
#include "address/address_grammar.h"

#include "address/region_completion.h"

namespace vantir {

namespace {

int32_t AnalyseStarts(const AddressContext& context, const WordId* words, int32_t count,
                      WordId* output) {
    for (int32_t start = 0; start < count; ++start) {
        StepResult head;
        if (MatchAddressStart(context, words, start, output, &head) != 1) {
            continue;
        }
        if (EndsAddress(context, output[head.kept - 1])) return head.kept;
        // Words after the body are dropped, so its next position is not used.
        StepResult body;
        ParseAddressBody(context, words, head.next, output, head.kept, &body);
        return head.kept + body.kept;
    }
    return FindFallbackWord(context, words, count, output);
}

}  // namespace

bool EndsAddress(const AddressContext& context, WordId word) {
    return Tagged(context, word, kTagHeadOpener) || Tagged(context, word, kTagOpenerFollower) ||
           Tagged(context, word, kTagLowerHead) || Tagged(context, word, kTagUpperHead) ||
           Tagged(context, word, kTagClosing);
}

int32_t FindFallbackWord(const AddressContext& context, const WordId* words, int32_t count,
                         WordId* output) {
    for (int32_t i = 0; i < count; ++i) {
        if (Tagged(context, words[i], kTagFallbackWord)) {
            output[0] = words[i];
            return 1;
        }
    }
    return 0;
}

int32_t AnalyseAddress(const AddressContext& context, const WordId* words, int32_t count,
                       WordId* output) {
    return WithStrictScoring(
        context, [&] { return count > 0 ? AnalyseStarts(context, words, count, output) : 0; });
}

int32_t MatchAddressStart(const AddressContext& context, const WordId* words, int32_t start,
                          WordId* output, StepResult* result) {
    StepResult head;
    if (MatchHead(context, words, start, output, &head) != 1) return NoMatch(start, result);
    const int32_t n = head.kept;
    const int32_t after = head.next;
    if (Tagged(context, words[after], kTagCompletionTrigger)) {
        // Completion tests every pair it keeps; the trigger counts as consumed
        // even when completion drops it.
        output[n] = words[after];
        const int32_t kept = CompleteRegion(context, output, n + 1);
        if (kept == 0) return NoMatch(start, result);
        return Matched(after + 1, kept, result);
    }
    if (n == 2 && !PairPasses(context, output[0], output[1])) return NoMatch(start, result);
    return Matched(after, n, result);
}

int32_t MatchHead(const AddressContext& context, const WordId* words, int32_t start, WordId* output,
                  StepResult* result) {
    const WordId w = words[start];
    const WordId v = words[start + 1];  // may be the -1 that ends the input
    int32_t n = 0;
    if (Tagged(context, w, kTagHeadOpener)) {
        output[n++] = w;
        if (Tagged(context, v, kTagOpenerFollower)) output[n++] = v;
    } else if (Tagged(context, w, kTagBoundHeadOpener) && Tagged(context, v, kTagLowerHead)) {
        output[n++] = w;
        output[n++] = v;
    } else if (Tagged(context, w, kTagUpperHead)) {
        output[n++] = w;
        if (Tagged(context, v, kTagUpperFollower)) output[n++] = v;
    } else if (Tagged(context, w, kTagLowerHead)) {
        output[n++] = w;
    } else {
        return NoMatch(start, result);
    }
    return Matched(start + n, n, result);
}

// The body: numbered segments, each a key word after optional prefix words.
namespace {

// Prefixes, then a word with `keyTag`; or else the word at `start` alone when
// it has `bareTag` (and, when `barePairTest` is set, follows the last word kept
// before the segment with a passing pair).
int32_t MatchKeyedSegment(const AddressContext& context, bool barePairTest, const WordId* words,
                          int32_t start, WordId* output, int32_t outPos, int32_t keyTag,
                          int32_t bareTag, StepResult* result) {
    StepResult prefixes;
    MatchPrefixes(context, words, start, output, outPos, &prefixes);
    const int32_t at = prefixes.next;
    if (Tagged(context, words[at], keyTag)) {
        output[outPos + prefixes.kept] = words[at];
        return Matched(at + 1, prefixes.kept + 1, result);
    }
    // outPos >= 1 here: a body always follows at least one head word.
    if (Tagged(context, words[start], bareTag) &&
        (!barePairTest || PairPasses(context, output[outPos - 1], words[start]))) {
        output[outPos] = words[start];
        return Matched(start + 1, 1, result);
    }
    return NoMatch(start, result);
}

// Prefixes, then a word with `tag` that, after a prefix, must pass its pair
// with the last prefix word.
int32_t MatchPrefixedWord(const AddressContext& context, const WordId* words, int32_t start,
                          WordId* output, int32_t outPos, int32_t tag, StepResult* result) {
    return MatchPrefixedWordUnless(
        context, words, start, output, outPos, tag,
        [](const WordId* /*prefixes*/, int32_t /*count*/) { return false; }, result);
}

}  // namespace

int32_t ParseAddressBody(const AddressContext& context, const WordId* words, int32_t start,
                         WordId* output, int32_t outPos, StepResult* result) {
    // A segment that does not match reports its own start, so the next
    // segment is tried on the same word.
    StepResult first;
    StepResult second;
    StepResult third;
    MatchFirstSegment(context, words, start, output, outPos, &first);
    MatchSecondSegment(context, words, first.next, output, outPos + first.kept, &second);
    MatchThirdSegment(context, words, second.next, output, outPos + first.kept + second.kept,
                      &third);
    result->next = third.next;
    result->kept = first.kept + second.kept + third.kept;
    return 1;
}

int32_t MatchPrefixes(const AddressContext& context, const WordId* words, int32_t start,
                      WordId* output, int32_t outPos, StepResult* result) {
    int32_t at = start;
    int32_t k = 0;
    if (Tagged(context, words[at], kTagFirstPrefix)) output[outPos + k++] = words[at++];
    if (Tagged(context, words[at], kTagSecondPrefix)) output[outPos + k++] = words[at++];
    return Matched(at, k, result);
}

int32_t MatchFirstSegment(const AddressContext& context, const WordId* words, int32_t start,
                          WordId* output, int32_t outPos, StepResult* result) {
    return MatchKeyedSegment(context, true, words, start, output, outPos, kTagFirstKey,
                             kTagBareFirstKey, result);
}

int32_t MatchSecondSegment(const AddressContext& context, const WordId* words, int32_t start,
                           WordId* output, int32_t outPos, StepResult* result) {
    return MatchKeyedSegment(context, false, words, start, output, outPos, kTagSecondKey,
                             kTagBareSecondKey, result);
}

int32_t MatchThirdSegmentLead(const AddressContext& context, const WordId* words, int32_t start,
                              WordId* output, int32_t outPos, StepResult* result) {
    return MatchPrefixedWord(context, words, start, output, outPos, kTagThirdLead, result);
}

int32_t MatchThirdSegment(const AddressContext& context, const WordId* words, int32_t start,
                          WordId* output, int32_t outPos, StepResult* result) {
    StepResult lead;
    MatchThirdSegmentLead(context, words, start, output, outPos, &lead);
    StepResult key;
    // A key that fails drops the lead with it.
    if (MatchPrefixedWord(context, words, lead.next, output, outPos + lead.kept, kTagThirdKey,
                          &key) != 1) {
        return NoMatch(start, result);
    }
    return Matched(key.next, lead.kept + key.kept, result);
}

}  // namespace vantir
