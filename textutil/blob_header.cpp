// Reading and writing the common 64-byte blob header.
// Tag and magic checks use the library's own comparisons, as every reader does.
#include "textutil/blob_header.h"

#include "textutil/byte_order.h"
#include "vantir/textutil.h"

namespace vantir {

bool BlobHeaderMatches(const void* blob, const char* tag, uint16_t version) {
    const char* bytes = static_cast<const char*>(blob);
    if (StrCompareN(bytes, kBlobMagic, kBlobMagicBytes) != 0) return false;
    if (LoadU16(bytes + kBlobVersionOffset) != version) return false;
    return StrCompare(bytes + kBlobTagOffset, tag) == 0;
}

void WriteBlobHeader(void* blob, uint32_t totalSize, const char* tag, uint16_t version) {
    char* bytes = static_cast<char*>(blob);
    MemFill(bytes, 0, kBlobHeaderSize);
    MemCopyN(bytes, kBlobMagic, kBlobMagicBytes);
    StoreU32(bytes + kBlobTotalSizeOffset, totalSize);
    StoreU32(bytes + kBlobHeaderSizeOffset, kBlobHeaderSize);
    StrCopy(bytes + kBlobTagOffset, tag);
    StoreU16(bytes + kBlobVersionOffset, version);
}

uint32_t BlobUserValue(const void* blob) {
    return LoadU32(static_cast<const char*>(blob) + kBlobUserValueOffset);
}

}  // namespace vantir
