// The search for the start of an address and its head: the first start position
// whose head (and trigger) matches wins, else the first fallback word.
#include "address/address_grammar.h"

#include "address/region_completion.h"
#include "address/step_result.h"
#include "address/tag_codes.h"
#include "address/word_pairs.h"
#include "filter/address_db.h"

namespace vantir {

namespace {

// A last kept word with one of these tags completes the address without a body.
bool EndsAddress(const FilterSession* session, WordId word) {
    return Tagged(session, word, kTagHeadOpener) || Tagged(session, word, kTagOpenerFollower) ||
           Tagged(session, word, kTagLowerHead) || Tagged(session, word, kTagUpperHead) ||
           Tagged(session, word, kTagClosing);
}

int32_t FindFallbackWord(const FilterSession* session, const WordId* words, int32_t count,
                         WordId* output) {
    for (int32_t i = 0; i < count; ++i) {
        if (Tagged(session, words[i], kTagFallbackWord)) {
            output[0] = words[i];
            return 1;
        }
    }
    return 0;
}

int32_t AnalyseStarts(const FilterSession* session, const Lexicon* lexicon,
                      const BigramModel* model, const WordId* words, int32_t count,
                      WordId* output) {
    for (int32_t start = 0; start < count; ++start) {
        StepResult head;
        if (MatchAddressStart(session, lexicon, model, words, start, output, &head) != 1) {
            continue;
        }
        if (EndsAddress(session, output[head.kept - 1])) return head.kept;
        // Words after the body are dropped, so its next position is not used.
        StepResult body;
        ParseAddressBody(session, model, words, head.next, output, head.kept, &body);
        return head.kept + body.kept;
    }
    return FindFallbackWord(session, words, count, output);
}

}  // namespace

int32_t AnalyseAddress(const FilterSession* session, const Lexicon* lexicon, BigramModel* model,
                       const WordId* words, int32_t count, WordId* output) {
    // Strict mode makes every pair the model does not list fail its test.
    BigramModel_SetStrictMode(model);
    const int32_t kept =
        count > 0 ? AnalyseStarts(session, lexicon, model, words, count, output) : 0;
    BigramModel_SetBackoffMode(model);
    return kept;
}

int32_t MatchAddressStart(const FilterSession* session, const Lexicon* lexicon,
                          const BigramModel* model, const WordId* words, int32_t start,
                          WordId* output, StepResult* result) {
    StepResult head;
    if (MatchHead(session, words, start, output, &head) != 1) return NoMatch(start, result);
    const int32_t n = head.kept;
    const int32_t after = head.next;
    if (Tagged(session, words[after], kTagCompletionTrigger)) {
        // Completion tests every pair it keeps; the trigger counts as consumed
        // even when completion drops it.
        output[n] = words[after];
        const int32_t kept = CompleteRegion(session, lexicon, model, output, n + 1);
        if (kept == 0) return NoMatch(start, result);
        return Matched(after + 1, kept, result);
    }
    if (n == 2 && !PairPasses(model, output[0], output[1])) return NoMatch(start, result);
    return Matched(after, n, result);
}

int32_t MatchHead(const FilterSession* session, const WordId* words, int32_t start, WordId* output,
                  StepResult* result) {
    const WordId w = words[start];
    const WordId v = words[start + 1];  // may be the -1 that ends the input
    int32_t n = 0;
    if (Tagged(session, w, kTagHeadOpener)) {
        output[n++] = w;
        if (Tagged(session, v, kTagOpenerFollower)) output[n++] = v;
    } else if (Tagged(session, w, kTagBoundHeadOpener) && Tagged(session, v, kTagLowerHead)) {
        output[n++] = w;
        output[n++] = v;
    } else if (Tagged(session, w, kTagUpperHead)) {
        output[n++] = w;
        if (Tagged(session, v, kTagUpperFollower)) output[n++] = v;
    } else if (Tagged(session, w, kTagLowerHead)) {
        output[n++] = w;
    } else {
        return NoMatch(start, result);
    }
    return Matched(start + n, n, result);
}

}  // namespace vantir
