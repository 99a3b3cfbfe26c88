// Reading the "ADDR" blob in place: header check, the view of its arrays, and
// the linear tag test that drives the grammar, ranking and composition.
#include "filter/address_db.h"

#include "filter/session.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"

namespace vantir {

int32_t ValidateAddressDb(const void* blob) {
    return BlobHeaderMatches(blob, "ADDR", kAddressDbVersion) ? 1 : -1;
}

void ParseAddressDb(FilterSession* session) {
    AddressDbView& view = session->addressView;
    const unsigned char* blob = static_cast<const unsigned char*>(session->addressDb);
    view.blob = blob;
    view.tagOffsetCount = LoadU32(blob + kAddrTagOffsetCountAt);
    view.unusedValue = LoadU32(blob + kAddrUnusedValueAt);
    view.regionPairCount = LoadU32(blob + kAddrRegionPairCountAt);

    // Counts come from the blob; 64-bit arithmetic keeps the starts exact.
    const uint64_t tagOffsetCount = view.tagOffsetCount;
    const uint64_t pairOffsetCount = uint64_t{view.regionPairCount} + 1;
    view.wordTagOffsets = blob + kAddrArraysStart;
    view.upperNameOffsets = view.wordTagOffsets + 4 * tagOffsetCount;
    view.lowerNameOffsets = view.upperNameOffsets + 4 * pairOffsetCount;
    view.upperNames = view.lowerNameOffsets + 4 * pairOffsetCount;
    const int64_t upperUnits = LoadI32At(view.upperNameOffsets, view.regionPairCount);
    view.lowerNames = view.upperNames + 2 * upperUnits;
    const int64_t lowerUnits = LoadI32At(view.lowerNameOffsets, view.regionPairCount);
    view.tagBytes = view.lowerNames + 2 * lowerUnits;
}

int32_t HasTag(const FilterSession* session, WordId word, int32_t tag) {
    const AddressDbView& view = session->addressView;
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

const unsigned char* RegionNameStart(const AddressDbView& view, RegionSide side, uint32_t pair) {
    const bool upper = side == RegionSide::kUpper;
    const unsigned char* offsets = upper ? view.upperNameOffsets : view.lowerNameOffsets;
    const unsigned char* names = upper ? view.upperNames : view.lowerNames;
    return names + 2 * int64_t{LoadI32At(offsets, pair)};
}

int32_t CopyRegionName(const AddressDbView& view, RegionSide side, uint32_t pair, char16_t* buffer,
                       int32_t capacity) {
    if (capacity <= 0) return -1;
    const unsigned char* name = RegionNameStart(view, side, pair);
    for (int32_t i = 0; i < capacity; ++i) {
        buffer[i] = LoadUnitAt(name, i);
        if (buffer[i] == 0) return i;
    }
    buffer[0] = 0;
    return -1;
}

}  // namespace vantir
