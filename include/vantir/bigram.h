/* Bigram language model: one-byte scores of words and word pairs in an "LMB"
   blob, strict and back-off pair scoring, score editing and successor ranking. */
#ifndef VANTIR_BIGRAM_H
#define VANTIR_BIGRAM_H

#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

VANTIR_API BigramModel* BigramModel_Create(MemPool* pool);
VANTIR_API int32_t BigramModel_Destroy(BigramModel* model);
VANTIR_API void* BigramModel_NewBlob(BigramModel* model, int32_t wordCapacity,
                                     int32_t pairCapacity, int32_t* outSize);
/* Checks the header only. Hosts that load bytes from untrusted storage call
   Vantir_VerifyBlob first. */
VANTIR_API int32_t BigramModel_AttachBlob(BigramModel* model, void* blob);
VANTIR_API uint32_t BigramModel_EstimateMemory(const void* blob, int32_t words, int32_t pairs,
                                               int32_t withOptionalTables);

VANTIR_API int32_t BigramModel_PairScore(const BigramModel* model, WordId first, WordId second);
VANTIR_API int32_t BigramModel_UnigramScore(const BigramModel* model, WordId word);
VANTIR_API int32_t BigramModel_IsBelowFloor(const BigramModel* model, WordId word);
VANTIR_API void BigramModel_SetBackoffMode(BigramModel* model);
VANTIR_API void BigramModel_SetStrictMode(BigramModel* model);

VANTIR_API int32_t BigramModel_GetUnigramMax(const BigramModel* model);
VANTIR_API int32_t BigramModel_GetUnigramMin(const BigramModel* model);
VANTIR_API int32_t BigramModel_GetUnigramMid(const BigramModel* model);
VANTIR_API int32_t BigramModel_GetBigramMean(const BigramModel* model);
VANTIR_API int32_t BigramModel_GetStaticCount(const BigramModel* model);
VANTIR_API int32_t BigramModel_GetPairCount(const BigramModel* model);
VANTIR_API int32_t BigramModel_GetAddedCapacity(const BigramModel* model);
VANTIR_API int32_t BigramModel_GetSparePairs(const BigramModel* model);
VANTIR_API int32_t BigramModel_GetMode(const BigramModel* model);
VANTIR_API uint32_t BigramModel_GetUserValue(const BigramModel* model);

/* The setters return -41 for a null array with n > 0. */
VANTIR_API int32_t BigramModel_SetUnigramScores(BigramModel* model, const WordId* words,
                                                int32_t* scores, int32_t n);
VANTIR_API int32_t BigramModel_SetBigramScores(BigramModel* model, WordId* first,
                                               WordId* second, int32_t* scores, int32_t n);
/* -4 no blob; -41 negative n, null map, or a map that is not a compacting
   renumbering of the added words. */
VANTIR_API int32_t BigramModel_RenumberAddedWords(BigramModel* model, const int32_t* map,
                                                  int32_t n);
/* -4 no blob; -41 word outside -1..N-1, or capacity < 1 with arrays given. */
VANTIR_API int32_t BigramModel_ListSuccessors(const BigramModel* model, WordId word, WordId* ids,
                                              int32_t* scores, int32_t capacity);

/* Gives the model its two optional tables by copying them into buffers that the
   model allocates (from its pool, or the heap) and then owns and frees.
   altUnigramBytes holds altCount = N + 1 bytes, the entry for word -1 first;
   extraPairTable holds exactly extraSize = 99332 bytes. Replaces tables given
   before. They take effect at the next mode switch.
   0; -5 null model; -4 no blob yet or a null table; -41 wrong altCount or
   extraSize; -10 out of memory (the model is then unchanged). */
VANTIR_API int32_t BigramModel_SetExtraTables(BigramModel* model, const uint8_t* altUnigramBytes,
                                              int32_t altCount, const void* extraPairTable,
                                              int32_t extraSize);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_BIGRAM_H */
