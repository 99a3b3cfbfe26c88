// Reading and checking the "PST" postal blob in place: the counts, the order of
// names, districts and roads, every range's bounds, and the name look-up.
#include "address/postal_blob.h"

#include "textutil/blob_header.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

uint64_t UnitBytes(uint32_t units) {
    return (uint64_t{units} + (units & 1u)) * 2;
}

void PlaceTables(const unsigned char* blob, PostalView* view) {
    view->blob = blob;
    view->nameCount = LoadU32(blob + kPstNameCountAt);
    view->unitCount = LoadU32(blob + kPstUnitCountAt);
    view->districtCount = LoadU32(blob + kPstDistrictCountAt);
    view->roadCount = LoadU32(blob + kPstRoadCountAt);
    view->rangeCount = LoadU32(blob + kPstRangeCountAt);
    view->absentCount = LoadU32(blob + kPstAbsentCountAt);
    view->nameStarts = blob + kPstNameStartsAt;
    view->units = view->nameStarts + (uint64_t{view->nameCount} + 1) * 4;
    view->districts = view->units + UnitBytes(view->unitCount);
    view->roadStarts = view->districts + uint64_t{view->districtCount} * kPstDistrictBytes;
    view->roads = view->roadStarts + (uint64_t{view->districtCount} + 1) * 4;
    view->rangeStarts = view->roads + uint64_t{view->roadCount} * kPstRoadBytes;
    view->ranges = view->rangeStarts + (uint64_t{view->roadCount} + 1) * 4;
    view->absent = view->ranges + uint64_t{view->rangeCount} * kPstRangeBytes;
}

bool CountsAreSound(const PostalView& view) {
    return view.nameCount <= kPstMostNames && view.districtCount <= kPstMostDistricts &&
           view.unitCount <= kPstMostRecords && view.roadCount <= kPstMostRecords &&
           view.rangeCount <= kPstMostRecords && view.absentCount <= kPstMostRecords;
}

// Negative, 0 or positive as name a sorts before, with or after name b.
int32_t CompareNames(const PostalView& view, uint32_t a, uint32_t b) {
    int32_t lengthA = 0;
    int32_t lengthB = 0;
    const unsigned char* unitsA = PostalName(view, a, &lengthA);
    const unsigned char* unitsB = PostalName(view, b, &lengthB);
    for (int32_t i = 0; i < lengthA && i < lengthB; ++i) {
        const int32_t ua = LoadU16(unitsA + 2 * i);
        const int32_t ub = LoadU16(unitsB + 2 * i);
        if (ua != ub) return ua - ub;
    }
    return lengthA - lengthB;
}

bool NamesAreSound(const PostalView& view) {
    if (NameStart(view, 0) != 0 || NameStart(view, view.nameCount) != view.unitCount) return false;
    for (uint32_t n = 0; n < view.nameCount; ++n) {
        const uint32_t start = NameStart(view, n);
        const uint32_t end = NameStart(view, n + 1);
        if (end <= start || end > view.unitCount) return false;  // a name has units
        if (n > 0 && CompareNames(view, n - 1, n) >= 0) return false;
    }
    return true;
}

bool DistrictsAreSound(const PostalView& view) {
    for (uint32_t d = 0; d < view.districtCount; ++d) {
        const PostalDistrict district = DistrictAt(view, d);
        if (district.county >= view.nameCount || district.district >= view.nameCount) return false;
        if (district.code > kPstMostDistrictCode || district.secondCode > kPstMostDistrictCode) {
            return false;
        }
        if (d == 0) continue;
        const PostalDistrict before = DistrictAt(view, d - 1);
        if (before.county > district.county ||
            (before.county == district.county && before.district >= district.district)) {
            return false;
        }
    }
    return true;
}

bool StartsAreSound(const unsigned char* starts, uint32_t count, uint32_t total, bool strict) {
    if (LoadU32(starts) != 0 || LoadU32(starts + uint64_t{count} * 4) != total) return false;
    for (uint32_t k = 0; k < count; ++k) {
        const uint32_t start = LoadU32(starts + uint64_t{k} * 4);
        const uint32_t end = LoadU32(starts + (uint64_t{k} + 1) * 4);
        if (end < start || end > total || (strict && end == start)) return false;
    }
    return true;
}

