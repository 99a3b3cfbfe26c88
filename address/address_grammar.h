// The address grammar: where a well-formed address starts in a hypothesis, its
// head of region words, and the numbered segments of its body, read by one engine.
#ifndef VANTIR_ADDRESS_ADDRESS_GRAMMAR_H
#define VANTIR_ADDRESS_ADDRESS_GRAMMAR_H

#include <cstdint>

#include "address/address_context.h"

namespace vantir {

struct AddressReading;

// How the engine reads a hypothesis. The default policy is the designed
// grammar, which the default mode uses; accurate mode turns on its readings.
struct GrammarPolicy {
    // Numbers said in more words than the two prefixes (一 零五 號), prefixes that
    // spell a whole number excusing the pair after them, a section said in two
    // words facing the road's test of its one-word spelling, and an alley followed
    // by a 之 number (19弄569之7號).
    bool wholeNumbers = false;
    // When set, a lone district lists the counties that may hold it, weighted by
    // evidence, into this reading instead of being completed from the pairs alone.
    AddressReading* regionChoices = nullptr;
};

// What a matching step reports. A step that fails reports its own start as
// `next` and 0 kept words.
struct StepResult {
    int32_t next;  // input position after the last word consumed
    int32_t kept;  // words written from the step's output position on
};

// The steps one reading took, for the tools that explain a decision; the
// filter never asks for them.
enum class GrammarStepKind : uint8_t {
    kStartRefused,  // a head was found but its pair test or completion refused it
    kStartKept,     // the head (and completion) the address starts with
    kSegment,       // one of the body's three segments, matched or not
};

struct GrammarStep {
    GrammarStepKind kind;
    int32_t segment;  // kSegment: 0, 1 or 2
    int32_t start;    // input position the step began at
    int32_t headEnd;  // start steps: input position after the head words
    int32_t next;     // input position after the step (its start when it failed)
    int32_t outFrom;  // the words it kept: output[outFrom .. outFrom + kept)
    int32_t kept;
    // Its failed pair tests: the trace's refusals numbered [refusalsFrom, refusalsTo).
    int32_t refusalsFrom;
    int32_t refusalsTo;
};

struct GrammarTrace {
    // A start position per input word at most, then three segments.
    static constexpr int32_t kCapacity = 64;
    GrammarStep steps[kCapacity];
    int32_t count;  // steps taken; the first kCapacity are kept
    PairTrace pairs;
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

// Reads `count` words followed by -1 with `policy` and writes the kept address
// to output[0..]; returns how many words were kept (at most count + 1). The
// output needs room for count + 10 words. Pairs are tested in strict mode; the
// caller brackets the call with WithStrictScoring. With `trace`, the steps and
// their failed pair tests are noted there (the context's own trace is ignored).
int32_t ReadAddress(const AddressContext& context, const GrammarPolicy& policy, const WordId* words,
                    int32_t count, WordId* output, GrammarTrace* trace = nullptr);

// The designed analysis: ReadAddress with the default policy inside a strict
// scoring bracket, so that the model is left in back-off mode on every path.
int32_t AnalyseAddress(const AddressContext& context, const WordId* words, int32_t count,
                       WordId* output, GrammarTrace* trace = nullptr);

// The number that the texts of words[0..k-1] spell together, said whole
// (一千 零五) or digit by digit in three or four digits (一 零五); -1 for none.
int32_t WholeNumberOfWords(const Lexicon* lexicon, const WordId* words, int32_t k);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_ADDRESS_GRAMMAR_H
