// Verification of an "ADDR" blob before a session borrows it: the places that
// ParseAddressDb computes, the tag lists HasTag scans and the names it reads.
#include "filter/address_db_verify.h"

#include "filter/address_db.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

constexpr uint64_t kOffsetBytes = 4;
constexpr uint64_t kUnitBytes = 2;

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
        if (LoadUnitAt(table.names, unit) == 0) return true;
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

bool AddressDbIsSound(const unsigned char* blob, uint64_t size) {
    if (size < kAddrArraysStart) return false;
    const uint32_t tagOffsetCount = LoadU32(blob + kAddrTagOffsetCountAt);
    const uint32_t pairCount = LoadU32(blob + kAddrRegionPairCountAt);
    // Both counts are below 2^32, so none of these sums can overflow.
    const uint64_t upperOffsetsAt = kAddrArraysStart + kOffsetBytes * tagOffsetCount;
    const uint64_t lowerOffsetsAt = upperOffsetsAt + kOffsetBytes * (uint64_t{pairCount} + 1);
    const uint64_t upperNamesAt = lowerOffsetsAt + kOffsetBytes * (uint64_t{pairCount} + 1);
    if (upperNamesAt > size) return false;

    const int64_t upperUnits = LoadI32At(blob + upperOffsetsAt, pairCount);
    const int64_t lowerUnits = LoadI32At(blob + lowerOffsetsAt, pairCount);
    if (upperUnits < 0 || lowerUnits < 0) return false;
    const uint64_t lowerNamesAt = upperNamesAt + kUnitBytes * static_cast<uint64_t>(upperUnits);
    const uint64_t tagBytesAt = lowerNamesAt + kUnitBytes * static_cast<uint64_t>(lowerUnits);
    if (tagBytesAt > size) return false;

    const NameTable upper{blob + upperOffsetsAt, blob + upperNamesAt, pairCount, upperUnits};
    const NameTable lower{blob + lowerOffsetsAt, blob + lowerNamesAt, pairCount, lowerUnits};
    return NameTableIsSound(upper) && NameTableIsSound(lower) &&
           TagOffsetsAreSound(blob + kAddrArraysStart, tagOffsetCount, size - tagBytesAt);
}

}  // namespace vantir
