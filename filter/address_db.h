// The "ADDR" address database: header validation, the parsed view of its arrays
// (word tag lists and the region pair table), and the word tag test.
#ifndef VANTIR_FILTER_ADDRESS_DB_H
#define VANTIR_FILTER_ADDRESS_DB_H

#include <cstdint>

#include "vantir/types.h"

namespace vantir {

// Fixed offsets of the blob after its 64-byte common header.
constexpr uint32_t kAddrTagOffsetCountAt = 64;
constexpr uint32_t kAddrUnusedValueAt = 68;
constexpr uint32_t kAddrRegionPairCountAt = 72;
constexpr uint32_t kAddrArraysStart = 76;

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

// Fills session->addressView from session->addressDb.
void ParseAddressDb(FilterSession* session);

// 1 when word `word` carries the tag (low 8 bits of `tag`), else 0.
int32_t HasTag(const FilterSession* session, WordId word, int32_t tag);

enum class RegionSide { kUpper, kLower };

// First byte of the name of region pair `pair` (below P) on one side. Its
// units are read with LoadUnitAt and end at a 0 unit.
const unsigned char* RegionNameStart(const AddressDbView& view, RegionSide side, uint32_t pair);

// Copies the name with its 0 unit into `buffer` when it fits in `capacity`
// units and returns its length; otherwise returns -1 and leaves an empty text.
int32_t CopyRegionName(const AddressDbView& view, RegionSide side, uint32_t pair, char16_t* buffer,
                       int32_t capacity);

}  // namespace vantir

#endif  // VANTIR_FILTER_ADDRESS_DB_H
