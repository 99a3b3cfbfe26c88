// Read-only accessors of a lexicon: lengths, counts, capacity and the user value
// copied from an attached blob's header.
#include "lexicon/lexicon_object.h"
#include "vantir/lexicon.h"

extern "C" {

int32_t Lexicon_GetMaxWordLength(const Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return lexicon->staticMaxLength > lexicon->addedMaxLength ? lexicon->staticMaxLength
                                                              : lexicon->addedMaxLength;
}

int32_t Lexicon_GetStaticCount(const Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return lexicon->staticCount;
}

int32_t Lexicon_GetAddedIdSpan(const Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return lexicon->nextId - lexicon->staticCount;
}

int32_t Lexicon_GetAddedCapacity(const Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return lexicon->addedCapacity;
}

uint32_t Lexicon_GetUserValue(const Lexicon* lexicon) {
    if (lexicon == nullptr) return 0;
    return lexicon->userValue;
}

}  // extern "C"
