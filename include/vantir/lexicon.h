/* Word lexicon: the "WPB" word list that numbers the vocabulary, its lookups in
   both directions, prefix listing, and words added and removed at run time. */
#ifndef VANTIR_LEXICON_H
#define VANTIR_LEXICON_H

#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Texts are UTF-16 units; lengths count units. A word list is a writable text
   of one word per line (LF or CR LF), ended by a 0 unit; the calls that take
   one split it in place into 0-ended words, also when they then fail: pass a
   copy to keep the list. Static words (from the blob) have ids 0..S-1 in lexicon order: shorter
   words first, then unit by unit, ASCII case folded before raw value. Words
   added at run time take ids from S on. */

/* Creates an empty lexicon. `pool`: where the lexicon and everything it
   allocates live (it must outlive the lexicon); null for the heap.
   addedCapacity: the most words Lexicon_AddWords may hold; addedCharCapacity:
   the units for their texts, each word taking its length + 1. Both are only
   recorded: the first Lexicon_AddWords allocates for them and gives -10 when
   it cannot. Returns the lexicon, freed by Lexicon_Destroy, or null when its
   record cannot be allocated. */
VANTIR_API Lexicon* Lexicon_Create(MemPool* pool, int32_t addedCapacity, int32_t addedCharCapacity);
/* Frees the lexicon, a blob it built, its added words and its look-up index;
   an attached blob stays the host's. 0; -5 null lexicon. */
VANTIR_API int32_t Lexicon_Destroy(Lexicon* lexicon);
/* Builds a "WPB" blob from `wordList` (split in place) and makes its words the
   static part: sorted into lexicon order, repeats stored once, empty lines and
   words longer than 256 units left out. The blob belongs to the lexicon until
   Lexicon_Destroy: read or store its bytes, never free or change them.
   *outSize (may be null) receives its size in bytes, 0 on failure.
   Returns the blob, or null for a null lexicon, one that built a blob before,
   one that holds added words (since its first Lexicon_AddWords), or a refused
   allocation (the lexicon is then left without static words). */
VANTIR_API void* Lexicon_BuildBlob(Lexicon* lexicon, char16_t* wordList, int32_t* outSize);
/* Uses a stored "WPB" blob in place as the static words, replacing any before
   (and dropping the look-up index). The blob stays the host's: it must stay
   unchanged and alive while the lexicon uses it, and start 4-byte aligned.
   Its header's user value becomes Lexicon_GetUserValue.
   Returns the number of static words; -5 null lexicon; -41 null blob; -4 the
   lexicon holds added words; -103 not a "WPB" blob of version 2, or a word
   count or longest length out of range; -10 out of memory (big-endian hosts
   only, which copy the words). Nothing changes on -5, -41, -4 and -103. */
/* Checks the header only. Hosts that load bytes from untrusted storage call
   Vantir_VerifyBlob first. */
VANTIR_API int32_t Lexicon_AttachBlob(Lexicon* lexicon, const void* blob);
/* Bytes a pool needs for a lexicon of these capacities (the record, 24 per
   added word, 2 per added unit; negative capacities count 0), capped at
   2^31 - 1; a built blob and the look-up index come on top. 64-bit hosts need
   a little slack for the record's alignment. Never fails. */
VANTIR_API int32_t Lexicon_EstimateMemory(int32_t addedCapacity, int32_t addedCharCapacity);

/* The id of the word equal to the 0-ended `text`, or to its first n units
   (FindIdN; no terminator needed): an exact match first (static before added),
   else one that differs only in ASCII case. -1 for a text that is no word, a
   null or empty text, or n <= 0; -5 null lexicon. */
VANTIR_API WordId Lexicon_FindId(const Lexicon* lexicon, const char16_t* text);
VANTIR_API WordId Lexicon_FindIdN(const Lexicon* lexicon, const char16_t* text, int32_t n);
/* The word's units inside the lexicon, borrowed, and through *length (may be
   null) their number. A static word is NOT followed by a 0 unit: read it by
   its length. The pointer stays valid while the blob stays attached (static
   words) or until the next Lexicon_AddWords or Lexicon_RemoveWords (added
   words). Null, with length 0, for an id that is no word (a removed word's id
   included, until Lexicon_Renumber) or a null lexicon. */
