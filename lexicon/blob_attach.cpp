// Giving a lexicon a stored "WPB" blob: a header check and a few assignments;
// the blob stays the caller's, read in place (a big-endian host copies its words).
#include "lexicon/blob_layout.h"
#include "lexicon/lexicon_memory.h"
#include "lexicon/lexicon_object.h"
#include "mempool/object_memory.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/lexicon.h"

namespace vantir {

int32_t UseStaticPart(Lexicon* lexicon, const unsigned char* blob, int32_t wordCount,
                      int32_t maxLength) {
    ClearStaticPart(lexicon);
    const unsigned char* charOffsets = blob + kWpbCharOffsetsAt;
    const unsigned char* units = blob + WpbUnitsAt(maxLength);
    if constexpr (!kHostIsLittleEndian) {
        const int32_t unitCount = LoadI32At(charOffsets, maxLength);
        if (unitCount < 0) return VANTIR_BAD_BLOB;
        // One unit more than the words hold keeps the allocation non-empty.
        char16_t* copy = static_cast<char16_t*>(
            AllocArray(lexicon->pool, int64_t{unitCount} + 1, sizeof(char16_t)));
        if (copy == nullptr) return VANTIR_OUT_OF_MEMORY;
        LoadStoredUnits(copy, units, unitCount);
        lexicon->hostChars = copy;
        units = reinterpret_cast<const unsigned char*>(copy);
    }
    lexicon->staticCount = wordCount;
    lexicon->staticMaxLength = maxLength;
    lexicon->charOffsets = charOffsets;
    lexicon->idOffsets = blob + WpbIdOffsetsAt(maxLength);
    lexicon->staticChars = units;
    lexicon->nextId = wordCount;
    return VANTIR_OK;
}

void ClearStaticPart(Lexicon* lexicon) {
    ObjectFree(lexicon->pool, lexicon->hostChars);
    lexicon->hostChars = nullptr;
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
// lexicon reads it byte by byte, but Lexicon_GetWord hands out pointers into it
// (into the host-order copy on a big-endian host, where attaching allocates).
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
    const int32_t status = UseStaticPart(lexicon, bytes, wordCount, maxLength);
    if (status != VANTIR_OK) return status;
    lexicon->userValue = BlobUserValue(blob);
    return wordCount;
}

}  // extern "C"
