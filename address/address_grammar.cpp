// The address grammar, one engine for both modes: the first start whose head
// (and completion) holds wins, else the first fallback word; up to three
// numbered segments in fixed order follow.
//
// A hypothesis is read left to right. At each start position the head is a
// county, a district or a county-district pair (tags 33..36); a completion
// trigger after it asks region completion to fill or check the region words,
// and a head of two words without one must pass its pair test. The first
// start that holds is the address; its body is a first segment (section), a
// second (lane) and a third (alley and house number), each a key word after
// up to two prefix words that spell its number, each optional, each tried on
// the input position where the one before it stopped. The policy adds accurate
// mode's readings at the points noted; with the default policy every step is
// the designed grammar's.
#include "address/address_grammar.h"

#include "address/canonical_spelling.h"
#include "address/compose_text.h"
#include "address/evidence_reading.h"
#include "address/region_completion.h"
#include "address/word_fields.h"
#include "textutil/byte_order.h"
#include "textutil/chinese_numerals.h"

namespace vantir {

namespace {

// Room for the texts of a run of number words together.
constexpr int32_t kNumberTextCapacity = 64;
// Fewest numerals of a number said digit by digit that count as whole.
constexpr int32_t kMinDigitByDigitUnits = 3;

// Where the engine notes its steps; inert when no trace was asked for.
struct StepLog {
    GrammarTrace* trace;

