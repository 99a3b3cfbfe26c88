// Read-only accessors of the model's counts, statistics and mode. A null model
// answers -5 (0 for the user value) instead of being dereferenced.
#include "bigram/model_object.h"
#include "vantir/bigram.h"

extern "C" {

int32_t BigramModel_GetUnigramMax(const BigramModel* model) {
    return model != nullptr ? model->unigramMax : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetUnigramMin(const BigramModel* model) {
    return model != nullptr ? model->unigramMin : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetUnigramMid(const BigramModel* model) {
    return model != nullptr ? model->unigramMid : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetBigramMean(const BigramModel* model) {
    return model != nullptr ? model->bigramMean : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetStaticCount(const BigramModel* model) {
    return model != nullptr ? model->staticCount : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetPairCount(const BigramModel* model) {
    return model != nullptr ? model->pairCount : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetAddedCapacity(const BigramModel* model) {
    return model != nullptr ? model->addedCapacity : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetSparePairs(const BigramModel* model) {
    return model != nullptr ? model->sparePairs : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetMode(const BigramModel* model) {
    return model != nullptr ? model->mode : VANTIR_NULL_OBJECT;
}

uint32_t BigramModel_GetUserValue(const BigramModel* model) {
    return model != nullptr ? model->userValue : 0;
}

}  // extern "C"
