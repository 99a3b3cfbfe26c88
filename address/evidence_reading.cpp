// Accurate mode's pass over one hypothesis: the grammar's start search and
// segments, with evidence-weighted region choices and whole numbers kept.
#include "address/evidence_reading.h"

#include "address/address_grammar.h"
#include "address/canonical_spelling.h"
#include "address/compose_text.h"
#include "address/region_completion.h"
#include "address/word_fields.h"
#include "textutil/byte_order.h"
#include "textutil/chinese_numerals.h"

namespace vantir {

namespace {

// Room for the texts of a first and a second prefix word together.
constexpr int32_t kNumberTextCapacity = 64;
// Fewest numerals of a number said digit by digit that count as whole.
constexpr int32_t kMinDigitByDigitUnits = 3;

// True when the texts of words[0..k-1] together spell one whole number.
bool PrefixesFormNumber(const Lexicon* lexicon, const WordId* words, int32_t k) {
    return WholeNumberOfWords(lexicon, words, k) >= 1;
}

bool IsNumberWord(const AddressContext& context, WordId word) {
    constexpr uint64_t kNumberBits = TagBit(kTagFirstPrefix) | TagBit(kTagSecondPrefix);
    return (TagBitsOf(*context.db, word) & kNumberBits) != 0;
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

// Prefixes, then a word with `tag`. After prefixes the word must pass its pair
// with the last prefix, unless the prefixes spell a whole number: the model's
// pairs show which numbers its corpus held, not which are well formed.
int32_t MatchNumberedWord(const AddressContext& context, const WordId* words, int32_t start,
                          WordId* output, int32_t outPos, int32_t tag, StepResult* result) {
    if (MatchPrefixedWordUnless(
            context, words, start, output, outPos, tag,
            [&context](const WordId* prefixes, int32_t count) {
                return PrefixesFormNumber(context.lexicon, prefixes, count);
            },
            result) == 1) {
        return 1;
    }
    return MatchNumberRun(context, words, start, output, outPos, tag, result);
}

int32_t MatchThirdSegmentWithNumbers(const AddressContext& context, const WordId* words,
                                     int32_t start, WordId* output, int32_t outPos,
                                     StepResult* result) {
    StepResult lead;
    MatchNumberedWord(context, words, start, output, outPos, kTagThirdLead, &lead);
    // The grammar's third segment holds one lead, so an alley and a 之 number
    // (19弄569之7號) cannot stand together; a second lead is taken when the
    // first is an alley and the second closes a number part.
    StepResult part;
    NoMatch(lead.next, &part);
    if (lead.kept > 0 && !EndsWithNumberPart(context.lexicon, output[outPos + lead.kept - 1]) &&
        MatchNumberedWord(context, words, lead.next, output, outPos + lead.kept, kTagThirdLead,
                          &part) == 1 &&
        !EndsWithNumberPart(context.lexicon, output[outPos + lead.kept + part.kept - 1])) {
        NoMatch(lead.next, &part);
    }
    const int32_t leads = lead.kept + part.kept;
    StepResult key;
    // A key that fails drops the leads with it.
    if (MatchNumberedWord(context, words, part.next, output, outPos + leads, kTagThirdKey, &key) !=
        1) {
        return NoMatch(start, result);
    }
    return Matched(key.next, leads + key.kept, result);
}

// A section said as number words and a section word ("十三 段") faces the test
// that its one-word spelling ("十三段") would: the road must have it.
bool SplitSectionPasses(const AddressContext& context, const WordId* segment, int32_t n,
                        WordId before) {
    if (n < 2) return true;
    char16_t text[kNumberTextCapacity];
    ComposeResultText(context, segment, n, text, kNumberTextCapacity);
    CanonicaliseAddressText(text, kNumberTextCapacity);
    const WordId whole = Lexicon_FindId(context.lexicon, text);
    if (!IsModelWord(ModelWordLimit(context.model), whole) || whole < 0 ||
        !Tagged(context, whole, kTagBareFirstKey)) {
        return true;
    }
    return PairPasses(context, before, whole);
}

int32_t ParseBodyWithNumbers(const AddressContext& context, const WordId* words, int32_t start,
                             WordId* output, int32_t outPos) {
    StepResult first;
    StepResult second;
    StepResult third;
    MatchFirstSegment(context, words, start, output, outPos, &first);
    if (!SplitSectionPasses(context, output + outPos, first.kept, output[outPos - 1])) {
        NoMatch(start, &first);
    }
    MatchSecondSegment(context, words, first.next, output, outPos + first.kept, &second);
    if (second.kept == 0) {
        MatchNumberRun(context, words, first.next, output, outPos + first.kept, kTagSecondKey,
                       &second);
    }
    MatchThirdSegmentWithNumbers(context, words, second.next, output,
                                 outPos + first.kept + second.kept, &third);
    return first.kept + second.kept + third.kept;
}

// A lone district before the road keeps [district, road] and lists its
// counties as choices; every other head goes through the grammar's completion.
int32_t CompleteWithEvidence(const AddressContext& context, WordId* output, int32_t n,
                             AddressReading* reading) {
    if (n == 2 && Tagged(context, output[0], kTagLowerHead) &&
        FindLowerNameOfWord(context, output[0]) >= 0) {
        const int32_t found =
            WeighCountiesOfDistrict(context, output[0], output[1], reading->choices);
        if (found == 0) return 0;
        reading->place = ChoicePlace::kBeforeFirst;
        reading->choiceCount = found;
        return 2;
    }
    return CompleteRegion(context, output, n);
}

void ClearChoices(AddressReading* reading) {
    reading->place = ChoicePlace::kNone;
    reading->choiceCount = 0;
}

int32_t ReadStarts(const AddressContext& context, const WordId* words, int32_t count,
                   WordId* output, AddressReading* reading) {
    for (int32_t start = 0; start < count; ++start) {
        ClearChoices(reading);
        StepResult head;
        if (MatchHead(context, words, start, output, &head) != 1) continue;
        int32_t kept = head.kept;
        int32_t next = head.next;
        if (Tagged(context, words[next], kTagCompletionTrigger)) {
            output[kept] = words[next];
            kept = CompleteWithEvidence(context, output, kept + 1, reading);
            if (kept == 0) continue;
            ++next;  // the trigger counts as consumed even when completion dropped it
        } else if (kept == 2 && !PairPasses(context, output[0], output[1])) {
            continue;
        } else if (kept == 1 && Tagged(context, output[0], kTagLowerHead) &&
                   FindLowerNameOfWord(context, output[0]) >= 0) {
            // A district said alone is the start of an address in its county.
            const int32_t found = WeighCountiesOfDistrict(context, output[0], -1, reading->choices);
            if (found > 0) {
                reading->place = ChoicePlace::kBeforeFirst;
                reading->choiceCount = found;
            }
        }
        if (EndsAddress(context, output[kept - 1])) return kept;
        return kept + ParseBodyWithNumbers(context, words, next, output, kept);
    }
    ClearChoices(reading);
    return FindFallbackWord(context, words, count, output);
}

double MeanPairScore(const AddressContext& context, const WordId* words, int32_t n) {
    if (n < 2) return 0.0;
    double total = 0.0;
    for (int32_t i = 1; i < n; ++i) {
        const int32_t score = ScorePair(context, words[i - 1], words[i]);
        total += score < kLowestPassingScore ? kLowestPassingScore : score;
    }
    return total / (n - 1);
}

int32_t ReadInStrictMode(const AddressContext& context, const WordId* words, int32_t count,
                         WordId* output, AddressReading* reading) {
    int32_t kept = ReadStarts(context, words, count, output, reading);
    if (kept >= 2 && reading->place == ChoicePlace::kNone &&
        Tagged(context, output[0], kTagUpperHead) &&
        Tagged(context, output[1], kTagCompletionTrigger)) {
        reading->choiceCount =
            WeighDistrictsOfCounty(context, output[0], output[1], reading->choices);
        reading->place = ChoicePlace::kAfterFirst;
        // Like the grammar's listing: no district that may stand there, no address.
        if (reading->choiceCount == 0) kept = 0;
    }
    if (reading->place == ChoicePlace::kNone) {
        reading->choiceCount = 1;
        reading->choices[0] = RegionChoice{-1, 1.0};
    }
    reading->pairScore = MeanPairScore(context, output, kept);
    return kept;
}

}  // namespace

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

int32_t ReadAddressWithEvidence(const AddressContext& context, const WordId* words, int32_t count,
                                WordId* output, AddressReading* reading) {
    ClearChoices(reading);
    reading->pairScore = 0.0;
    reading->kept = WithStrictScoring(context, [&] {
        return count > 0 ? ReadInStrictMode(context, words, count, output, reading) : 0;
    });
    return reading->kept;
}

}  // namespace vantir