    int32_t Refusals() const { return trace != nullptr ? trace->pairs.count : 0; }
    void Note(const GrammarStep& step) const {
        if (trace == nullptr) return;
        if (trace->count < GrammarTrace::kCapacity) trace->steps[trace->count] = step;
        ++trace->count;
    }
};

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

// --- Head and start ---------------------------------------------------------

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

bool IsLoneDistrict(const AddressContext& context, WordId word) {
    return Tagged(context, word, kTagLowerHead) && FindLowerNameOfWord(context, word) >= 0;
}

// Completion of the head words and the trigger in output[0..n-1]. With region
// choices, a lone district before the road keeps [district, road] and lists its
// counties as choices; every other head goes through the grammar's completion.
int32_t CompleteHead(const AddressContext& context, const GrammarPolicy& policy, WordId* output,
                     int32_t n) {
    AddressReading* reading = policy.regionChoices;
    if (reading != nullptr && n == 2 && IsLoneDistrict(context, output[0])) {
        const int32_t found =
            WeighCountiesOfDistrict(context, output[0], output[1], reading->choices);
        if (found == 0) return 0;
        reading->place = ChoicePlace::kBeforeFirst;
        reading->choiceCount = found;
        return 2;
    }
    return CompleteRegion(context, output, n);
}

// The head at `start` (head.next, head.kept) completed or pair-tested.
int32_t MatchAddressStart(const AddressContext& context, const GrammarPolicy& policy,
                          const WordId* words, int32_t start, const StepResult& head,
                          WordId* output, StepResult* result) {
    const int32_t n = head.kept;
    const int32_t after = head.next;
    if (Tagged(context, words[after], kTagCompletionTrigger)) {
        // Completion tests every pair it keeps; the trigger counts as consumed
        // even when completion drops it.
        output[n] = words[after];
        const int32_t kept = CompleteHead(context, policy, output, n + 1);
        if (kept == 0) return NoMatch(start, result);
        return Matched(after + 1, kept, result);
    }
    if (n == 2 && !PairPasses(context, output[0], output[1])) return NoMatch(start, result);
    AddressReading* reading = policy.regionChoices;
    if (reading != nullptr && n == 1 && IsLoneDistrict(context, output[0])) {
        // A district said alone is the start of an address in its county.
        const int32_t found = WeighCountiesOfDistrict(context, output[0], -1, reading->choices);
        if (found > 0) {
            reading->place = ChoicePlace::kBeforeFirst;
            reading->choiceCount = found;
        }
    }
    return Matched(after, n, result);
}

// --- Numbers ----------------------------------------------------------------

bool IsNumberWord(const AddressContext& context, WordId word) {
    constexpr uint64_t kNumberBits = TagBit(kTagFirstPrefix) | TagBit(kTagSecondPrefix);
    return (TagBitsOf(*context.db, word) & kNumberBits) != 0;
}

int32_t MatchPrefixes(const AddressContext& context, const WordId* words, int32_t start,
                      WordId* output, int32_t outPos, StepResult* result) {
    int32_t at = start;
    int32_t k = 0;
    if (Tagged(context, words[at], kTagFirstPrefix)) output[outPos + k++] = words[at++];
    if (Tagged(context, words[at], kTagSecondPrefix)) output[outPos + k++] = words[at++];
    return Matched(at, k, result);
}

// A number said in more words than the grammar's two prefixes hold (一 零五,
// 九 零 八 said digit by digit; 一百 二十 三 split apart), then a word with
// `tag`: kept when the words read as one whole number.
int32_t MatchNumberRun(const AddressContext& context, const WordId* words, int32_t start,
                       WordId* output, int32_t outPos, int32_t tag, StepResult* result) {
    int32_t run = start;
    while (run - start < kMaxSegmentNumberWords && IsNumberWord(context, words[run]))
        ++run;
    const int32_t count = run - start;
    if (count < 2 || !Tagged(context, words[run], tag) ||
        WholeNumberOfWords(context.lexicon, words + start, count) < 1) {
        return NoMatch(start, result);
    }
    for (int32_t k = 0; k <= count; ++k)
        output[outPos + k] = words[start + k];
    return Matched(run + 1, count + 1, result);
}

// Prefixes, then a word with `tag` that, after a prefix, must pass its pair
// with the last prefix word. With whole numbers, prefixes that spell a whole
// number excuse the pair (the model's pairs show which numbers its corpus
// held, not which are well formed), and a longer run of number words is tried
// when the prefixes fail.
int32_t MatchNumberedWord(const AddressContext& context, const GrammarPolicy& policy,
                          const WordId* words, int32_t start, WordId* output, int32_t outPos,
                          int32_t tag, StepResult* result) {
    StepResult prefixes;
    MatchPrefixes(context, words, start, output, outPos, &prefixes);
    const int32_t at = prefixes.next;
    const int32_t k = prefixes.kept;
    if (Tagged(context, words[at], tag)) {
        output[outPos + k] = words[at];
        if (k == 0 || PairPasses(context, output[outPos + k - 1], words[at]) ||
            (policy.wholeNumbers && WholeNumberOfWords(context.lexicon, output + outPos, k) >= 1)) {
            return Matched(at + 1, k + 1, result);
        }
    }
    if (!policy.wholeNumbers) return NoMatch(start, result);
    return MatchNumberRun(context, words, start, output, outPos, tag, result);
}

// --- Body -------------------------------------------------------------------

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

// A section said as number words and a section word ("十三 段") faces the test
// that its one-word spelling ("十三段") would: the road must have it.
bool SplitSectionPasses(const AddressContext& context, const WordId* segment, int32_t n,
                        WordId before) {
    if (n < 2) return true;
    char16_t text[kNumberTextCapacity];
    ComposeResultText(context, segment, n, text, kNumberTextCapacity, nullptr,
                      NumberGrouping::kLongRuns);
    CanonicaliseAddressText(text, kNumberTextCapacity);
    const WordId whole = Lexicon_FindId(context.lexicon, text);
    if (!IsModelWord(ModelWordLimit(context.model), whole) || whole < 0 ||
        !Tagged(context, whole, kTagBareFirstKey)) {
        return true;
    }
    return PairPasses(context, before, whole);
}

int32_t MatchFirstSegment(const AddressContext& context, const GrammarPolicy& policy,
                          const WordId* words, int32_t start, WordId* output, int32_t outPos,
                          StepResult* result) {
    MatchKeyedSegment(context, true, words, start, output, outPos, kTagFirstKey, kTagBareFirstKey,
                      result);
    if (policy.wholeNumbers &&
        !SplitSectionPasses(context, output + outPos, result->kept, output[outPos - 1])) {
        return NoMatch(start, result);
    }
    return result->kept > 0 ? 1 : 0;
}

int32_t MatchSecondSegment(const AddressContext& context, const GrammarPolicy& policy,
                           const WordId* words, int32_t start, WordId* output, int32_t outPos,
                           StepResult* result) {
    if (MatchKeyedSegment(context, false, words, start, output, outPos, kTagSecondKey,
                          kTagBareSecondKey, result) == 1 ||
        !policy.wholeNumbers) {
        return result->kept > 0 ? 1 : 0;
    }
    return MatchNumberRun(context, words, start, output, outPos, kTagSecondKey, result);
}

// A lead (alley) and a key (house number), each after its prefixes; a key that
// fails drops the lead with it. The designed segment holds one lead, so an
// alley and a 之 number cannot stand together; with whole numbers a second
// lead is taken when the first is an alley and the second closes a number part.
int32_t MatchThirdSegment(const AddressContext& context, const GrammarPolicy& policy,
                          const WordId* words, int32_t start, WordId* output, int32_t outPos,
                          StepResult* result) {
    StepResult lead;
    MatchNumberedWord(context, policy, words, start, output, outPos, kTagThirdLead, &lead);
    StepResult part;
    NoMatch(lead.next, &part);
    if (policy.wholeNumbers && lead.kept > 0 &&
        !EndsWithNumberPart(context.lexicon, output[outPos + lead.kept - 1]) &&
        MatchNumberedWord(context, policy, words, lead.next, output, outPos + lead.kept,
                          kTagThirdLead, &part) == 1 &&
        !EndsWithNumberPart(context.lexicon, output[outPos + lead.kept + part.kept - 1])) {
        NoMatch(lead.next, &part);
    }
    const int32_t leads = lead.kept + part.kept;
    StepResult key;
    if (MatchNumberedWord(context, policy, words, part.next, output, outPos + leads, kTagThirdKey,
                          &key) != 1) {
        return NoMatch(start, result);
    }
    return Matched(key.next, leads + key.kept, result);
}

// The three segments in order; a segment that does not match reports its own
// start, so the next is tried on the same word. Returns the words kept.
int32_t ParseBody(const AddressContext& context, const GrammarPolicy& policy, const WordId* words,
                  int32_t start, WordId* output, int32_t outPos, const StepLog& log) {
    StepResult first;
    StepResult second;
    StepResult third;
    const int32_t refusals = log.Refusals();
    MatchFirstSegment(context, policy, words, start, output, outPos, &first);
    const int32_t afterFirst = log.Refusals();
    MatchSecondSegment(context, policy, words, first.next, output, outPos + first.kept, &second);
    const int32_t afterSecond = log.Refusals();
    const int32_t thirdAt = outPos + first.kept + second.kept;
    MatchThirdSegment(context, policy, words, second.next, output, thirdAt, &third);
    if (log.trace != nullptr) {
        log.Note({GrammarStepKind::kSegment, 0, start, start, first.next, outPos, first.kept,
                  refusals, afterFirst});
        log.Note({GrammarStepKind::kSegment, 1, first.next, first.next, second.next,
                  outPos + first.kept, second.kept, afterFirst, afterSecond});
        log.Note({GrammarStepKind::kSegment, 2, second.next, second.next, third.next, thirdAt,
                  third.kept, afterSecond, log.Refusals()});
    }
    return first.kept + second.kept + third.kept;
}

int32_t ReadStarts(const AddressContext& context, const GrammarPolicy& policy, const WordId* words,
                   int32_t count, WordId* output, const StepLog& log) {
    for (int32_t start = 0; start < count; ++start) {
        if (policy.regionChoices != nullptr) ClearRegionChoices(policy.regionChoices);
        StepResult head;
        if (MatchHead(context, words, start, output, &head) != 1) continue;
        const int32_t refusals = log.Refusals();
        StepResult matched;
        const bool kept =
            MatchAddressStart(context, policy, words, start, head, output, &matched) == 1;
        if (log.trace != nullptr) {
            log.Note({kept ? GrammarStepKind::kStartKept : GrammarStepKind::kStartRefused, 0, start,
                      head.next, matched.next, 0, matched.kept, refusals, log.Refusals()});
        }
        if (!kept) continue;
        if (EndsAddress(context, output[matched.kept - 1])) return matched.kept;
        // Words after the body are dropped, so its next position is not used.
        return matched.kept +
               ParseBody(context, policy, words, matched.next, output, matched.kept, log);
    }
    if (policy.regionChoices != nullptr) ClearRegionChoices(policy.regionChoices);
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

int32_t ReadAddress(const AddressContext& untraced, const GrammarPolicy& policy,
                    const WordId* words, int32_t count, WordId* output, GrammarTrace* trace) {
    if (count <= 0) return 0;
    if (trace == nullptr) return ReadStarts(untraced, policy, words, count, output, StepLog{});
    AddressContext context = untraced;
    context.trace = &trace->pairs;
    return ReadStarts(context, policy, words, count, output, StepLog{trace});
}

int32_t AnalyseAddress(const AddressContext& context, const WordId* words, int32_t count,
                       WordId* output, GrammarTrace* trace) {
    return WithStrictScoring(context, [&] {
        return ReadAddress(context, GrammarPolicy{}, words, count, output, trace);
    });
}

int32_t WholeNumberOfWords(const Lexicon* lexicon, const WordId* words, int32_t k) {
    char16_t number[kNumberTextCapacity];
    int32_t length = 0;
    for (int32_t w = 0; w < k; ++w) {
        int32_t units = 0;
        const char16_t* text = Lexicon_GetWord(lexicon, words[w], &units);
        for (int32_t i = 0; text != nullptr && i < units; ++i) {
            const char16_t unit = LoadUnitAt(text, i);
            if (unit == 0) break;
            if (length + 1 >= kNumberTextCapacity) return -1;
            number[length++] = unit;
        }
    }
    if (length == 0) return -1;
    if (IsWellFormedNumber(number, length)) return ReadNumber(number, length);
    // Said digit by digit, a house number has three or four digits (一零零五);
    // two numerals side by side (三四) are as often a slip as a number.
    return length >= kMinDigitByDigitUnits ? ReadDigitByDigit(number, length) : -1;
}

}  // namespace vantir
