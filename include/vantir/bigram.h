/* Bigram language model: one-byte scores of words and word pairs in an "LMB"
   blob, strict and back-off pair scoring, score editing and successor ranking. */
#ifndef VANTIR_BIGRAM_H
#define VANTIR_BIGRAM_H

#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Word ids run from -1 (the utterance boundary) to N-1, N = static count +
   added capacity; pair slots from 0 to pair count + spare pairs - 1. Scores
   are log-like, higher is better: a stored score lies in 0..-255, 0 best.
   Every edit writes into the blob itself, so an edited blob can be stored and
   attached again. */

/* Creates a model without a blob, in back-off mode. `pool`: where the model
   and everything it allocates live (it must outlive the model); null for the
   heap. Returns the model, freed by BigramModel_Destroy, or null when its
   record cannot be allocated. */
VANTIR_API BigramModel* BigramModel_Create(MemPool* pool);
/* Frees the model, a blob it made and its optional tables; an attached blob
   stays the host's. 0; -5 null model. */
VANTIR_API int32_t BigramModel_Destroy(BigramModel* model);
/* Gives the model a new, empty "LMB" blob that it owns: wordCapacity word ids,
   all of them added ids (static count 0), pairCapacity spare pair slots, every
   score 0. *outSize (may be null) receives its size in bytes, and is left
   alone on failure. Returns the blob, which the model frees (its bytes may be
   stored and attached to a model later), or null for a null model, a model
   that already has a blob, a negative capacity, a blob beyond 0x7FFFFFFC
   bytes, or a refused allocation. */
VANTIR_API void* BigramModel_NewBlob(BigramModel* model, int32_t wordCapacity, int32_t pairCapacity,
                                     int32_t* outSize);
/* Uses a stored "LMB" blob in place, at any alignment. It stays the host's and
   must outlive the model; the edits below write into it, so it must be
   writable if the host edits scores. A model takes one blob in its life.
   0; -5 null model; -4 null blob, or the model has a blob already (attached or
   made); -103 not an "LMB" blob of version 2, or counts that are negative or
   too large. Nothing changes on failure. */
/* Checks the header only. Hosts that load bytes from untrusted storage call
   Vantir_VerifyBlob first. */
VANTIR_API int32_t BigramModel_AttachBlob(BigramModel* model, void* blob);
/* Bytes a pool needs for a model. With a blob (to be attached in place): 116,
   the model itself. Without: 6 * words + 5 * pairs + 62, the blob that
   BigramModel_NewBlob makes for `words` ids and `pairs` slots less its 64
   header bytes, the model not counted (negative counts count 0).
   withOptionalTables != 0 adds the two optional tables: the blob's static
   words + words + 230,405. A blob that is not an "LMB" blob gives 116 whatever
   the rest. Saturates at 2^32 - 1; never fails. 64-bit hosts need a little
   slack for the record's alignment. */
VANTIR_API uint32_t BigramModel_EstimateMemory(const void* blob, int32_t words, int32_t pairs,
                                               int32_t withOptionalTables);

/* Scoring, unchecked for speed: the model must be non-null with a blob and
   every id in -1..N-1; anything else is undefined. The results are scores,
   never codes.
   PairScore: the score of `second` following `first` in the current mode.
   A listed pair gives its stored score; an unlisted pair gives -(back-off of
   first + unigram of second) in back-off mode and -10000 in strict mode. With
   the optional tables, the extra pair table is asked first and back-off uses
   the alternative unigram bytes.
   UnigramScore: the word's stored unigram score.
   IsBelowFloor: 1 when the word's unigram score is below the floor, the
   minimum unigram score as of the attach or the last
   BigramModel_SetUnigramScores (0 for a made blob), else 0. */
VANTIR_API int32_t BigramModel_PairScore(const BigramModel* model, WordId first, WordId second);
VANTIR_API int32_t BigramModel_UnigramScore(const BigramModel* model, WordId word);
VANTIR_API int32_t BigramModel_IsBelowFloor(const BigramModel* model, WordId word);
/* Select the pair scorer for BigramModel_PairScore: back-off (mode 1, the
   value after creation) or strict (mode 0); a null model is ignored. A
   session without VANTIR_OPTION_SHARED_MODEL switches the mode itself on
   every hypothesis and leaves the model in back-off mode. */
VANTIR_API void BigramModel_SetBackoffMode(BigramModel* model);
VANTIR_API void BigramModel_SetStrictMode(BigramModel* model);

/* Accessors; each gives -5 for a null model, except the user value (0).
   Without a blob the counts and statistics are 0.
   UnigramMax, UnigramMin, UnigramMid, BigramMean: the blob's score statistics.
   StaticCount: words of the stored vocabulary. PairCount: listed pairs.
   AddedCapacity: ids for words added at run time. SparePairs: free pair slots.
   Mode: 0 strict, 1 back-off. UserValue: the user field of the attached
   blob's header. */
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
/* SetUnigramScores: gives words[k] the score scores[k], k < n. Scores are
   clamped to 0..-255 and the clamped value is written back into `scores`;
   ids outside -1..N-1 are skipped. Returns the number of words set; -5 null
   model; -4 no blob.
   SetBigramScores: gives each pair (first[k], second[k]) the score scores[k].
   Listed pairs are updated in place; new pairs take spare slots in input
   order until none is left, the rest are dropped, and a pair named twice
   keeps its last score. The three arrays are work space: clamped and
   reordered in place. Pairs with an id outside -1..N-1 are skipped. Returns
   the number of entries taken (updated plus new); -5 null model; -4 no blob. */
VANTIR_API int32_t BigramModel_SetUnigramScores(BigramModel* model, const WordId* words,
                                                int32_t* scores, int32_t n);
VANTIR_API int32_t BigramModel_SetBigramScores(BigramModel* model, WordId* first, WordId* second,
                                               int32_t* scores, int32_t n);
/* Follows Lexicon_Renumber: `map` and n are the map it filled and the count it
   returned. Kept words move to their new ids with their scores; removed words
   lose their rows and every pair naming them, whose slots become spare.
   0; -5 null model; -51 n above the added capacity (checked before the blob);
   -4 no blob; -41 negative n, null map, or a map that is not a compacting
   renumbering of the added words. Nothing changes on failure. */
VANTIR_API int32_t BigramModel_RenumberAddedWords(BigramModel* model, const int32_t* map,
                                                  int32_t n);
/* The successors of `word`, best score first (the extra pair table's entries,
   then the word's listed pairs; a successor in both keeps its better score).
   With both arrays: lists at most capacity - 1 successors, each array holding
   `capacity` entries (the last is work space), and returns how many it listed.
   With either array null: returns how many successors there are (an extra
   table entry and a listed pair for the same successor count twice).
   -5 null model; -4 no blob; -41 word outside -1..N-1, or capacity < 1 with
   arrays given. */
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