bool RoadsAreSound(const PostalView& view) {
    if (!StartsAreSound(view.roadStarts, view.districtCount, view.roadCount, false)) return false;
    for (uint32_t d = 0; d < view.districtCount; ++d) {
        for (uint32_t r = RoadStart(view, d); r < RoadStart(view, d + 1); ++r) {
            const PostalRoad road = RoadAt(view, r);
            if (road.name >= view.nameCount || road.section > kPstMostSection) return false;
            if (view.roads[uint64_t{r} * kPstRoadBytes + 3] != 0) return false;
            if (r == RoadStart(view, d)) continue;
            const PostalRoad before = RoadAt(view, r - 1);
            if (before.name > road.name ||
                (before.name == road.name && before.section >= road.section)) {
                return false;
            }
        }
    }
    return true;
}

bool RangesAreSound(const PostalView& view) {
    if (!StartsAreSound(view.rangeStarts, view.roadCount, view.rangeCount, true)) return false;
    for (uint32_t g = 0; g < view.rangeCount; ++g) {
        const PostalRange range = RangeAt(view, g);
        if ((range.flags & ~kPstKnownFlags) != 0) return false;
        if ((range.flags & kPstParityMask) > kPstEven) return false;
        if (range.codeTail > kPstMostCodeTail) return false;
        if (range.low > range.high || (range.low == range.high && range.lowPart > range.highPart)) {
            return false;
        }
    }
    return true;
}

bool AbsentAreSound(const PostalView& view) {
    uint32_t previous = 0;
    for (uint32_t a = 0; a < view.absentCount; ++a) {
        const uint32_t record = LoadU32(view.absent + uint64_t{a} * kPstAbsentBytes);
        if ((record & 0xFFFFu) >= view.districtCount || (record >> 16) >= view.nameCount) {
            return false;
        }
        // District in the low half, name in the high one: ascending by district.
        const uint32_t key = (record & 0xFFFFu) << 16 | record >> 16;
        if (a > 0 && key <= previous) return false;
        previous = key;
    }
    return true;
}

}  // namespace

uint64_t PostalBlobBytes(uint32_t names, uint32_t units, uint32_t districts, uint32_t roads,
                         uint32_t ranges, uint32_t absent) {
    return uint64_t{kPstNameStartsAt} + (uint64_t{names} + 1) * 4 + UnitBytes(units) +
           uint64_t{districts} * kPstDistrictBytes + (uint64_t{districts} + 1) * 4 +
           uint64_t{roads} * kPstRoadBytes + (uint64_t{roads} + 1) * 4 +
           uint64_t{ranges} * kPstRangeBytes + uint64_t{absent} * kPstAbsentBytes;
}

bool PostalBlobIsWellFormed(const unsigned char* blob, uint64_t size) {
    if (size < kPstNameStartsAt) return false;
    if (!BlobHeaderMatches(blob, kPostalBlobTag, kPostalBlobVersion)) return false;
    PostalView view;
    PlaceTables(blob, &view);
    if (!CountsAreSound(view)) return false;
    const uint64_t bytes = PostalBlobBytes(view.nameCount, view.unitCount, view.districtCount,
                                           view.roadCount, view.rangeCount, view.absentCount);
    if (bytes > size) return false;
    for (uint32_t at = kPstAbsentCountAt + 4; at < kPstNameStartsAt; ++at) {
        if (blob[at] != 0) return false;
    }
    return NamesAreSound(view) && DistrictsAreSound(view) && RoadsAreSound(view) &&
           RangesAreSound(view) && AbsentAreSound(view);
}

bool ReadPostalBlob(const void* blob, PostalView* view) {
    if (blob == nullptr || !BlobHeaderMatches(blob, kPostalBlobTag, kPostalBlobVersion)) {
        return false;
    }
    PlaceTables(static_cast<const unsigned char*>(blob), view);
    return CountsAreSound(*view);
}

const unsigned char* PostalName(const PostalView& view, uint32_t name, int32_t* length) {
    const uint32_t start = NameStart(view, name);
    *length = static_cast<int32_t>(NameStart(view, name + 1) - start);
    return view.units + uint64_t{start} * 2;
}

int32_t FindPostalName(const PostalView& view, const char16_t* units, int32_t length) {
    uint32_t low = 0;
    uint32_t high = view.nameCount;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        int32_t nameLength = 0;
        const unsigned char* name = PostalName(view, mid, &nameLength);
        int32_t order = 0;
        for (int32_t i = 0; i < nameLength && i < length && order == 0; ++i)
            order = int32_t{LoadU16(name + 2 * i)} - int32_t{units[i]};
        if (order == 0) order = nameLength - length;
        if (order == 0) return static_cast<int32_t>(mid);
        if (order < 0) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return -1;
}

}  // namespace vantir
