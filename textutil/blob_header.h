// The 64-byte header that begins every stored blob ("ADDR", "LMB", "WPB"):
// magic, sizes, tag, version and the user field, with its reader and writer.
#ifndef VANTIR_TEXTUTIL_BLOB_HEADER_H
#define VANTIR_TEXTUTIL_BLOB_HEADER_H

#include <cstdint>

namespace vantir {

constexpr uint32_t kBlobHeaderSize = 64;
constexpr uint32_t kBlobTotalSizeOffset = 4;
constexpr uint32_t kBlobHeaderSizeOffset = 8;
constexpr uint32_t kBlobTagOffset = 12;
constexpr uint32_t kBlobVersionOffset = 20;
constexpr uint32_t kBlobUserValueOffset = 28;
constexpr char kBlobMagic[] = "KRVF";  // compared over its 4 bytes, no terminator

constexpr uint16_t kAddressDbVersion = 1;
constexpr uint16_t kModelBlobVersion = 2;
constexpr uint16_t kLexiconBlobVersion = 2;

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
