// The confidence of a delivered result: a few features of its evidence and a
// logistic model per mode, fitted on recogniser-like N-best lists.
#ifndef VANTIR_FILTER_RESULT_CONFIDENCE_H
#define VANTIR_FILTER_RESULT_CONFIDENCE_H

#include <cstdint>

#include "filter/session.h"

namespace vantir {

// What the confidence is computed from; every feature lies in -1..1.
enum ConfidenceFeature : int32_t {
    kFeatureBias = 0,       // always 1
    kFeatureSupportShare,   // the result's hypotheses' rank weights over all hypotheses'
    kFeatureScoreShare,     // its score over all results' (accurate: evidence; default: support)
    kFeatureMargin,         // its score share less the best other result's
    kFeatureFirstRank,      // 1 / (1 + rank of its first hypothesis)
    kFeatureListedFirst,    // 1 for the first result delivered
    kFeatureCompleted,      // 1 for a region the filter listed itself (class 2)
    kFeatureBare,           // 1 for a bare region or a lone word (class 3)
    kFeatureComplete,       // 1 when it has a house number or names a place
    kFeatureCutShort,       // 1 when a longer result begins with its text
    kFeatureOneHypothesis,  // 1 / the number of hypotheses
    kFeatureRegionGuessed,  // 1 for an upper region guessed among several (GuessesRegion)
    kConfidenceFeatureCount
};

// The delivery order of the session's results and the score each is ordered
// or weighed by, per table index.
struct Delivery {
    int32_t count;
    const uint8_t* order;  // table index of the result delivered at each position
    const float* score;
};

// The order Vantir_GetFilterResult delivers. Accurate mode's is computed once
// after each intake and kept in the session; the default mode's is sorted into
// `scratch`. Neither moves the table.
Delivery DeliveryOf(FilterSession* session, DeliveryCache* scratch);

// The features of the result delivered at `position` (0 <= position < count).
void ConfidenceFeaturesOf(const FilterSession* session, const Delivery& delivery, int32_t position,
                          double features[kConfidenceFeatureCount]);

// The calibrated chance, 0..1, that a result with these features is the
// address that was said, by the model of the session's mode.
float ConfidenceOf(const double features[kConfidenceFeatureCount], bool accurate);

// The features of the result at `index` of the delivery order; 0, or -1 when
// there is none. What Vantir_GetResultInfo weighs, for tools that fit the model.
int32_t ReadConfidenceFeatures(FilterSession* session, int32_t index,
                               double features[kConfidenceFeatureCount]);

}  // namespace vantir

#endif  // VANTIR_FILTER_RESULT_CONFIDENCE_H
