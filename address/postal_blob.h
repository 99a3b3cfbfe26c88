// Layout of the "PST" postal blob (per district its roads, sections, lanes and
// house-number ranges with their postcodes), its reader and its check.
#ifndef VANTIR_ADDRESS_POSTAL_BLOB_H
#define VANTIR_ADDRESS_POSTAL_BLOB_H

#include <cstdint>

#include "textutil/byte_order.h"
#include "vantir/blob_format.h"

namespace vantir {

// After the 64-byte common header (whose user field holds the set identity of
// the build), every field little-endian:
//   64  u32 name count N
//   68  u32 name unit count U
//   72  u32 district count D
//   76  u32 road count R
//   80  u32 range count G
//   84  u32 absent road count A
//   88  8 bytes of zeros
//   96  N + 1 u32 name starts into the units, from 0 to U, ascending; the
//       names (counties, districts, roads) are distinct and in ascending
//       order of their UTF-16 units
//       U u16 name units, then one zero unit when U is odd
//       D districts of 8 bytes: u16 county name, u16 district name, u16 code
//       (the three digits), u16 second code (0 for none); ascending by county
//       name, then district name
//       D + 1 u32 road starts, from 0 to R, non-decreasing
//       R roads of 4 bytes: u16 name, u8 section (0 for none), u8 zero;
//       ascending by name, then section, within their district
//       R + 1 u32 range starts, from 0 to G, ascending (a road has a range)
//       G ranges of 12 bytes (below)
//       A absent roads of 4 bytes: u16 district, u16 name, ascending: roads
//       the range table lists that the vocabulary lacks, kept for reports
// A range: u16 lane and u16 alley it lies in (0: the road itself), u16 low
// and u16 high number, u8 low and u8 high 之 part, u8 flags, u8 the last two
// digits of the postcode. The numbers from (low, low part) to (high, high
// part) are held, both ends included, where (15, 1) is 15之1 and lies after
// 15 and before 16; kPstEveryPart as the high part holds every 之 number of
// the high one. Flags: the low two bits the parity (kPstEvery, kPstOdd,
// kPstEven), kPstFloorsOnly for a line that gives its code to some floors or
// one wing of a building only, kPstSecondCode when the postcode begins with
// the district's second code.
constexpr char kPostalBlobTag[] = VANTIR_POSTAL_BLOB_TAG;
constexpr uint16_t kPostalBlobVersion = VANTIR_POSTAL_BLOB_VERSION;
constexpr uint32_t kPstNameCountAt = 64;
constexpr uint32_t kPstUnitCountAt = 68;
constexpr uint32_t kPstDistrictCountAt = 72;
constexpr uint32_t kPstRoadCountAt = 76;
constexpr uint32_t kPstRangeCountAt = 80;
constexpr uint32_t kPstAbsentCountAt = 84;
constexpr uint32_t kPstNameStartsAt = 96;
constexpr uint32_t kPstDistrictBytes = 8;
constexpr uint32_t kPstRoadBytes = 4;
constexpr uint32_t kPstRangeBytes = 12;
constexpr uint32_t kPstAbsentBytes = 4;
// Within a range record.
constexpr uint32_t kPstLaneAt = 0;
constexpr uint32_t kPstAlleyAt = 2;
constexpr uint32_t kPstLowAt = 4;
constexpr uint32_t kPstHighAt = 6;
constexpr uint32_t kPstLowPartAt = 8;
constexpr uint32_t kPstHighPartAt = 9;
constexpr uint32_t kPstFlagsAt = 10;
constexpr uint32_t kPstCodeTailAt = 11;

constexpr uint8_t kPstEvery = 0;
constexpr uint8_t kPstOdd = 1;
constexpr uint8_t kPstEven = 2;
constexpr uint8_t kPstParityMask = 3;
constexpr uint8_t kPstFloorsOnly = 4;
constexpr uint8_t kPstSecondCode = 8;
constexpr uint8_t kPstKnownFlags = kPstParityMask | kPstFloorsOnly | kPstSecondCode;
constexpr uint8_t kPstEveryPart = 255;         // as a high part: every 之 number
constexpr uint16_t kPstHighestNumber = 65535;  // an open upper end (以上)
constexpr uint8_t kPstMostCodeTail = 99;
constexpr uint16_t kPstMostDistrictCode = 999;
// Names and districts are numbered in 16 bits; sections go up to 99.
constexpr uint32_t kPstMostNames = 65535;
constexpr uint32_t kPstMostDistricts = 65535;
constexpr uint8_t kPstMostSection = 99;
// Roads, ranges and units all fit 32-bit offsets well below 4 GB.
constexpr uint32_t kPstMostRecords = 1u << 26;

// The counts and the places of the tables of a blob, read in place.
struct PostalView {
    const unsigned char* blob;
    uint32_t nameCount;
    uint32_t unitCount;
    uint32_t districtCount;
    uint32_t roadCount;
    uint32_t rangeCount;
    uint32_t absentCount;
    const unsigned char* nameStarts;
    const unsigned char* units;
    const unsigned char* districts;
    const unsigned char* roadStarts;
    const unsigned char* roads;
    const unsigned char* rangeStarts;
    const unsigned char* ranges;
    const unsigned char* absent;
};

// Bytes of a blob with these counts.
uint64_t PostalBlobBytes(uint32_t names, uint32_t units, uint32_t districts, uint32_t roads,
                         uint32_t ranges, uint32_t absent);

// Header and every table against the `size` bytes held: 0 reads past them.
bool PostalBlobIsWellFormed(const unsigned char* blob, uint64_t size);

// The view of a blob whose header is "PST" of this version, trusting its
// counts as Vantir_AttachPostal does (hosts verify stored blobs first).
bool ReadPostalBlob(const void* blob, PostalView* view);

struct PostalDistrict {
    uint16_t county;  // name index
    uint16_t district;
    uint16_t code;
    uint16_t secondCode;
};

struct PostalRoad {
    uint16_t name;
    uint8_t section;
};

struct PostalRange {
    uint16_t lane;
    uint16_t alley;
    uint16_t low;
    uint16_t high;
    uint8_t lowPart;
    uint8_t highPart;
    uint8_t flags;
    uint8_t codeTail;
};

inline PostalDistrict DistrictAt(const PostalView& view, uint32_t index) {
    const unsigned char* at = view.districts + uint64_t{index} * kPstDistrictBytes;
    return PostalDistrict{LoadU16(at), LoadU16(at + 2), LoadU16(at + 4), LoadU16(at + 6)};
}
inline uint32_t RoadStart(const PostalView& view, uint32_t district) {
    return LoadU32(view.roadStarts + uint64_t{district} * 4);
}
inline PostalRoad RoadAt(const PostalView& view, uint32_t index) {
    const unsigned char* at = view.roads + uint64_t{index} * kPstRoadBytes;
    return PostalRoad{LoadU16(at), at[2]};
}
inline uint32_t RangeStart(const PostalView& view, uint32_t road) {
    return LoadU32(view.rangeStarts + uint64_t{road} * 4);
}
inline PostalRange RangeAt(const PostalView& view, uint32_t index) {
    const unsigned char* at = view.ranges + uint64_t{index} * kPstRangeBytes;
    return PostalRange{LoadU16(at + kPstLaneAt), LoadU16(at + kPstAlleyAt), LoadU16(at + kPstLowAt),
                       LoadU16(at + kPstHighAt), at[kPstLowPartAt],         at[kPstHighPartAt],
                       at[kPstFlagsAt],          at[kPstCodeTailAt]};
}
inline uint32_t NameStart(const PostalView& view, uint32_t name) {
    return LoadU32(view.nameStarts + uint64_t{name} * 4);
}

// Name `name`'s units (read with LoadU16 at units + 2k) and its length.
const unsigned char* PostalName(const PostalView& view, uint32_t name, int32_t* length);

// The index of the name spelled by units[0..length-1] (native char16_t), or -1.
int32_t FindPostalName(const PostalView& view, const char16_t* units, int32_t length);

// The five-digit postcode a range gives in its district.
inline int32_t RangeCode(const PostalDistrict& district, const PostalRange& range) {
    const int32_t head = (range.flags & kPstSecondCode) != 0 ? district.secondCode : district.code;
    return head * 100 + range.codeTail;
}

}  // namespace vantir

#endif  // VANTIR_ADDRESS_POSTAL_BLOB_H
