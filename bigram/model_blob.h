// A model's "LMB" blob: the structural check against the bytes held, and the
// binding of a model to its blob (array views, count block in and out).
#ifndef VANTIR_BIGRAM_MODEL_BLOB_H
#define VANTIR_BIGRAM_MODEL_BLOB_H

#include <cstdint>

#include "bigram/blob_layout.h"
#include "vantir/bigram.h"

namespace vantir {

// Structural check of a stored "LMB" model blob against the number of bytes the
// host really holds, for blobs loaded from storage that may be damaged.

// True when a blob whose header already names "LMB" version 2 is sound within
// `size` bytes: non-negative counts whose arrays all end inside `size`, rows
// contiguous from slot 0 to pairCount, and within each row successor ids
// strictly ascending and naming words from -1 to N - 1. Reads nothing at or
// past `size`.
bool ModelBlobIsWellFormed(const unsigned char* blob, uint64_t size);

// Binding of a model object to its "LMB" blob: the array views into the blob
// and the transfer of the thirteen counts and statistics at bytes 64..115.

// Points rowStart, successorIds and the three byte arrays into the blob.
void PointArraysInto(BigramModel* model, unsigned char* blob, const ModelBlobLayout& layout);
// Object fields staticCount .. bigramMean from the blob, in order.
void LoadCountBlock(BigramModel* model, const void* blob);
// The same fields from the object into the model's blob.
void StoreCountBlock(BigramModel* model);

}  // namespace vantir

#endif  // VANTIR_BIGRAM_MODEL_BLOB_H
