// The range rules of the postal blob: every shape of house-number text the
// postal table writes, read by the build and answered by the look-ups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "address/postal_blob.h"
#include "address/postal_blob_writer.h"
#include "address/postal_lookup.h"
#include "tools/compile/postal_source.h"
#include "vantir/vantir.hpp"

using namespace vantir;
using vantir::tools::ParseRangeText;

namespace {

// Where an address lies on the one road of the test blobs.
struct Place {
    int32_t number = 0;
    int32_t part = 0;
    int32_t lane = 0;
    int32_t alley = 0;
};

// A blob of one district whose one road has the range lines given, each with
// the code 11000 + its index.
std::vector<uint8_t> OneRoad(const std::vector<std::u16string>& lines) {
    PostalSourceDistrict district{u"臺北市", u"信義區", {}, {}};
    PostalSourceRoad road{u"忠孝東路", 5, {}};
    for (size_t k = 0; k < lines.size(); ++k) {
        PostalSourceRange range;
        EXPECT_TRUE(ParseRangeText(lines[k], &range)) << k;
        range.code = 11000 + static_cast<int32_t>(k);
        road.ranges.push_back(range);
    }
    district.roads.push_back(road);
    std::string error;
    std::vector<uint8_t> blob = WritePostalBlob({district}, &error);
    EXPECT_FALSE(blob.empty()) << error;
    return blob;
}

PostalAnswer Ask(const std::vector<uint8_t>& blob, const Place& place) {
    PostalView view;
    EXPECT_TRUE(ReadPostalBlob(blob.data(), &view));
    const std::u16string road = u"忠孝東路";
    const std::u16string county = u"臺北市";
    const std::u16string district = u"信義區";
    PostalQuery query{FindPostalName(view, county.data(), 3),
                      FindPostalName(view, district.data(), 3),
                      FindPostalName(view, road.data(), 4),
                      5,
                      place.lane,
                      place.alley,
                      place.number,
                      place.part};
    return AnswerPostal(view, query);
}

// True when the one line holds the place.
bool Holds(const std::u16string& line, const Place& place) {
    return Ask(OneRoad({line}), place).status == VANTIR_POSTAL_NUMBER;
}

Place N(int32_t number, int32_t part = 0) {
    return Place{number, part, 0, 0};
}

}  // namespace

TEST(PostalRanges, ParityAndOpenEndsIncludeTheirBound) {
    EXPECT_TRUE(Holds(u"全", N(1)));
    EXPECT_TRUE(Holds(u"全", N(9999, 3)));
    EXPECT_TRUE(Holds(u"單全", N(7)));
    EXPECT_FALSE(Holds(u"單全", N(8)));
    EXPECT_TRUE(Holds(u"雙全", N(8)));
    EXPECT_TRUE(Holds(u"單27號以下", N(27)));
    EXPECT_TRUE(Holds(u"單27號以下", N(1)));
    EXPECT_FALSE(Holds(u"單27號以下", N(29)));
    EXPECT_FALSE(Holds(u"單27號以下", N(26)));
    EXPECT_TRUE(Holds(u"雙18號以下", N(18)));
    EXPECT_FALSE(Holds(u"雙18號以下", N(18, 1)));
    EXPECT_TRUE(Holds(u"連21號以下", N(20)));
    EXPECT_FALSE(Holds(u"連21號以下", N(22)));
    EXPECT_TRUE(Holds(u"單795號以上", N(795)));
    EXPECT_FALSE(Holds(u"單795號以上", N(793)));
    EXPECT_TRUE(Holds(u"連84號以上", N(85)));
    EXPECT_FALSE(Holds(u"連84號以上", N(83, 9)));
}

TEST(PostalRanges, StretchesIncludeBothEndsAndZhiNumbersLieBetween) {
    EXPECT_TRUE(Holds(u"單121號至133號", N(121)));
    EXPECT_TRUE(Holds(u"單121號至133號", N(133)));
    EXPECT_FALSE(Holds(u"單121號至133號", N(135)));
    EXPECT_FALSE(Holds(u"雙164號至172號", N(165)));
    EXPECT_TRUE(Holds(u"連2號至8號", N(7, 3)));
    EXPECT_FALSE(Holds(u"連2號至8號", N(8, 1)));
    // 15之1 lies after 15 and before 16.
    EXPECT_TRUE(Holds(u"單15之1號以下", N(15)));
    EXPECT_TRUE(Holds(u"單15之1號以下", N(15, 1)));
    EXPECT_FALSE(Holds(u"單15之1號以下", N(15, 2)));
    EXPECT_FALSE(Holds(u"單15之1號以下", N(17)));
    EXPECT_TRUE(Holds(u"雙2號至8之3號", N(8, 3)));
    EXPECT_FALSE(Holds(u"雙2號至8之3號", N(8, 4)));
    EXPECT_TRUE(Holds(u"15之1至之5號", N(15, 5)));
    EXPECT_FALSE(Holds(u"15之1至之5號", N(15)));
    EXPECT_TRUE(Holds(u"16之10至之999號", N(16, 200)));
    EXPECT_TRUE(Holds(u"連2號至8號含附號全", N(8, 4)));
    EXPECT_TRUE(Holds(u"單7號含附號以下", N(7, 2)));
    EXPECT_TRUE(Holds(u"9號含附號", N(9)));
    EXPECT_TRUE(Holds(u"9號含附號", N(9, 3)));
    EXPECT_FALSE(Holds(u"9附號全", N(9)));
    EXPECT_TRUE(Holds(u"9附號全", N(9, 1)));
    EXPECT_TRUE(Holds(u"9之2號及以上附號", N(9, 7)));
    EXPECT_FALSE(Holds(u"9之2號及以上附號", N(9, 1)));
    EXPECT_TRUE(Holds(u"20號", N(20)));
    EXPECT_FALSE(Holds(u"20號", N(20, 1)));
    EXPECT_TRUE(Holds(u"15之2號", N(15, 2)));
    EXPECT_FALSE(Holds(u"15之2號", N(15)));
}