VANTIR_API const char16_t* Lexicon_GetWord(const Lexicon* lexicon, WordId id, int32_t* length);
/* Copies the word's units and a 0 unit into `buffer` (may be null: measure
   only). No size is passed: the buffer must hold length + 1 units, and
   Lexicon_GetMaxWordLength + 1 units always suffice (a static word has at
   most 256). Returns the length; 0 with an empty text for an id that is no
   word; -5 null lexicon, buffer untouched. */
VANTIR_API int32_t Lexicon_GetWordText(const Lexicon* lexicon, WordId id, char16_t* buffer);
/* Lists the ids of the words that begin with the 0-ended `key`, or with its
   first n units (ListPrefixN), ASCII case ignored, the word equal to it
   included: static words first, shorter first, in lexicon order, then added
   words the same way. With `ids`: writes at most maxIds ids and returns how
   many it wrote. With null ids: counts the matches length by length until
   maxIds are reached, so a count of maxIds or more means "at least maxIds".
   0 for a null or empty key, n <= 0 or maxIds <= 0; -5 null lexicon. */
VANTIR_API int32_t Lexicon_ListPrefix(const Lexicon* lexicon, const char16_t* key, WordId* ids,
                                      int32_t maxIds);
VANTIR_API int32_t Lexicon_ListPrefixN(const Lexicon* lexicon, const char16_t* key, int32_t n,
                                       WordId* ids, int32_t maxIds);

/* Accessors; each gives -5 for a null lexicon, except the user value (0).
   MaxWordLength: the longest word, static or added, in units.
   StaticCount: the number of static words, S.
   AddedIdSpan: ids given to added words and not reclaimed by Lexicon_Renumber
   (removed words' ids included): the number of map entries Lexicon_Renumber
   fills.
   AddedCapacity: as given to Lexicon_Create.
   UserValue: the user field of the last attached blob's header, 0 before. */
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

/* Adds the words of `wordList` (split in place) that the lexicon does not hold
   exactly (a word differing only in ASCII case is added). Only the first
   2 * addedCapacity lines are read; the new words take the next ids in lexicon
   order, shortest first, until the added capacity or the unit capacity runs
   out, which ends the batch. The first call allocates the added-word buffers;
   from then on Lexicon_BuildBlob and Lexicon_AttachBlob are refused.
   Returns the number of words added (0 or more); -5 null lexicon; -10 out of
   memory: nothing added when the buffers or the batch's work array are
   refused, the words stay added and findable when a later merge is. */
VANTIR_API int32_t Lexicon_AddWords(Lexicon* lexicon, char16_t* wordList);
/* Removes the added words that `wordList` (split in place) names exactly;
   static words are never removed. A removed word's id is not given out again
   until Lexicon_Renumber. Returns the number removed; 0 when no word was ever
   added; -5 null lexicon; -10 out of memory (nothing removed). */
VANTIR_API int32_t Lexicon_RemoveWords(Lexicon* lexicon, char16_t* wordList);
/* Gives the added words consecutive ids again from S on, in their old order.
   `map` (may be null: measure only) receives Lexicon_GetAddedIdSpan entries:
   map[i] is the new id of the word that had id S + i, or -1 for a removed
   word; pass the same map and count to BigramModel_RenumberAddedWords. No size
   is passed: call first with a null map to learn it. Returns that entry count
   (the span before the call); -5 null lexicon. */
VANTIR_API int32_t Lexicon_Renumber(Lexicon* lexicon, int32_t* map);
/* Writes the added words in id order, each followed by a LF unit, then a 0
   unit: a word list that Lexicon_AddWords takes back. `buffer` may be null
   (measure only). No size is passed: the buffer must hold the returned count
   + 1 units; ask first with a null buffer. Returns the units before the 0 unit
   (0 when no word is added); -5 null lexicon. */
VANTIR_API int32_t Lexicon_ExportAdded(const Lexicon* lexicon, char16_t* buffer);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_LEXICON_H */
