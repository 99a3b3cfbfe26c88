// Accurate mode's pass over one hypothesis: the grammar engine with its
// accurate policy, then the districts a county may be completed with.
#include "address/evidence_reading.h"

#include "address/address_grammar.h"

namespace vantir {

namespace {

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
                         WordId* output, AddressReading* reading, GrammarTrace* trace) {
    GrammarPolicy policy;
    policy.wholeNumbers = true;
    policy.regionChoices = reading;
    int32_t kept = ReadAddress(context, policy, words, count, output, trace);
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

int32_t ReadAddressWithEvidence(const AddressContext& context, const WordId* words, int32_t count,
                                WordId* output, AddressReading* reading, GrammarTrace* trace) {
    ClearRegionChoices(reading);
    reading->pairScore = 0.0;
    reading->kept = WithStrictScoring(context, [&] {
        return count > 0 ? ReadInStrictMode(context, words, count, output, reading, trace) : 0;
    });
    return reading->kept;
}

}  // namespace vantir
