// Attachment of a host's "LMB" blob: header check, counts copied into the
// object, arrays used in place. The blob stays the host's.
#include "bigram/blob_binding.h"
#include "bigram/blob_layout.h"
#include "bigram/model_object.h"
#include "bigram/score_codes.h"
#include "textutil/blob_header.h"
#include "vantir/bigram.h"

using namespace vantir;

namespace {

// Counts that no blob of this format can hold (negative, or sizes beyond the
// i32 range) would make every later index computation overflow; such a blob is
// refused like one with a bad header. The array contents are not examined.
bool CountsAreUsable(const unsigned char* blob) {
    int32_t staticCount = LoadI32(blob + kStaticCountOffset);
    int32_t addedCapacity = LoadI32(blob + kAddedCapacityOffset);
    int32_t pairCount = LoadI32(blob + kPairCountOffset);
    int32_t sparePairs = LoadI32(blob + kSparePairsOffset);
    if (staticCount < 0 || addedCapacity < 0 || pairCount < 0 || sparePairs < 0) return false;
    return BlobCountsFit(static_cast<int64_t>(staticCount) + addedCapacity,
                         static_cast<int64_t>(pairCount) + sparePairs);
}

}  // namespace

extern "C" {

int32_t BigramModel_AttachBlob(BigramModel* model, void* blob) {
    if (model == nullptr) return VANTIR_NULL_OBJECT;
    if (blob == nullptr || HasBlob(model)) return VANTIR_WRONG_STATE;
    unsigned char* bytes = static_cast<unsigned char*>(blob);
    if (!BlobHeaderMatches(bytes, kModelBlobTag, kModelBlobVersion)) return VANTIR_BAD_BLOB;
    if (!CountsAreUsable(bytes)) return VANTIR_BAD_BLOB;

    model->userValue = BlobUserValue(bytes);
    LoadCountBlock(model, bytes);
    PointArraysInto(model, bytes, ComputeBlobLayout(WordCount(model), SlotCapacity(model)));
    model->reservedCopy = model->reserved3;
    model->addedWordDefault = TruncatedMidpoint(model->unigramMid, model->unigramMax);
    model->unigramFloor = model->unigramMin;
    return VANTIR_OK;
}

}  // extern "C"
