// Accurate mode against the default on small hand-made utterances: each of the
// default's five losses, the option's checks, and the table's limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filter/session.h"
#include "support/address_world.h"

using namespace vantir::testing;
using Texts = std::vector<std::string>;
using Hypotheses = std::vector<std::vector<std::string>>;

namespace {

constexpr int32_t kBackoffMode = 1;

// Two counties share 中正區 and 北區; the road 中正路 runs through 基隆市's
// 中正區, 新竹市's 北區 and 臺中市's 豐原區. Tables list 臺北市 and 北區 first.
std::vector<WordEntry> Vocabulary() {
    std::vector<WordEntry> words = {{"臺北市", {33}},    {"基隆市", {33}},    {"臺中市", {33}},
                                    {"新竹市", {33}},    {"中正區", {8, 34}}, {"北區", {8, 34}},
                                    {"豐原區", {8, 34}}, {"西屯區", {8, 34}}, {"中正路", {17}},
                                    {"臺灣大道", {17}},  {"四段", {18}},      {"段", {19}},
                                    {"巷", {21}},        {"號", {23}},        {"那個", {}},
                                    {"龍山寺", {0}},     {"臺中", {5}},       {"車站", {7}}};
    for (const char* numeral : {"四", "五", "七", "一百", "二十三", "三", "零", "零五"}) {
        words.push_back({numeral, {25, 24}});
    }
    return words;
}

std::vector<vantir::RegionPair> Regions() {
    std::vector<vantir::RegionPair> pairs;
    for (const auto& [county, district] :
         std::vector<std::pair<std::string, std::string>>{{"臺北市", "中正區"},
                                                          {"基隆市", "中正區"},
                                                          {"臺中市", "北區"},
                                                          {"臺中市", "豐原區"},
                                                          {"臺中市", "西屯區"},
                                                          {"新竹市", "北區"}}) {
        pairs.push_back({Utf16(county), Utf16(district)});
    }
    return pairs;
}

class AccurateModeTest : public ::testing::Test {
  protected:
    AccurateModeTest() : world_(Vocabulary(), Regions()) {
        std::vector<PairEntry> pairs = {{"臺北市", "中正區", -20},
                                        {"基隆市", "中正區", -20},
                                        {"臺中市", "北區", -20},
                                        {"臺中市", "豐原區", -20},
                                        {"臺中市", "西屯區", -20},
                                        {"新竹市", "北區", -20},
                                        {"中正區", "中正路", -30},
                                        {"北區", "中正路", -30},
                                        {"豐原區", "中正路", -30},
                                        {"西屯區", "臺灣大道", -30},
                                        {"臺灣大道", "四段", -10},
                                        {"中正路", "四段", -10},
                                        // Said without a district: the road after its counties.
                                        {"基隆市", "中正路", -60},
                                        {"新竹市", "中正路", -60},
                                        {"臺中市", "中正路", -60},
                                        {"五", "號", -10},
                                        {"七", "號", -10},
                                        {"二十三", "巷", -10},
                                        {"五", "巷", -10},
                                        {"臺中", "車站", -20}};
        world_.SetPairs(pairs);
    }

    Texts Recognise(uint32_t options, const Hypotheses& nBest) {
        EXPECT_EQ(Vantir_Reset(world_.session), 0);
        EXPECT_EQ(Vantir_SetOptions(world_.session, options), 0);
        for (const std::vector<std::string>& hypothesis : nBest) {
            EXPECT_EQ(world_.Add(hypothesis), 0);
            EXPECT_EQ(BigramModel_GetMode(world_.model), kBackoffMode);
        }
        return world_.Results();
    }
    std::string Best(uint32_t options, const Hypotheses& nBest) {
        const Texts texts = Recognise(options, nBest);
        return texts.empty() ? std::string() : texts.front();
    }

