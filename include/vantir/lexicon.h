/* Word lexicon: the "WPB" word list that numbers the vocabulary, its lookups in
   both directions, prefix listing, and words added and removed at run time. */
#ifndef VANTIR_LEXICON_H
#define VANTIR_LEXICON_H

#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

VANTIR_API Lexicon* Lexicon_Create(MemPool* pool, int32_t addedCapacity,
                                   int32_t addedCharCapacity);
VANTIR_API int32_t Lexicon_Destroy(Lexicon* lexicon);
VANTIR_API void* Lexicon_BuildBlob(Lexicon* lexicon, char16_t* wordList, int32_t* outSize);
/* Checks the header only. Hosts that load bytes from untrusted storage call
   Vantir_VerifyBlob first. */
VANTIR_API int32_t Lexicon_AttachBlob(Lexicon* lexicon, const void* blob);
VANTIR_API int32_t Lexicon_EstimateMemory(int32_t addedCapacity, int32_t addedCharCapacity);

VANTIR_API WordId Lexicon_FindId(const Lexicon* lexicon, const char16_t* text);
VANTIR_API WordId Lexicon_FindIdN(const Lexicon* lexicon, const char16_t* text, int32_t n);
VANTIR_API const char16_t* Lexicon_GetWord(const Lexicon* lexicon, WordId id, int32_t* length);
VANTIR_API int32_t Lexicon_GetWordText(const Lexicon* lexicon, WordId id, char16_t* buffer);
VANTIR_API int32_t Lexicon_ListPrefix(const Lexicon* lexicon, const char16_t* key, WordId* ids,
                                      int32_t maxIds);
VANTIR_API int32_t Lexicon_ListPrefixN(const Lexicon* lexicon, const char16_t* key, int32_t n,
                                       WordId* ids, int32_t maxIds);

VANTIR_API int32_t Lexicon_GetMaxWordLength(const Lexicon* lexicon);
VANTIR_API int32_t Lexicon_GetStaticCount(const Lexicon* lexicon);
VANTIR_API int32_t Lexicon_GetAddedIdSpan(const Lexicon* lexicon);
VANTIR_API int32_t Lexicon_GetAddedCapacity(const Lexicon* lexicon);
VANTIR_API uint32_t Lexicon_GetUserValue(const Lexicon* lexicon);

VANTIR_API int32_t Lexicon_AddWords(Lexicon* lexicon, char16_t* wordList);
VANTIR_API int32_t Lexicon_RemoveWords(Lexicon* lexicon, char16_t* wordList);
VANTIR_API int32_t Lexicon_Renumber(Lexicon* lexicon, int32_t* map);
VANTIR_API int32_t Lexicon_ExportAdded(const Lexicon* lexicon, char16_t* buffer);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_LEXICON_H */
