// The address grammar: where a well-formed address starts in a hypothesis, its
// head of region words, and the numbered segments of its body.
#ifndef VANTIR_ADDRESS_ADDRESS_GRAMMAR_H
#define VANTIR_ADDRESS_ADDRESS_GRAMMAR_H

#include <cstdint>

#include "address/address_context.h"

namespace vantir {

// What a matching step reports. A step that fails reports its own start as
// `next` and 0 kept words.
struct StepResult {
    int32_t next;  // input position after the last word consumed
    int32_t kept;  // words written from the step's output position on
};

// Runs `analyse` (returning a kept count) with strict scoring, where every pair
// the model does not list fails its test: by default the model is switched to
// strict mode and left in back-off mode; a shared model is not touched (see
// AddressContext). The analyses score pairs only inside this bracket.
template <typename Analysis>
int32_t WithStrictScoring(const AddressContext& context, Analysis analyse) {
    BeginStrictScoring(context);
    const int32_t kept = analyse();
    EndStrictScoring(context);
    return kept;
}

// True when a last kept word ends the address before any body: it has tag 5,
// 7, 8, 33 or 32.
bool EndsAddress(const AddressContext& context, WordId word);

// Writes the first word of words[0..count-1] with tag 0 to output[0] and
// returns 1; 0 when there is none.
int32_t FindFallbackWord(const AddressContext& context, const WordId* words, int32_t count,
                         WordId* output);

// A failed step reports its own start and nothing kept; the result is 0.
inline int32_t NoMatch(int32_t start, StepResult* result) {
    result->next = start;
    result->kept = 0;
    return 0;
}

inline int32_t Matched(int32_t next, int32_t kept, StepResult* result) {
    result->next = next;
    result->kept = kept;
    return 1;
}

// Runs the grammar over `count` words followed by -1 and writes the kept
// address to output[0..]; returns how many words were kept (at most count + 1).
// The output needs room for count + 10 words. The model is put in strict mode
// for the analysis and is left in back-off mode on every path.
int32_t AnalyseAddress(const AddressContext& context, const WordId* words, int32_t count,
                       WordId* output);

// The steps below write their words at output[outPos..] and return 1 on a
// match, 0 otherwise. They never compare a position with the word count: the
// -1 that ends the input has no tag and stops them.
int32_t MatchAddressStart(const AddressContext& context, const WordId* words, int32_t start,
                          WordId* output, StepResult* result);
int32_t MatchHead(const AddressContext& context, const WordId* words, int32_t start, WordId* output,
                  StepResult* result);
int32_t ParseAddressBody(const AddressContext& context, const WordId* words, int32_t start,
                         WordId* output, int32_t outPos, StepResult* result);
int32_t MatchPrefixes(const AddressContext& context, const WordId* words, int32_t start,
                      WordId* output, int32_t outPos, StepResult* result);
int32_t MatchFirstSegment(const AddressContext& context, const WordId* words, int32_t start,
                          WordId* output, int32_t outPos, StepResult* result);
int32_t MatchSecondSegment(const AddressContext& context, const WordId* words, int32_t start,
                           WordId* output, int32_t outPos, StepResult* result);
int32_t MatchThirdSegment(const AddressContext& context, const WordId* words, int32_t start,
                          WordId* output, int32_t outPos, StepResult* result);
int32_t MatchThirdSegmentLead(const AddressContext& context, const WordId* words, int32_t start,
                              WordId* output, int32_t outPos, StepResult* result);

// Prefixes, then a word with `tag` at output[outPos..]. After prefixes the word
// must pass its pair with the last prefix word, unless `pairWaived(prefixes, k)`
// says the k kept prefix words excuse it.
template <typename PairWaiver>
int32_t MatchPrefixedWordUnless(const AddressContext& context, const WordId* words, int32_t start,
                                WordId* output, int32_t outPos, int32_t tag, PairWaiver pairWaived,
                                StepResult* result) {
    StepResult prefixes;
    MatchPrefixes(context, words, start, output, outPos, &prefixes);
    const int32_t at = prefixes.next;
    const int32_t k = prefixes.kept;
    if (!Tagged(context, words[at], tag)) return NoMatch(start, result);
    output[outPos + k] = words[at];
    if (k > 0 && !PairPasses(context, output[outPos + k - 1], words[at]) &&
        !pairWaived(static_cast<const WordId*>(output + outPos), k)) {
        return NoMatch(start, result);
    }
    return Matched(at + 1, k + 1, result);
}

}  // namespace vantir

#endif  // VANTIR_ADDRESS_ADDRESS_GRAMMAR_H
