// The 64-byte header that begins every stored blob ("ADDR", "LMB", "WPB"):
// magic, sizes, tag, version and the user field, with its reader and writer.
#ifndef VANTIR_TEXTUTIL_BLOB_HEADER_H
#define VANTIR_TEXTUTIL_BLOB_HEADER_H

#include <cstdint>

#include "vantir/blob_format.h"

namespace vantir {

// The header's fields as the public header places them; each format's tag and
// version sit beside its own layout.
constexpr uint32_t kBlobHeaderSize = VANTIR_BLOB_HEADER_SIZE;
constexpr uint32_t kBlobTotalSizeOffset = VANTIR_BLOB_TOTAL_SIZE_OFFSET;
constexpr uint32_t kBlobHeaderSizeOffset = VANTIR_BLOB_HEADER_SIZE_OFFSET;
constexpr uint32_t kBlobTagOffset = VANTIR_BLOB_TAG_OFFSET;
constexpr uint32_t kBlobVersionOffset = VANTIR_BLOB_VERSION_OFFSET;
constexpr uint32_t kBlobUserValueOffset = VANTIR_BLOB_USER_VALUE_OFFSET;
constexpr char kBlobMagic[] = VANTIR_BLOB_MAGIC;  // compared over its 4 bytes, no terminator
constexpr int32_t kBlobMagicBytes = VANTIR_BLOB_MAGIC_BYTES;

// True when the magic matches over 4 bytes, the NUL-terminated tag at 12 equals
// `tag` through its terminator, and the unsigned 16-bit version equals `version`.
// The size fields are not examined.
bool BlobHeaderMatches(const void* blob, const char* tag, uint16_t version);

// Zeroes the 64 header bytes and writes magic, total size, 64, tag, version and
// a user field of 0.
void WriteBlobHeader(void* blob, uint32_t totalSize, const char* tag, uint16_t version);

uint32_t BlobUserValue(const void* blob);

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_BLOB_HEADER_H
