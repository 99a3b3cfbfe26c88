// Structural check of a stored "LMB" model blob against the number of bytes the
// host really holds, for blobs loaded from storage that may be damaged.
#ifndef VANTIR_BIGRAM_BLOB_VERIFY_H
#define VANTIR_BIGRAM_BLOB_VERIFY_H

#include <cstdint>

namespace vantir {

// True when a blob whose header already names "LMB" version 2 is sound within
// `size` bytes: non-negative counts whose arrays all end inside `size`, rows
// contiguous from slot 0 to pairCount, and within each row successor ids
// strictly ascending and naming words from -1 to N - 1. Reads nothing at or
// past `size`.
bool ModelBlobIsSound(const unsigned char* blob, uint64_t size);

}  // namespace vantir

#endif  // VANTIR_BIGRAM_BLOB_VERIFY_H
