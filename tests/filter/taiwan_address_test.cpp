// End to end over Taiwan's counties and districts: N-best lists with broken and
// good hypotheses, completed and widened regions, spoken numerals as digits.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "filter/session.h"
#include "support/address_world.h"

using namespace vantir::testing;
using Texts = std::vector<std::string>;

namespace {

struct Region {
    std::string county;
    std::string district;
};

std::vector<Region> ReadRegions() {
    std::ifstream file(VANTIR_SOURCE_DIR "/data/regions-tw.tsv");
    std::vector<Region> regions;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t first = line.find('\t');
        const size_t second = line.find('\t', first + 1);
        regions.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1)});
    }
    return regions;
}

const std::vector<std::string> kNumerals = {"一", "二",   "三",     "四",   "五",      "七",
                                            "十", "十五", "二十三", "一百", "一百零五"};

// Roads and the districts they run through.
const std::vector<Region> kRoads = {
    {"忠孝東路", "中正區"}, {"忠孝東路", "大安區"}, {"忠孝東路", "信義區"}, {"文化路", "板橋區"},
    {"公益路", "西區"},     {"公益路", "南屯區"},   {"中華路", "東區"}};
const std::vector<Region> kCountyRoads = {
    {"臺北市", "忠孝東路"}, {"新北市", "文化路"}, {"臺中市", "公益路"}};

class TaiwanAddressTest : public ::testing::Test {
  protected:
    TaiwanAddressTest() : regions_(ReadRegions()), world_(Vocabulary(), RegionPairs()) {
        std::vector<PairEntry> pairs;
        for (const Region& region : regions_)
            pairs.push_back({region.county, region.district, -20});
        for (const Region& road : kRoads)
            pairs.push_back({road.district, road.county, -30});
        for (const Region& road : kCountyRoads)
            pairs.push_back({road.county, road.district, -60});
        for (const std::string& numeral : kNumerals) {
            for (const char* key : {"弄", "號", "樓"})
                pairs.push_back({numeral, key, -10});
        }
        world_.SetPairs(pairs);
    }

    std::vector<WordEntry> Vocabulary() const {
        std::vector<WordEntry> words;
        std::set<std::string> seen;
        for (const Region& region : regions_) {
            if (seen.insert(region.county).second) words.push_back({region.county, {33}});
            if (seen.insert(region.district).second) words.push_back({region.district, {8, 34}});
        }
        for (const char* road : {"忠孝東路", "文化路", "公益路", "中華路"}) {
            words.push_back({road, {17}});
        }
        for (const std::string& numeral : kNumerals)
            words.push_back({numeral, {25, 24}});
        words.push_back({"段", {19}});
        words.push_back({"巷", {21}});
        words.push_back({"弄", {22}});
        words.push_back({"號", {23}});
        words.push_back({"樓", {23}});
        words.push_back({"臺北車站", {0}});
        words.push_back({"嗯", {}});
        words.push_back({"那個", {}});
        return words;
    }

    std::vector<vantir::RegionPair> RegionPairs() const {
        std::vector<vantir::RegionPair> pairs;
        for (const Region& region : regions_) {
            pairs.push_back({Utf16(region.county), Utf16(region.district)});
        }
        return pairs;
    }

    // One utterance: reset, every hypothesis best first, then the listing.
    Texts Recognise(const std::vector<std::vector<std::string>>& nBest) {
        EXPECT_EQ(Vantir_Reset(world_.session), 0);
        for (const std::vector<std::string>& hypothesis : nBest) {
            EXPECT_EQ(world_.Add(hypothesis), 0);
            EXPECT_EQ(BigramModel_GetMode(world_.model), 1);
        }
        return world_.Results();
    }

    std::vector<Region> regions_;
    AddressWorld world_;
};

}  // namespace

TEST_F(TaiwanAddressTest, DataHasEveryCountyAndDistrict) {
    std::set<std::string> counties;
    for (const Region& region : regions_)
        counties.insert(region.county);
    EXPECT_EQ(counties.size(), 22u);
    EXPECT_GT(regions_.size(), 360u);
    EXPECT_EQ(world_.session->addressView.regionPairCount, regions_.size());
}

TEST_F(TaiwanAddressTest, BrokenBestHypothesisGivesWayToCompletedAndWidenedOnes) {
    const Texts ranked = Recognise({
        // 板橋區 gets 新北市 in front, but 板橋區 is not on 忠孝東路: no result.
        {"板橋區", "忠孝東路", "四", "段", "一百", "二十三", "巷", "五", "弄", "七", "號"},
        // The district alone is completed with its county.
        {"大安區", "忠孝東路", "四", "段", "一百", "二十三", "巷", "五", "弄", "七", "號"},
        // County and road: every district of 臺北市 on 忠孝東路, in table order.
        {"臺北市", "忠孝東路", "四", "段", "一百", "二十三", "巷", "五", "弄", "七", "號"},
        {"那個", "臺北車站"},
    });
    EXPECT_EQ(ranked,
              (Texts{"臺北市大安區忠孝東路4段123巷5弄7號", "臺北市中正區忠孝東路4段123巷5弄7號",
                     "臺北市信義區忠孝東路4段123巷5弄7號", "臺北車站"}));
}

TEST_F(TaiwanAddressTest, WrongDistrictIsDroppedAndTheRoadListsTheRightOnes) {
    const Texts ranked = Recognise({
        // 大安區 of 臺中市 is not on 公益路: it is dropped and the county widened.
        {"臺中市", "大安區", "公益路", "二", "段", "十五", "號"},
        {"臺中市", "南屯區", "公益路", "二", "段", "十五", "號"},
        {"南屯區", "公益路", "二", "段", "五", "號"},
    });
    EXPECT_EQ(ranked, (Texts{"臺中市南屯區公益路2段15號", "臺中市南屯區公益路2段5號",
                             "臺中市西區公益路2段15號"}));
}

TEST_F(TaiwanAddressTest, EveryGoodHypothesisOfOneAddressMergesIntoOneText) {
    const Texts ranked = Recognise({
        // The grammar ends with the house number: the floor after it is dropped.
        {"新北市", "板橋區", "文化路", "一", "段", "一百零五", "號", "五", "樓"},
        {"新北市", "文化路", "一", "段", "一百零五", "號"},
        {"嗯", "嗯"},
        {"板橋區", "文化路", "一", "段", "一百零五", "號"},
    });
    EXPECT_EQ(ranked, (Texts{"新北市板橋區文化路1段105號"}));
}

TEST_F(TaiwanAddressTest, SharedDistrictNameTakesTheFirstCountyOfTheTable) {
    const Texts ranked = Recognise({
        {"嗯", "基隆市", "七堵區"},
        {"東區", "中華路", "二", "段", "七", "號"},
        {"那個", "臺北車站", "嗯"},
        {"十五", "號"},
    });
    // Numerals inside region names stay as they are.
    EXPECT_EQ(ranked, (Texts{"新竹市東區中華路2段7號", "基隆市七堵區", "臺北車站"}));
}
