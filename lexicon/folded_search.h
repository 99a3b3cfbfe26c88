// Case-insensitive matching over words kept in lexicon order, and the per-length
// steps of the prefix listing built on it.
#ifndef VANTIR_LEXICON_FOLDED_SEARCH_H
#define VANTIR_LEXICON_FOLDED_SEARCH_H

#include <cstdint>

#include "lexicon/lexicon_object.h"

namespace vantir {

// Case-insensitive matching over words kept in lexicon order. Words that differ
// only in ASCII case need not lie together there, so matches form several runs.

// Words of one length in lexicon order: a static bucket (staticBase set) or a
// stretch of addedSorted (sorted set, pointing at its first index).
struct WordRun {
    const Lexicon* lexicon;
    const unsigned char* staticBase;
    const int32_t* sorted;
    int32_t count;
    int32_t length;
};

WordRun StaticWordRun(const Lexicon* lexicon, int32_t length);
WordRun AddedWordRun(const Lexicon* lexicon, int32_t length);

// Called with each index range [first, end) of matching words, in ascending
// order; returns false to end the visit.
using MatchVisitor = bool (*)(void* context, int32_t first, int32_t end);

// Visits every word of the run whose first n units equal the key's up to ASCII
// case (1 <= n <= run length). False when the visitor ended the visit.
bool VisitFoldedMatches(const WordRun& run, const void* key, int32_t n, MatchVisitor visit,
                        void* context);

// Case-insensitive text to id in one part. The plain binary search comes first,
// so its answer stands whenever it finds one; the full visit then catches the
// matches that the search passes by.
WordId FindStaticFolded(const Lexicon* lexicon, const void* key, int32_t length);
WordId FindAddedFolded(const Lexicon* lexicon, const void* key, int32_t length);

// Per-length steps of the prefix listing, over one static bucket or over the
// added words of one length.

// Ids of the matches among the words of exactly `length` units, ascending, at
// most room of them; with a null out, the number of all those matches.
int32_t ListBucketRange(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                        WordId* out, int32_t room);
int32_t ListAddedRange(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                       WordId* out, int32_t room);

}  // namespace vantir

#endif  // VANTIR_LEXICON_FOLDED_SEARCH_H