    AddressWorld world_;
};

constexpr uint32_t kDefault = 0;
constexpr uint32_t kAccurate = VANTIR_OPTION_ACCURATE;

TEST_F(AccurateModeTest, DroppedCountyIsTheOneWhoseDistrictHasTheRoad) {
    const Hypotheses nBest = {{"中正區", "中正路", "五", "號"}};
    // The first pair of the table with 中正區 gives 臺北市, which has no 中正路.
    EXPECT_EQ(Best(kDefault, nBest), "臺北市中正區中正路5號");
    EXPECT_EQ(Best(kAccurate, nBest), "基隆市中正區中正路5號");
}

TEST_F(AccurateModeTest, CountyHeardInALowerHypothesisCompletesTheBestOne) {
    // Without a pair of county and road, only the utterance tells the counties apart.
    const Hypotheses nBest = {
        {"北區", "中正路", "五", "號"}, {"那個"}, {"新竹市", "北區", "中正路", "七", "號"}};
    EXPECT_EQ(Best(kDefault, nBest), "臺中市北區中正路5號");
    EXPECT_EQ(Best(kAccurate, nBest), "新竹市北區中正路5號");
}

TEST_F(AccurateModeTest, ListedDistrictMustExplainTheRoadInItsOwnCounty) {
    const Hypotheses nBest = {{"臺中市", "中正路", "五", "號"}};
    // 北區 passes its pair with the road only because 新竹市 has a 北區 on it.
    EXPECT_EQ(Recognise(kDefault, nBest), (Texts{"臺中市北區中正路5號", "臺中市豐原區中正路5號"}));
    EXPECT_EQ(Recognise(kAccurate, nBest), (Texts{"臺中市豐原區中正路5號", "臺中市北區中正路5號"}));
}

TEST_F(AccurateModeTest, CutShortBestHypothesisRanksAfterTheAddressItBegins) {
    const Hypotheses nBest = {{"臺中市", "西屯區", "臺灣大道"},
                              {"臺中市", "西屯區", "臺灣大道", "四段", "五", "號"}};
    EXPECT_EQ(Best(kDefault, nBest), "臺中市西屯區臺灣大道");
    EXPECT_EQ(Best(kAccurate, nBest), "臺中市西屯區臺灣大道四段5號");
}

TEST_F(AccurateModeTest, AddressMostHypothesesSupportRanksFirst) {
    const Hypotheses nBest = {{"臺中市", "西屯區", "臺灣大道", "七", "號"},
                              {"臺中市", "西屯區", "臺灣大道", "五", "號"},
                              {"臺中市", "西屯區", "臺灣大道", "五", "號"},
                              {"臺中市", "西屯區", "臺灣大道", "五", "號"}};
    EXPECT_EQ(Best(kDefault, nBest), "臺中市西屯區臺灣大道7號");
    EXPECT_EQ(Best(kAccurate, nBest), "臺中市西屯區臺灣大道5號");
}

TEST_F(AccurateModeTest, DifferentlySplitSectionsMeetInOneSpelling) {
    const Hypotheses nBest = {{"臺中市", "西屯區", "臺灣大道", "四", "段", "五", "號"},
                              {"臺中市", "西屯區", "臺灣大道", "四段", "五", "號"}};
    EXPECT_EQ(Recognise(kDefault, nBest),
              (Texts{"臺中市西屯區臺灣大道4段5號", "臺中市西屯區臺灣大道四段5號"}));
    EXPECT_EQ(Recognise(kAccurate, nBest), (Texts{"臺中市西屯區臺灣大道四段5號"}));
}

TEST_F(AccurateModeTest, WellFormedNumberIsKeptWhateverTheCorpusSaw) {
    // The model never saw 二十三 before 號.
    const Hypotheses nBest = {{"臺中市", "西屯區", "臺灣大道", "一百", "二十三", "號"}};
    EXPECT_EQ(Best(kDefault, nBest), "臺中市西屯區臺灣大道");
    EXPECT_EQ(Best(kAccurate, nBest), "臺中市西屯區臺灣大道123號");
    // Words that spell no number still need the pair: 一百 三 is no way to say 103.
    EXPECT_EQ(Best(kAccurate, {{"臺中市", "西屯區", "臺灣大道", "一百", "三", "號"}}),
              "臺中市西屯區臺灣大道");
    EXPECT_EQ(Best(kAccurate, {{"臺中市", "西屯區", "臺灣大道", "一百", "零", "號"}}),
              "臺中市西屯區臺灣大道");
}

TEST_F(AccurateModeTest, NumberSaidDigitByDigitIsReadWhole) {
    // 七 零五 said for 705: the design reads the last digit and the model never
    // saw 零五 before 號; accurate mode reads the digits and keeps the key.
    const Hypotheses nBest = {{"臺中市", "西屯區", "臺灣大道", "七", "零五", "號"}};
    EXPECT_EQ(Best(kDefault, nBest), "臺中市西屯區臺灣大道");
    EXPECT_EQ(Best(kAccurate, nBest), "臺中市西屯區臺灣大道705號");
    // Two numerals side by side are as often a slip: they still need the pair.
    EXPECT_EQ(Best(kAccurate, {{"臺中市", "西屯區", "臺灣大道", "三", "零", "號"}}),
              "臺中市西屯區臺灣大道");
}

TEST_F(AccurateModeTest, FillersAndRepeatsBetweenFieldsArePassedOver) {
    // The design's grammar stops at the first word that plays no part.
    const Hypotheses filler = {{"臺中市", "西屯區", "臺灣大道", "那個", "五", "號"}};
    EXPECT_EQ(Best(kDefault, filler), "臺中市西屯區臺灣大道");
    EXPECT_EQ(Best(kAccurate, filler), "臺中市西屯區臺灣大道5號");
    const Hypotheses repeated = {{"臺中市", "那個", "西屯區", "西屯區", "臺灣大道", "五", "號"}};
    EXPECT_EQ(Best(kAccurate, repeated), "臺中市西屯區臺灣大道5號");
    // Inside a number a stray word may be a misheard numeral (三 那個 for 三十)
    // and a repeat a digit said twice (五 五 for 55): passing over either would
    // give a number that was not said, so the address ends before the number.
    const Hypotheses strayInNumber = {{"臺中市", "西屯區", "臺灣大道", "三", "那個", "號"}};
    EXPECT_EQ(Best(kAccurate, strayInNumber), "臺中市西屯區臺灣大道");
    const Hypotheses digitAgain = {{"臺中市", "西屯區", "臺灣大道", "五", "五", "號"}};
    EXPECT_NE(Best(kAccurate, digitAgain), "臺中市西屯區臺灣大道5號");
}

TEST_F(AccurateModeTest, AReadingThatKeepsTheSaidDistrictRanksAboveOneThatReplacesIt) {
    // 臺灣大道 is not in 豐原區: the grammar's completion keeps the road and puts
    // 西屯區 in the place of the district the recogniser said.
    const Hypotheses replaced = {{"臺中市", "豐原區", "臺灣大道", "五", "號"},
                                 {"臺中市", "豐原區", "中正路", "五", "號"}};
    EXPECT_EQ(Best(kAccurate, replaced), "臺中市豐原區中正路5號");
    // When the utterance said the replacing district as much, the replacement stands.
    const Hypotheses confirmed = {{"臺中市", "西屯區", "臺灣大道", "五", "號"},
                                  {"臺中市", "豐原區", "臺灣大道", "五", "號"},
                                  {"臺中市", "豐原區", "中正路", "五", "號"}};
    EXPECT_EQ(Best(kAccurate, confirmed), "臺中市西屯區臺灣大道5號");
}

TEST_F(AccurateModeTest, DistrictSaidAloneBeginsTheAddressOfItsCounty) {
    const Hypotheses nBest = {{"西屯區"}, {"臺中市", "西屯區", "臺灣大道", "五", "號"}};
    EXPECT_EQ(Best(kDefault, nBest), "臺中市西屯區臺灣大道5號");
    EXPECT_EQ(Recognise(kAccurate, nBest), (Texts{"臺中市西屯區臺灣大道5號", "臺中市西屯區"}));
}

// A hypothesis cut short before 號 still said its number: the texts that go on
// with that number take what it heard, the others nothing.
TEST_F(AccurateModeTest, NumberSaidBeforeTheCutGoesToTheTextsThatGoOnWithIt) {
    const Hypotheses cut = {{"臺中市", "西屯區", "臺灣大道", "七"},
                            {"臺中市", "西屯區", "臺灣大道", "五", "號"},
                            {"臺中市", "西屯區", "臺灣大道", "七", "號"}};
    EXPECT_EQ(
        Recognise(kAccurate, cut),
        (Texts{"臺中市西屯區臺灣大道7號", "臺中市西屯區臺灣大道5號", "臺中市西屯區臺灣大道"}));
    // A number that no text goes on with leaves the support shared as before.
    const Hypotheses unmatched = {{"臺中市", "西屯區", "臺灣大道", "二十三"},
                                  {"臺中市", "西屯區", "臺灣大道", "五", "號"},
                                  {"臺中市", "西屯區", "臺灣大道", "七", "號"}};
    EXPECT_EQ(Best(kAccurate, unmatched), "臺中市西屯區臺灣大道5號");
}

// A landmark or a station said alone is a whole destination: addresses that
// later hypotheses give only with a region chosen for them stay below it.
TEST_F(AccurateModeTest, PlaceSaidAloneStaysAboveAddressesNoHypothesisSaidWhole) {
    const Hypotheses chosen = {{"龍山寺"},
                               {"中正區", "中正路", "五", "號"},
                               {"中正區", "中正路", "五", "號"},
                               {"中正區", "中正路", "七", "號"}};
    EXPECT_EQ(Best(kAccurate, chosen), "龍山寺");
    const Hypotheses station = {
        {"臺中", "車站"}, {"西屯區", "臺灣大道", "五", "號"}, {"西屯區", "臺灣大道", "五", "號"}};
    EXPECT_EQ(Best(kAccurate, station), "臺中車站");
    // An address that hypotheses said whole may lead on its evidence.
    const Hypotheses said = {{"龍山寺"},
                             {"基隆市", "中正區", "中正路", "五", "號"},
                             {"基隆市", "中正區", "中正路", "五", "號"},
                             {"基隆市", "中正區", "中正路", "五", "號"}};
    EXPECT_EQ(Best(kAccurate, said), "基隆市中正區中正路5號");
    // A place said only after the address does not move it.
    const Hypotheses later = {{"中正區", "中正路", "五", "號"}, {"龍山寺"}};
    EXPECT_EQ(Best(kAccurate, later), "基隆市中正區中正路5號");
}

TEST_F(AccurateModeTest, OptionsAreFixedWhileTheTableHoldsResults) {
    ASSERT_EQ(Vantir_SetOptions(world_.session, kAccurate), 0);
    ASSERT_EQ(world_.Add({"臺中市", "西屯區", "臺灣大道", "五", "號"}), 0);
    EXPECT_EQ(Vantir_SetOptions(world_.session, kDefault), VANTIR_WRONG_STATE);
    EXPECT_EQ(Vantir_GetOptions(world_.session), kAccurate);
    EXPECT_EQ(Vantir_SetOptions(world_.session, kAccurate | 0x10u), VANTIR_INVALID_ARGUMENT);
    // Reset empties the table and the utterance's evidence, and keeps the mode.
    ASSERT_EQ(Vantir_Reset(world_.session), 0);
    EXPECT_EQ(Vantir_GetOptions(world_.session), kAccurate);
    ASSERT_EQ(world_.Add({"臺中市", "西屯區", "臺灣大道", "七", "號"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"臺中市西屯區臺灣大道7號"}));
    EXPECT_EQ(Vantir_SetOptions(world_.session, kDefault), VANTIR_WRONG_STATE);
}

TEST_F(AccurateModeTest, EmptyHypothesesAndTextlessWordsEnterNothing) {
    ASSERT_EQ(Vantir_SetOptions(world_.session, kAccurate), 0);
    EXPECT_EQ(world_.AddIds({}), 0);
    EXPECT_EQ(world_.Add({"那個"}), 0);
    EXPECT_EQ(world_.session->resultCount, 0);
    EXPECT_EQ(BigramModel_GetMode(world_.model), kBackoffMode);
    EXPECT_EQ(world_.Results(), Texts{});
}

TEST_F(AccurateModeTest, FullTableStillTakesKnownTextsAndReportsNewOnes) {
    ASSERT_EQ(Vantir_SetOptions(world_.session, kAccurate), 0);
    ASSERT_EQ(world_.Add({"臺中市", "西屯區", "臺灣大道", "五", "號"}), 0);
    // Fill the rest of the table behind the library's back, as a long
    // utterance would; the filler texts have no evidence of their own.
    FilterSession* session = world_.session;
    for (int32_t i = session->resultCount; i < vantir::kMaxResults; ++i) {
        vantir::ResultEntry& entry = session->results[i];
        entry.arrivalOrder = i;
        entry.resultClass = 1;
        entry.text[0] = u'A' + static_cast<char16_t>(i % 26);
        entry.text[1] = u'0' + static_cast<char16_t>(i / 26);
        entry.text[2] = 0;
        session->evidence.entries[i] =
            vantir::EntryEvidence{0.0, -255.0, 99, -1, -1, false, false, -1, 0.0};
    }
    session->resultCount = vantir::kMaxResults;
    EXPECT_EQ(world_.Add({"臺中市", "西屯區", "臺灣大道", "五", "號"}), 0);
    EXPECT_EQ(world_.Add({"臺中市", "西屯區", "臺灣大道", "七", "號"}), VANTIR_RESULT_TABLE_FULL);
    const Texts ranked = world_.Results();
    ASSERT_EQ(ranked.size(), static_cast<size_t>(vantir::kMaxResults));
    EXPECT_EQ(ranked.front(), "臺中市西屯區臺灣大道5號");
}

}  // namespace
