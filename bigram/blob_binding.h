// Binding of a model object to its "LMB" blob: the array views into the blob
// and the transfer of the thirteen counts and statistics at bytes 64..115.
#ifndef VANTIR_BIGRAM_BLOB_BINDING_H
#define VANTIR_BIGRAM_BLOB_BINDING_H

#include "bigram/blob_layout.h"
#include "vantir/bigram.h"

namespace vantir {

// Points rowStart, successorIds and the three byte arrays into the blob.
void PointArraysInto(BigramModel* model, unsigned char* blob, const ModelBlobLayout& layout);
// Object fields staticCount .. bigramMean from the blob, in order.
void LoadCountBlock(BigramModel* model, const void* blob);
// The same fields from the object into the model's blob.
void StoreCountBlock(BigramModel* model);

}  // namespace vantir

#endif  // VANTIR_BIGRAM_BLOB_BINDING_H
