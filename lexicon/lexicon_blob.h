// A lexicon's "WPB" blob: its structural check against the bytes held, and
// pointing the static fields at a blob (attach and build share it).
#ifndef VANTIR_LEXICON_LEXICON_BLOB_H
#define VANTIR_LEXICON_LEXICON_BLOB_H

#include <cstdint>

#include "lexicon/lexicon_object.h"

namespace vantir {

// Structural check of a stored "WPB" lexicon blob against the number of bytes
// the host really holds, for blobs loaded from storage that may be damaged.

// True when a blob whose header already names "WPB" version 2 is sound within
// `size` bytes: both counts in range, the offset tables start at 0 and agree
// with each other and with the word count, the words lie inside `size`, hold
// no 0 unit, and every length bucket is strictly ascending in lexicon order.
// Reads nothing at or past `size`.
bool LexiconBlobIsWellFormed(const unsigned char* blob, uint64_t size);

// Points the static fields at a blob holding `wordCount` words of at most
// `maxLength` units; the first id of an added word follows them. A big-endian
// host reads the words from a host-order copy in the lexicon's pool, so that
// Lexicon_GetWord can hand out their text: VANTIR_OUT_OF_MEMORY when that copy
// fails, VANTIR_BAD_BLOB when the blob's unit count is negative, else VANTIR_OK.
int32_t UseStaticPart(Lexicon* lexicon, const unsigned char* blob, int32_t wordCount,
                      int32_t maxLength);
// Back to no static part at all (the host-order copy is released).
void ClearStaticPart(Lexicon* lexicon);

}  // namespace vantir

#endif  // VANTIR_LEXICON_LEXICON_BLOB_H
