// Structural check of a stored "WPB" lexicon blob against the number of bytes
// the host really holds, for blobs loaded from storage that may be damaged.
#ifndef VANTIR_LEXICON_BLOB_VERIFY_H
#define VANTIR_LEXICON_BLOB_VERIFY_H

#include <cstdint>

namespace vantir {

// True when a blob whose header already names "WPB" version 2 is sound within
// `size` bytes: both counts in range, the offset tables start at 0 and agree
// with each other and with the word count, the words lie inside `size`, hold
// no 0 unit, and every length bucket is strictly ascending in lexicon order.
// Reads nothing at or past `size`.
bool LexiconBlobIsSound(const unsigned char* blob, uint64_t size);

}  // namespace vantir

#endif  // VANTIR_LEXICON_BLOB_VERIFY_H