TEST(PostalRanges, LanesByTheirOwnLinesElseByWhereTheyLeaveTheRoad) {
    EXPECT_TRUE(Holds(u"14巷全", Place{3, 0, 14, 0}));
    EXPECT_FALSE(Holds(u"14巷全", Place{3, 0, 15, 0}));
    EXPECT_FALSE(Holds(u"14巷全", N(14)));
    EXPECT_TRUE(Holds(u"14巷單3號以下", Place{3, 0, 14, 0}));
    EXPECT_FALSE(Holds(u"14巷單3號以下", Place{5, 0, 14, 0}));
    EXPECT_TRUE(Holds(u"423巷雙4弄至6弄", Place{7, 0, 423, 4}));
    EXPECT_FALSE(Holds(u"423巷雙4弄至6弄", Place{7, 0, 423, 8}));
    EXPECT_TRUE(Holds(u"3巷5弄全", Place{1, 0, 3, 5}));
    EXPECT_TRUE(Holds(u"7弄全", Place{2, 0, 0, 7}));
    // A lane without lines of its own is the house number it leaves the road at.
    EXPECT_TRUE(Holds(u"雙236巷至372巷", Place{9, 0, 300, 0}));
    EXPECT_FALSE(Holds(u"雙236巷至372巷", Place{9, 0, 301, 0}));
    EXPECT_TRUE(Holds(u"雙236巷至372巷", N(300)));
    EXPECT_TRUE(Holds(u"單31巷以下", Place{0, 0, 31, 0}));
    EXPECT_TRUE(Holds(u"連8號至20號", Place{4, 0, 12, 0}));
    // Once the lane has lines of its own, they decide.
    const std::vector<uint8_t> blob = OneRoad({u"連2號至40號", u"12巷單全"});
    EXPECT_EQ(Ask(blob, Place{3, 0, 12, 0}).code, 11001);
    EXPECT_EQ(Ask(blob, Place{4, 0, 12, 0}).status, VANTIR_POSTAL_NOT_FOUND);
    EXPECT_EQ(Ask(blob, Place{4, 0, 14, 0}).code, 11000);
}

TEST(PostalRanges, ABuildingsOwnCodeGoesToItsNumberAndFloorsOnlyWhenNothingElse) {
    const std::vector<uint8_t> blob =
        OneRoad({u"連2號至40號", u"20號", u"30號5至9樓", u"35號(國稅局)", u"50號北棟"});
    EXPECT_EQ(Ask(blob, N(20)).code, 11001);
    EXPECT_EQ(Ask(blob, N(21)).code, 11000);
    EXPECT_EQ(Ask(blob, N(30)).code, 11000);
    EXPECT_EQ(Ask(blob, N(35)).code, 11003);
    EXPECT_EQ(Ask(blob, N(50)).code, 11004);
    EXPECT_TRUE(Holds(u"97號地下1樓", N(97)));
    EXPECT_TRUE(Holds(u"5號5樓以上", N(5)));
    EXPECT_TRUE(Holds(u"單3號至9號2樓以上", N(7)));
}

TEST(PostalRanges, RoadWithoutNumberAndTheStatusesAround) {
    const std::vector<uint8_t> blob = OneRoad({u"14巷全"});
    EXPECT_EQ(Ask(blob, Place{}).status, VANTIR_POSTAL_ROAD);
    EXPECT_EQ(Ask(blob, Place{}).code, 110);
    EXPECT_EQ(Ask(blob, Place{0, 0, 14, 0}).status, VANTIR_POSTAL_NUMBER);
    EXPECT_EQ(Ask(blob, Place{0, 0, 14, 0}).code, 11000);
    PostalView view;
    ASSERT_TRUE(ReadPostalBlob(blob.data(), &view));
    const std::u16string district = u"信義區";
    PostalQuery other{
        kPostalNotSaid, FindPostalName(view, district.data(), 3), kPostalNoSuchName, 0, 0, 0, 8, 0};
    EXPECT_EQ(AnswerPostal(view, other).status, VANTIR_POSTAL_NOT_FOUND);
    other.section = 4;
    other.road = FindPostalName(view, u"忠孝東路", 4);
    EXPECT_EQ(AnswerPostal(view, other).status, VANTIR_POSTAL_NOT_FOUND);
    other.road = kPostalNotSaid;
    EXPECT_EQ(AnswerPostal(view, other).status, VANTIR_POSTAL_UNKNOWN);
    EXPECT_EQ(AnswerPostal(view, other).code, 110);
}

TEST(PostalRanges, TextsOfNoKnownShapeAreRefused) {
    PostalSourceRange range;
    for (const std::u16string text :
         {u"", u"單", u"至5號", u"5號至", u"雙9號至3號", u"五號", u"5號之", u"5號以上以下",
          u"全5號", u"3之300號以上", u"5號(未完"}) {
        EXPECT_FALSE(ParseRangeText(text, &range)) << ToUtf8(text);
    }
    // Full-width digits read as ASCII ones.
    ASSERT_TRUE(ParseRangeText(u"雙１２號以下", &range));
    EXPECT_EQ(range.high, 12);
}
