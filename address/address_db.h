// The "ADDR" address database: its byte layout, the parsed view of its arrays read
// in place, the word tag test, region names, and the structural check of a blob.
#ifndef VANTIR_ADDRESS_ADDRESS_DB_H
#define VANTIR_ADDRESS_ADDRESS_DB_H

#include <cstdint>

#include "vantir/blob_format.h"
#include "vantir/types.h"

namespace vantir {

constexpr char kAddressDbTag[] = VANTIR_ADDRESS_DB_TAG;
constexpr uint16_t kAddressDbVersion = VANTIR_ADDRESS_DB_VERSION;

// Fixed offsets of the blob after its 64-byte common header. The arrays follow
// back to back: T word tag offsets (i32), P + 1 upper and P + 1 lower name
// offsets (i32, in units), the upper and lower name areas (UTF-16 units, each
// name 0-terminated), then the tag bytes.
constexpr uint32_t kAddrTagOffsetCountAt = 64;
constexpr uint32_t kAddrUnusedValueAt = 68;
constexpr uint32_t kAddrRegionPairCountAt = 72;
constexpr uint32_t kAddrArraysStart = 76;
constexpr uint64_t kAddrOffsetBytes = 4;  // one entry of an offsets array
constexpr uint64_t kAddrUnitBytes = 2;    // one code unit of a name area

// Pointers into the host's blob, which is read in place at any alignment: the
// 32-bit arrays and the 16-bit name areas are read through byte-safe loads.
struct AddressDbView {
    const unsigned char* blob;
    uint32_t tagOffsetCount;                // T: word w has tags when 0 <= w <= T - 2
    uint32_t unusedValue;                   // kept from offset 68, used by nothing
    uint32_t regionPairCount;               // P
    const unsigned char* wordTagOffsets;    // T x i32
    const unsigned char* tagBytes;          // TagCode bytes
    const unsigned char* upperNameOffsets;  // (P + 1) x i32, in units
    const unsigned char* lowerNameOffsets;  // (P + 1) x i32, in units
    const unsigned char* upperNames;        // UTF-16 units, each name 0-terminated
    const unsigned char* lowerNames;
};

// 1 when magic, tag "ADDR" and version 1 match, else -1. Sizes are not examined.
int32_t ValidateAddressDb(const void* blob);

// Fills `view` from a blob whose header ValidateAddressDb accepted.
void ParseAddressDb(const void* blob, AddressDbView* view);

// 1 when word `word` carries the tag (low 8 bits of `tag`), else 0.
int32_t HasTag(const AddressDbView& view, WordId word, int32_t tag);

// True when word `word` carries at least one tag.
bool HasAnyTag(const AddressDbView& view, WordId word);

// The word's tags below kTagBitCount as bits (bit t: tag t), read in one pass
// for callers that test many tags of one word; as HasTag, a word the table
// does not cover has none.
constexpr int32_t kTagBitCount = 64;
uint64_t TagBitsOf(const AddressDbView& view, WordId word);
constexpr uint64_t TagBit(int32_t tag) {
    return uint64_t{1} << tag;
}

enum class RegionSide { kUpper, kLower };

// First byte of the name of region pair `pair` (below P) on one side. Its
// units are read with LoadStoredUnitAt and end at a 0 unit.
const unsigned char* RegionNameStart(const AddressDbView& view, RegionSide side, uint32_t pair);

// Copies the name with its 0 unit into `buffer` when it fits in `capacity`
// units and returns its length; otherwise returns -1 and leaves an empty text.
int32_t CopyRegionName(const AddressDbView& view, RegionSide side, uint32_t pair, char16_t* buffer,
                       int32_t capacity);

// True when a blob whose header already names "ADDR" version 1 is sound within
// `size` bytes: the offsets arrays and both name areas end inside `size`, the
// tag offsets are non-decreasing within the tag bytes that follow, the name
// offsets are non-decreasing inside their area, and every region name ends
// with a 0 unit inside its area. Reads nothing at or past `size`.
bool AddressDbIsWellFormed(const unsigned char* blob, uint64_t size);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_ADDRESS_DB_H
