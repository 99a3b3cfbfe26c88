// Vantir_GetResultInfo: the class, support, first rank, fields and confidence of
// a delivered result, in the order Vantir_GetFilterResult delivers the texts.
#include "filter/result_confidence.h"
#include "filter/session.h"
#include "vantir/vantir.h"

using namespace vantir;

static_assert(static_cast<int32_t>(VANTIR_FIELD_COUNT) == kResultFieldCount,
              "the library's fields are the public ones");
static_assert(static_cast<int32_t>(VANTIR_FIELD_NUMBER) == kFieldNumber &&
                  static_cast<int32_t>(VANTIR_FIELD_PLACE) == kFieldPlace,
              "in the public order");

extern "C" int32_t Vantir_GetResultInfo(FilterSession* session, int32_t index,
                                        VantirResultInfo* info) {
    if (session == nullptr || info == nullptr) return VANTIR_NULL_OBJECT;
    if (index < 0 || index >= session->resultCount) return VANTIR_NOT_FOUND;
    DeliveryCache scratch;
    const Delivery delivery = DeliveryOf(session, &scratch);
    const ResultEntry& entry = session->results[delivery.order[index]];
    double features[kConfidenceFeatureCount];
    ConfidenceFeaturesOf(session, delivery, index, features);
    const bool accurate = (session->options & VANTIR_OPTION_ACCURATE) != 0;

    info->resultClass = entry.resultClass;
    info->confidence = ConfidenceOf(features, accurate);
    info->support = entry.support;
    info->firstRank = entry.firstRank;
    FieldSpan fields[kResultFieldCount];
    EntryFields(session, entry, fields);
    for (int32_t f = 0; f < kResultFieldCount; ++f)
        info->fields[f] = VantirSpan{fields[f].start, fields[f].length};
    return VANTIR_OK;
}
