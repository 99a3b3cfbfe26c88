/* Word lexicon: the "WPB" word list that numbers the vocabulary, its lookups in
   both directions, prefix listing, and words added and removed at run time. */
#ifndef VANTIR_LEXICON_H
#define VANTIR_LEXICON_H

#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

VANTIR_API Lexicon* Lexicon_Create(MemPool* pool, int32_t addedCapacity, int32_t addedCharCapacity);
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

/* Optional look-up index, beyond the design: a hash table of word ids keyed by
   the ASCII-folded text, so that Lexicon_FindId and Lexicon_FindIdN cost one
   probe instead of up to four binary searches, with exactly the same answers
   (exact before case-insensitive, static before added, the same word among
   case variants). Nothing changes for a lexicon that never builds one.
   Build it after attaching or building the blob; Lexicon_AddWords and
   Lexicon_RemoveWords keep it current without allocating (its room for added
   words is the added capacity), Lexicon_Renumber needs nothing, and attaching
   or building a blob again drops it. It takes 6.4 bytes per static word and
   per unit of added capacity (4-byte slots, at most 5/8 full), from the
   lexicon's pool or the heap; Lexicon_EstimateLookupIndex gives the bytes.
   Build: 0; -5 null lexicon; -51 more than 2^24 - 1 static words or added
   capacity; -103 a blob whose buckets are not strictly in lexicon order (its
   binary searches cannot find every word, which the index would); -10 out of
   memory. A failed build keeps the index built before, if any.
   Drop: 0, or -5; frees the index. Has: 1 with an index, 0 without or for a
   null lexicon. Estimate: bytes, or -41 for a negative count or one beyond
   2^24 - 1; it adds nothing to Lexicon_EstimateMemory. */
VANTIR_API int32_t Lexicon_BuildLookupIndex(Lexicon* lexicon);
VANTIR_API int32_t Lexicon_DropLookupIndex(Lexicon* lexicon);
VANTIR_API int32_t Lexicon_HasLookupIndex(const Lexicon* lexicon);
VANTIR_API int32_t Lexicon_EstimateLookupIndex(int32_t staticWords, int32_t addedCapacity);

VANTIR_API int32_t Lexicon_AddWords(Lexicon* lexicon, char16_t* wordList);
VANTIR_API int32_t Lexicon_RemoveWords(Lexicon* lexicon, char16_t* wordList);
VANTIR_API int32_t Lexicon_Renumber(Lexicon* lexicon, int32_t* map);
VANTIR_API int32_t Lexicon_ExportAdded(const Lexicon* lexicon, char16_t* buffer);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_LEXICON_H */
