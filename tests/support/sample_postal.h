// A postal blob ("PST") for the small address world of sample_blobs.h: its
// districts and roads with ranges of every kind, and a road no word names.
#ifndef VANTIR_TESTS_SUPPORT_SAMPLE_POSTAL_H
#define VANTIR_TESTS_SUPPORT_SAMPLE_POSTAL_H

#include <cstdint>
#include <string>
#include <vector>

#include "address/postal_blob.h"
#include "address/postal_blob_writer.h"

namespace vantir::testing {

inline PostalSourceRange SampleRange(uint16_t lane, uint16_t alley, uint16_t low, uint8_t lowPart,
                                     uint16_t high, uint8_t highPart, uint8_t flags, int32_t code) {
    PostalSourceRange range;
    range.lane = lane;
    range.alley = alley;
    range.low = low;
    range.lowPart = lowPart;
    range.high = high;
    range.highPart = highPart;
    range.flags = flags;
    range.code = code;
    return range;
}

// 忠孝東路四段 lies in 大安區 up to No. 200 and in 中正區 above it; 中正區
// also holds 忠孝東路 without a section, and 大安區 lane 123 has lines of
// its own.
inline std::vector<uint8_t> SmallPostalBlob() {
    PostalSourceDistrict daan{u"臺北市", u"大安區", {}, {u"無名巷"}};
    daan.roads.push_back(PostalSourceRoad{
        u"忠孝東路",
        4,
        {SampleRange(0, 0, 0, 0, 200, 0, kPstOdd, 10601),
         SampleRange(0, 0, 2, 0, 200, kPstEveryPart, kPstEven, 10602),
         SampleRange(123, 0, 0, 0, kPstHighestNumber, kPstEveryPart, kPstEvery, 10603),
         SampleRange(123, 5, 1, 0, 9, 0, kPstEvery, 10604),
         SampleRange(0, 0, 77, 0, 77, 0, kPstFloorsOnly, 10699)}});
    daan.roads.push_back(PostalSourceRoad{
        u"和平路", 1, {SampleRange(0, 0, 0, 0, kPstHighestNumber, kPstEveryPart, 0, 10605)}});
    PostalSourceDistrict zhongzheng{u"臺北市", u"中正區", {}, {}};
    zhongzheng.roads.push_back(PostalSourceRoad{
        u"忠孝東路", 4, {SampleRange(0, 0, 201, 0, kPstHighestNumber, kPstEveryPart, 0, 10001)}});
    zhongzheng.roads.push_back(
        PostalSourceRoad{u"忠孝東路", 0, {SampleRange(0, 0, 1, 0, 99, 3, 0, 10002)}});
    PostalSourceDistrict taichung{u"臺中市", u"大安區", {}, {}};
    taichung.roads.push_back(PostalSourceRoad{
        u"中山路", 0, {SampleRange(0, 0, 0, 0, kPstHighestNumber, kPstEveryPart, 0, 43901)}});
    std::string error;
    return WritePostalBlob({daan, zhongzheng, taichung}, &error);
}

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_SUPPORT_SAMPLE_POSTAL_H
