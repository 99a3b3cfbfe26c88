// Reading the "ADDR" blob in place: header check, the view of its arrays, the
// linear tag test that drives the grammar, and the structural check of a blob.
#include "address/address_db.h"

#include "textutil/blob_header.h"
#include "textutil/byte_order.h"

namespace vantir {

int32_t ValidateAddressDb(const void* blob) {
    return BlobHeaderMatches(blob, kAddressDbTag, kAddressDbVersion) ? 1 : -1;
}

void ParseAddressDb(const void* blob, AddressDbView* out) {
    AddressDbView& view = *out;
    const unsigned char* bytes = static_cast<const unsigned char*>(blob);
    view.blob = bytes;
    view.tagOffsetCount = LoadU32(bytes + kAddrTagOffsetCountAt);
    view.unusedValue = LoadU32(bytes + kAddrUnusedValueAt);
    view.regionPairCount = LoadU32(bytes + kAddrRegionPairCountAt);

    // Counts come from the blob; 64-bit arithmetic keeps the starts exact.
    const uint64_t tagOffsetCount = view.tagOffsetCount;
    const uint64_t pairOffsetCount = uint64_t{view.regionPairCount} + 1;
    view.wordTagOffsets = bytes + kAddrArraysStart;
    view.upperNameOffsets = view.wordTagOffsets + kAddrOffsetBytes * tagOffsetCount;
    view.lowerNameOffsets = view.upperNameOffsets + kAddrOffsetBytes * pairOffsetCount;
    view.upperNames = view.lowerNameOffsets + kAddrOffsetBytes * pairOffsetCount;
    const int64_t upperUnits = LoadI32At(view.upperNameOffsets, view.regionPairCount);
    view.lowerNames = view.upperNames + int64_t{kAddrUnitBytes} * upperUnits;
    const int64_t lowerUnits = LoadI32At(view.lowerNameOffsets, view.regionPairCount);
    view.tagBytes = view.lowerNames + int64_t{kAddrUnitBytes} * lowerUnits;
}

int32_t HasTag(const AddressDbView& view, WordId word, int32_t tag) {
    // Word w is covered when offsets w and w + 1 both exist.
    if (word < 0 || int64_t{word} + 2 > int64_t{view.tagOffsetCount}) return 0;
    const int32_t start = LoadI32At(view.wordTagOffsets, word);
    const int32_t end = LoadI32At(view.wordTagOffsets, int64_t{word} + 1);
    // A negative start would point before the tag bytes: treat it as no tags.
    if (start < 0 || start >= end) return 0;
    const unsigned char wanted = static_cast<unsigned char>(tag & 0xFF);
    for (int32_t i = start; i < end; ++i) {
        if (view.tagBytes[i] == wanted) return 1;
    }
    return 0;
}

bool HasAnyTag(const AddressDbView& view, WordId word) {
    if (word < 0 || int64_t{word} + 2 > int64_t{view.tagOffsetCount}) return false;
    const int32_t start = LoadI32At(view.wordTagOffsets, word);
    const int32_t end = LoadI32At(view.wordTagOffsets, int64_t{word} + 1);
    return start >= 0 && start < end;
}

uint64_t TagBitsOf(const AddressDbView& view, WordId word) {
    if (word < 0 || int64_t{word} + 2 > int64_t{view.tagOffsetCount}) return 0;
    const int32_t start = LoadI32At(view.wordTagOffsets, word);
    const int32_t end = LoadI32At(view.wordTagOffsets, int64_t{word} + 1);
    if (start < 0 || start >= end) return 0;
    uint64_t bits = 0;
    for (int32_t i = start; i < end; ++i) {
        if (view.tagBytes[i] < kTagBitCount) bits |= uint64_t{1} << view.tagBytes[i];
    }
    return bits;
}

const unsigned char* RegionNameStart(const AddressDbView& view, RegionSide side, uint32_t pair) {
    const bool upper = side == RegionSide::kUpper;
    const unsigned char* offsets = upper ? view.upperNameOffsets : view.lowerNameOffsets;
    const unsigned char* names = upper ? view.upperNames : view.lowerNames;
    return names + int64_t{kAddrUnitBytes} * LoadI32At(offsets, pair);
}

int32_t CopyRegionName(const AddressDbView& view, RegionSide side, uint32_t pair, char16_t* buffer,
                       int32_t capacity) {
    if (capacity <= 0) return -1;
    const unsigned char* name = RegionNameStart(view, side, pair);
    for (int32_t i = 0; i < capacity; ++i) {
        buffer[i] = LoadStoredUnitAt(name, i);
        if (buffer[i] == 0) return i;
    }
    buffer[0] = 0;
    return -1;
}

// Verification before a session borrows a blob: the places that ParseAddressDb
// computes, the tag lists HasTag scans and the names it reads.
namespace {

// One side of the region pair table: P + 1 offsets into an area of `units`
// code units, the last offset being the area's length.
struct NameTable {
    const unsigned char* offsets;
    const unsigned char* names;
    uint32_t pairCount;
    int64_t units;
};

// Offsets non-decreasing from 0 up, every name starting inside the area, and a
// 0 unit at or after the start of the last name (offsets do not fall, so every
// earlier name ends at that 0 unit at the latest).
bool NameTableIsSound(const NameTable& table) {
    int64_t previous = 0;
    for (uint32_t i = 0; i < table.pairCount; i++) {
        const int64_t start = LoadI32At(table.offsets, i);
        if (start < previous || start >= table.units) return false;
        previous = start;
    }
    if (table.pairCount == 0) return true;
    for (int64_t unit = table.units - 1; unit >= previous; unit--) {
        if (LoadStoredUnitAt(table.names, unit) == 0) return true;
    }
    return false;
}

bool TagOffsetsAreSound(const unsigned char* offsets, uint32_t count, uint64_t tagBytes) {
    int64_t previous = 0;
    for (uint32_t w = 0; w < count; w++) {
        const int64_t offset = LoadI32At(offsets, w);
        if (offset < previous || static_cast<uint64_t>(offset) > tagBytes) return false;
        previous = offset;
    }
    return true;
}

}  // namespace

bool AddressDbIsWellFormed(const unsigned char* blob, uint64_t size) {
    if (size < kAddrArraysStart) return false;
    const uint32_t tagOffsetCount = LoadU32(blob + kAddrTagOffsetCountAt);
    const uint32_t pairCount = LoadU32(blob + kAddrRegionPairCountAt);
    // Both counts are below 2^32, so none of these sums can overflow.
    const uint64_t upperOffsetsAt = kAddrArraysStart + kAddrOffsetBytes * tagOffsetCount;
    const uint64_t lowerOffsetsAt = upperOffsetsAt + kAddrOffsetBytes * (uint64_t{pairCount} + 1);
    const uint64_t upperNamesAt = lowerOffsetsAt + kAddrOffsetBytes * (uint64_t{pairCount} + 1);
    if (upperNamesAt > size) return false;

    const int64_t upperUnits = LoadI32At(blob + upperOffsetsAt, pairCount);
    const int64_t lowerUnits = LoadI32At(blob + lowerOffsetsAt, pairCount);
    if (upperUnits < 0 || lowerUnits < 0) return false;
    const uint64_t lowerNamesAt = upperNamesAt + kAddrUnitBytes * static_cast<uint64_t>(upperUnits);
    const uint64_t tagBytesAt = lowerNamesAt + kAddrUnitBytes * static_cast<uint64_t>(lowerUnits);
    if (tagBytesAt > size) return false;

    const NameTable upper{blob + upperOffsetsAt, blob + upperNamesAt, pairCount, upperUnits};
    const NameTable lower{blob + lowerOffsetsAt, blob + lowerNamesAt, pairCount, lowerUnits};
    return NameTableIsSound(upper) && NameTableIsSound(lower) &&
           TagOffsetsAreSound(blob + kAddrArraysStart, tagOffsetCount, size - tagBytesAt);
}

}  // namespace vantir
