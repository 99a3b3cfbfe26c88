// The confidence of a delivered result: its features (support, score share and
// margin, first rank, class, completeness) and the fitted weights of each mode.
#include "filter/result_confidence.h"

#include <algorithm>
#include <cmath>

#include "filter/accurate_results.h"
#include "filter/postal_results.h"

namespace vantir {

namespace {

// Weights of the logistic model over the features, in ConfidenceFeature order.
// Fitted by scripts/calibrate.py on half of the calibration lists and checked
// on the other half (docs/DETAILS.md); that script rewrites this block.
// fitted-weights-begin
constexpr double kDefaultModeWeights[kConfidenceFeatureCount] = {
    -11.312283,  // bias
    13.984649,   // support share
    3.961820,    // score share
    0.009343,    // margin
    -5.375210,   // first rank
    0.401608,    // listed first
    -4.075131,   // completed
    -0.795994,   // bare
    10.566647,   // complete
    -1.980174,   // cut short
    -6.875838,   // one hypothesis
    -4.186643,   // region guessed
};
constexpr double kAccurateModeWeights[kConfidenceFeatureCount] = {
    -12.102221,  // bias
    13.398766,   // support share
    1.305760,    // score share
    3.244270,    // margin
    -6.347477,   // first rank
    2.635948,    // listed first
    -3.745199,   // completed
    -0.739092,   // bare
    11.234062,   // complete
    -0.998130,   // cut short
    -7.980609,   // one hypothesis
    -1.316186,   // region guessed
};
// fitted-weights-end

// Hypotheses whose rank weights are summed one by one; beyond them the sum (a
// harmonic number) is taken from its expansion, whose error is then below 1e-12.
constexpr int32_t kSummedRanks = 256;
constexpr double kEulerGamma = 0.5772156649015329;

// The sum of the rank weights of the first `count` hypotheses.
double TotalRankWeight(int32_t count) {
    if (count > kSummedRanks) {
        const double n = count;
        return std::log(n) + kEulerGamma + 1.0 / (2.0 * n) - 1.0 / (12.0 * n * n);
    }
    double total = 0.0;
    for (int32_t rank = 0; rank < count; ++rank)
        total += RankWeight(rank);
    return total;
}

// True when `a` is a strict prefix of `b`.
bool BeginsLonger(const char16_t* a, const char16_t* b) {
    int32_t i = 0;
    while (a[i] != 0 && a[i] == b[i])
        ++i;
    return a[i] == 0 && b[i] != 0;
}

double Indicator(bool value) {
    return value ? 1.0 : 0.0;
}

}  // namespace

Delivery DeliveryOf(FilterSession* session, DeliveryCache* scratch) {
    const int32_t n = session->resultCount;
    if ((session->options & VANTIR_OPTION_ACCURATE) != 0) {
        DeliveryCache& cache = session->delivery;
        if (!cache.current) {
            int32_t order[kMaxResults];
            double scores[kMaxResults];
            OrderByEvidence(session, order, scores);
            if (PostalRanking(session)) ApplyPostalOrder(session, order, n);
            for (int32_t i = 0; i < n; ++i) {
                cache.order[i] = static_cast<uint8_t>(order[i]);
                cache.score[i] = static_cast<float>(scores[i]);
            }
            cache.current = true;
        }
        return Delivery{n, cache.order, cache.score};
    }
    for (int32_t i = 0; i < n; ++i) {
        scratch->order[i] = static_cast<uint8_t>(i);
        scratch->score[i] = session->results[i].rankWeight;
    }
    const ResultEntry* table = session->results;
    std::sort(scratch->order, scratch->order + n,
              [table](uint8_t a, uint8_t b) { return CompareResults(table[a], table[b]) < 0; });
    if (PostalRanking(session)) {
        int32_t order[kMaxResults];
        for (int32_t i = 0; i < n; ++i)
            order[i] = scratch->order[i];
        ApplyPostalOrder(session, order, n);
        for (int32_t i = 0; i < n; ++i)
            scratch->order[i] = static_cast<uint8_t>(order[i]);
    }
    return Delivery{n, scratch->order, scratch->score};
}

void ConfidenceFeaturesOf(const FilterSession* session, const Delivery& delivery, int32_t position,
                          double features[kConfidenceFeatureCount]) {
    const int32_t entry = delivery.order[position];
    const ResultEntry& result = session->results[entry];
    double scoreTotal = 0.0;
    double bestOther = 0.0;
    bool cutShort = false;
    for (int32_t i = 0; i < delivery.count; ++i) {
        scoreTotal += delivery.score[i];
        if (i == entry) continue;
        bestOther = std::max(bestOther, static_cast<double>(delivery.score[i]));
        cutShort = cutShort || BeginsLonger(result.text, session->results[i].text);
    }
    const double hypothesisWeight = TotalRankWeight(session->hypothesisCount);
    const double share = scoreTotal > 0.0 ? delivery.score[entry] / scoreTotal : 0.0;
    const double otherShare = scoreTotal > 0.0 ? bestOther / scoreTotal : 0.0;
    FieldSpan fields[kResultFieldCount];
    EntryFields(session, result, fields);

    features[kFeatureBias] = 1.0;
    features[kFeatureSupportShare] =
        hypothesisWeight > 0.0 ? std::min(1.0, result.rankWeight / hypothesisWeight) : 0.0;
    features[kFeatureScoreShare] = share;
    features[kFeatureMargin] = share - otherShare;
    features[kFeatureFirstRank] = 1.0 / (1.0 + result.firstRank);
    features[kFeatureListedFirst] = Indicator(position == 0);
    features[kFeatureCompleted] = Indicator(result.resultClass == kClassCompleted);
    features[kFeatureBare] = Indicator(result.resultClass == kClassBare);
    features[kFeatureComplete] =
        Indicator(fields[kFieldNumber].length > 0 || fields[kFieldPlace].length > 0);
    features[kFeatureCutShort] = Indicator(cutShort);
    features[kFeatureOneHypothesis] =
        session->hypothesisCount > 0 ? 1.0 / session->hypothesisCount : 1.0;
    features[kFeatureRegionGuessed] = Indicator(result.regionGuessed);
}

float ConfidenceOf(const double features[kConfidenceFeatureCount], bool accurate) {
    const double* weights = accurate ? kAccurateModeWeights : kDefaultModeWeights;
    double z = 0.0;
    for (int32_t k = 0; k < kConfidenceFeatureCount; ++k)
        z += weights[k] * features[k];
    return static_cast<float>(1.0 / (1.0 + std::exp(-z)));
}

int32_t ReadConfidenceFeatures(FilterSession* session, int32_t index,
                               double features[kConfidenceFeatureCount]) {
    if (index < 0 || index >= session->resultCount) return VANTIR_NOT_FOUND;
    DeliveryCache scratch;
    ConfidenceFeaturesOf(session, DeliveryOf(session, &scratch), index, features);
    return VANTIR_OK;
}

}  // namespace vantir
