// Giving a lexicon a stored "WPB" blob: a header check and a few assignments;
// the blob stays the caller's and is read in place.
#include "lexicon/blob_layout.h"
#include "lexicon/lexicon_object.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/lexicon.h"

namespace vantir {

void UseStaticPart(Lexicon* lexicon, const unsigned char* blob, int32_t wordCount,
                   int32_t maxLength) {
    lexicon->staticCount = wordCount;
    lexicon->staticMaxLength = maxLength;
    lexicon->charOffsets = blob + kWpbCharOffsetsAt;
    lexicon->idOffsets = blob + WpbIdOffsetsAt(maxLength);
    lexicon->staticChars = blob + WpbUnitsAt(maxLength);
    lexicon->nextId = wordCount;
}

void ClearStaticPart(Lexicon* lexicon) {
    lexicon->staticCount = 0;
    lexicon->staticMaxLength = 0;
    lexicon->charOffsets = nullptr;
    lexicon->idOffsets = nullptr;
    lexicon->staticChars = nullptr;
    lexicon->nextId = 0;
}

}  // namespace vantir

using namespace vantir;

extern "C" {

// The blob should start at a 4-byte aligned address, as its format asks: the
// lexicon reads it byte by byte, but Lexicon_GetWord hands out pointers into it.
int32_t Lexicon_AttachBlob(Lexicon* lexicon, const void* blob) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    if (blob == nullptr) return VANTIR_INVALID_ARGUMENT;
    if (HasAddedBuffers(lexicon)) return VANTIR_WRONG_STATE;
    if (!BlobHeaderMatches(blob, kLexiconBlobTag, kLexiconBlobVersion)) return VANTIR_BAD_BLOB;
    const unsigned char* bytes = static_cast<const unsigned char*>(blob);
    const int32_t wordCount = LoadI32(bytes + kWpbWordCountAt);
    const int32_t maxLength = LoadI32(bytes + kWpbMaxLengthAt);
    // No build writes counts outside these bounds; tables sized from such
    // counts would lie far outside any blob.
    if (wordCount < 0 || maxLength < 0 || maxLength > kMaxStaticWordLength) return VANTIR_BAD_BLOB;
    lexicon->userValue = BlobUserValue(blob);
    UseStaticPart(lexicon, bytes, wordCount, maxLength);
    return wordCount;
}

}  // extern "C"
