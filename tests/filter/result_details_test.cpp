// Vantir_GetResultInfo over small hand-made utterances: its codes, the fields as
// spans of the text in both modes, the support of each result, and that reading
// details changes neither the results nor their order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "filter/session.h"
#include "support/address_world.h"

using namespace vantir::testing;
using Hypotheses = std::vector<std::vector<std::string>>;
using Fields = std::map<std::string, std::string>;

namespace {

constexpr uint32_t kDetailsDefault = 0;
constexpr uint32_t kDetailsAccurate = VANTIR_OPTION_ACCURATE;

std::vector<WordEntry> DetailsVocabulary() {
    std::vector<WordEntry> words = {{"臺北市", {33}},    {"基隆市", {33}},   {"大安區", {8, 34}},
                                    {"中正區", {8, 34}}, {"忠孝東路", {17}}, {"四段", {18}},
                                    {"段", {19}},        {"巷", {21}},       {"弄", {22}},
                                    {"之", {22}},        {"號", {23}},       {"故宮博物院", {0}},
                                    {"臺北", {5}},       {"車站", {7}},      {"我", {}}};
    for (const char* numeral : {"一", "四", "五", "七", "十二", "二十三", "一百"})
        words.push_back({numeral, {25, 24}});
    return words;
}

std::vector<vantir::RegionPair> DetailsRegions() {
    return {{Utf16("臺北市"), Utf16("大安區")},
            {Utf16("臺北市"), Utf16("中正區")},
            {Utf16("基隆市"), Utf16("中正區")}};
}

class ResultDetailsTest : public ::testing::Test {
  protected:
    ResultDetailsTest() : world_(DetailsVocabulary(), DetailsRegions()) {
        std::vector<PairEntry> pairs = {{"臺北市", "大安區", -20},   {"臺北市", "中正區", -20},
                                        {"基隆市", "中正區", -20},   {"大安區", "忠孝東路", -30},
                                        {"中正區", "忠孝東路", -30}, {"臺北市", "忠孝東路", -60},
                                        {"忠孝東路", "四段", -10},   {"臺北", "車站", -10}};
        for (const char* numeral : {"一", "四", "五", "七", "十二", "二十三", "一百"}) {
            for (const char* key : {"弄", "之", "號"})
                pairs.push_back({numeral, key, -10});
        }
        world_.SetPairs(pairs);
    }

    void Enter(uint32_t options, const Hypotheses& nBest) {
        ASSERT_EQ(Vantir_Reset(world_.session), 0);
        ASSERT_EQ(Vantir_SetOptions(world_.session, options), 0);
        for (const std::vector<std::string>& hypothesis : nBest)
            ASSERT_EQ(world_.Add(hypothesis), 0);
    }

    VantirResultInfo Info(int32_t index) {
        VantirResultInfo info{};
        EXPECT_EQ(Vantir_GetResultInfo(world_.session, index, &info), 0) << "index " << index;
        return info;
    }

    // The fields of the result at `index` of the listed `text`, by name.
    Fields FieldsOf(int32_t index, const std::string& text) {
        const VantirResultInfo info = Info(index);
        const std::u16string wide = Utf16(text);
        Fields fields;
        for (int32_t f = 0; f < VANTIR_FIELD_COUNT; ++f) {
            const VantirSpan span = info.fields[f];
            if (span.length == 0) continue;
            EXPECT_GE(span.start, 0);
            EXPECT_LE(span.start + span.length, static_cast<int32_t>(wide.size())) << text;
            fields[vantir::FieldName(f)] = vantir::ToUtf8(wide.substr(span.start, span.length));
        }
        return fields;
    }

    // The first result's fields, after checking that its spans, in text order,
    // put the whole text back together.
    Fields FirstFields(uint32_t options, const Hypotheses& nBest, const std::string& text) {
        Enter(options, nBest);
        const std::vector<std::string> listed = world_.Results();
        EXPECT_FALSE(listed.empty());
        if (listed.empty()) return {};
        EXPECT_EQ(listed.front(), text);
        const VantirResultInfo info = Info(0);
        std::vector<VantirSpan> spans;
        for (const VantirSpan& span : info.fields) {
            if (span.length > 0) spans.push_back(span);
        }
        std::sort(spans.begin(), spans.end(),
                  [](const VantirSpan& a, const VantirSpan& b) { return a.start < b.start; });
        const std::u16string wide = Utf16(text);
        std::u16string joined;
        for (const VantirSpan& span : spans)
            joined += wide.substr(span.start, span.length);
        EXPECT_EQ(vantir::ToUtf8(joined), text) << "the spans do not cover the text";
        return FieldsOf(0, text);
    }

    AddressWorld world_;
};

}  // namespace

TEST_F(ResultDetailsTest, CodesForNullArgumentsAndIndicesOutsideTheResults) {
    VantirResultInfo info{};
    EXPECT_EQ(Vantir_GetResultInfo(nullptr, 0, &info), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_GetResultInfo(world_.session, 0, nullptr), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_GetResultInfo(world_.session, 0, &info), VANTIR_NOT_FOUND) << "no results yet";
    for (uint32_t options : {kDetailsDefault, kDetailsAccurate}) {
        Enter(options, {{"臺北市", "大安區", "忠孝東路", "四段", "七", "號"}});
        EXPECT_EQ(Vantir_GetResultInfo(world_.session, 0, &info), 0);
        EXPECT_EQ(Vantir_GetResultInfo(world_.session, -1, &info), VANTIR_NOT_FOUND);
        EXPECT_EQ(Vantir_GetResultInfo(world_.session, 1, &info), VANTIR_NOT_FOUND);
        EXPECT_EQ(Vantir_GetResultInfo(world_.session, INT32_MAX, &info), VANTIR_NOT_FOUND);
        ASSERT_EQ(Vantir_Reset(world_.session), 0);
        EXPECT_EQ(Vantir_GetResultInfo(world_.session, 0, &info), VANTIR_NOT_FOUND)
            << "a reset empties the results";
    }
}

TEST_F(ResultDetailsTest, FieldsOfAFullAddressHoldTheirKeysInBothModes) {
    const Hypotheses nBest = {{"我", "臺北市", "大安區", "忠孝東路", "四段", "一百", "二十三", "巷",
                               "五", "弄", "七", "號"}};
    const Fields expected = {{"upper", "臺北市"}, {"lower", "大安區"}, {"road", "忠孝東路"},
                             {"section", "四段"}, {"lane", "123巷"},   {"alley", "5弄"},
                             {"number", "7號"}};
    for (uint32_t options : {kDetailsDefault, kDetailsAccurate}) {
        EXPECT_EQ(FirstFields(options, nBest, "臺北市大安區忠孝東路四段123巷5弄7號"), expected)
            << "options " << options;
    }
}

TEST_F(ResultDetailsTest, SectionSaidInTwoWordsIsOneFieldAsItIsSpelled) {
    const Hypotheses nBest = {{"臺北市", "大安區", "忠孝東路", "四", "段", "七", "號"}};
    EXPECT_EQ(FirstFields(kDetailsDefault, nBest, "臺北市大安區忠孝東路4段7號")["section"], "4段");
    EXPECT_EQ(FirstFields(kDetailsAccurate, nBest, "臺北市大安區忠孝東路四段7號")["section"],
              "四段");
}

TEST_F(ResultDetailsTest, NumberWithAPartAfterZhiIsOneNumberField) {
    const Hypotheses nBest = {{"臺北市", "大安區", "忠孝東路", "十二", "之", "一", "號"}};
    for (uint32_t options : {kDetailsDefault, kDetailsAccurate}) {
        const Fields fields = FirstFields(options, nBest, "臺北市大安區忠孝東路12之1號");
        EXPECT_EQ(fields.at("number"), "12之1號");
        EXPECT_EQ(fields.count("alley"), 0u);
    }
}

// Accurate mode's readings beyond the grammar: an alley beside a 之 number, and
// a number said in three words; each field holds its own text.
TEST_F(ResultDetailsTest, AlleyBesideAZhiNumberAndANumberInThreeWordsAreFieldsOfTheirOwn) {
    const Hypotheses nBest = {
        {"臺北市", "大安區", "忠孝東路", "一", "五", "七", "弄", "十二", "之", "一", "號"}};
    const Fields fields = FirstFields(kDetailsAccurate, nBest, "臺北市大安區忠孝東路157弄12之1號");
    EXPECT_EQ(fields.at("alley"), "157弄");
    EXPECT_EQ(fields.at("number"), "12之1號");
}

TEST_F(ResultDetailsTest, CompletedRegionsAreFieldsOfTheirOwn) {
    // The default completes the county from the first region pair of 大安區.
    EXPECT_EQ(
        FirstFields(kDetailsDefault, {{"大安區", "忠孝東路", "七", "號"}},
                    "臺北市大安區忠孝東路7號"),
        (Fields{
            {"upper", "臺北市"}, {"lower", "大安區"}, {"road", "忠孝東路"}, {"number", "7號"}}));
    // Candidates listed between county and road each have their district.
    Enter(kDetailsDefault, {{"臺北市", "忠孝東路", "七", "號"}});
    const std::vector<std::string> listed = world_.Results();
    ASSERT_EQ(listed.size(), 2u);
    for (int32_t k = 0; k < 2; ++k) {
        EXPECT_EQ(Info(k).resultClass, 2);
        const std::string lower = FieldsOf(k, listed[static_cast<size_t>(k)])["lower"];
        EXPECT_TRUE(lower == "大安區" || lower == "中正區") << lower;
    }
}

TEST_F(ResultDetailsTest, LandmarksAndStationsArePlaces) {
    for (uint32_t options : {kDetailsDefault, kDetailsAccurate}) {
        EXPECT_EQ(FirstFields(options, {{"我", "故宮博物院"}}, "故宮博物院"),
                  (Fields{{"place", "故宮博物院"}}));
        EXPECT_EQ(Info(0).resultClass, 3);
        EXPECT_EQ(FirstFields(options, {{"臺北", "車站"}}, "臺北車站"),
                  (Fields{{"place", "臺北車站"}}));
    }
}

TEST_F(ResultDetailsTest, SupportCountsEachHypothesisOnceAndNotesTheFirst) {
    const Hypotheses nBest = {{"臺北市", "大安區", "忠孝東路", "五", "號"},
                              {"我"},
                              {"臺北市", "大安區", "忠孝東路", "七", "號"},
                              {"臺北市", "大安區", "忠孝東路", "七", "號"},
                              {"臺北市", "大安區", "忠孝東路", "七", "號", "我"}};
    for (uint32_t options : {kDetailsDefault, kDetailsAccurate}) {
        Enter(options, nBest);
        const std::vector<std::string> listed = world_.Results();
        ASSERT_EQ(listed.size(), 2u);
        for (int32_t k = 0; k < 2; ++k) {
            const VantirResultInfo info = Info(k);
            if (listed[static_cast<size_t>(k)] == "臺北市大安區忠孝東路7號") {
                EXPECT_EQ(info.support, 3);
                EXPECT_EQ(info.firstRank, 2) << "ranks count every hypothesis, also empty ones";
            } else {
                EXPECT_EQ(info.support, 1);
                EXPECT_EQ(info.firstRank, 0);
            }
            EXPECT_GT(info.confidence, 0.0f);
            EXPECT_LT(info.confidence, 1.0f);
        }
    }
}

TEST_F(ResultDetailsTest, ReadingDetailsChangesNeitherTheResultsNorTheirOrder) {
    const Hypotheses nBest = {{"臺北市", "忠孝東路", "七", "號"},
                              {"中正區", "忠孝東路", "七", "號"},
                              {"大安區", "忠孝東路", "四段", "五", "號"},
                              {"故宮博物院"}};
    for (uint32_t options : {kDetailsDefault, kDetailsAccurate}) {
        Enter(options, nBest);
        // Details first: the default mode sorts its table only when listing.
        std::vector<VantirResultInfo> before;
        for (int32_t k = 0; k < world_.session->resultCount; ++k)
            before.push_back(Info(k));
        const std::vector<std::string> listed = world_.Results();
        Enter(options, nBest);
        EXPECT_EQ(world_.Results(), listed) << "options " << options;
        ASSERT_EQ(before.size(), listed.size());
        for (size_t k = 0; k < listed.size(); ++k) {
            const VantirResultInfo after = Info(static_cast<int32_t>(k));
            EXPECT_EQ(after.support, before[k].support) << listed[k];
            EXPECT_EQ(after.firstRank, before[k].firstRank) << listed[k];
            EXPECT_EQ(after.confidence, before[k].confidence) << listed[k];
            EXPECT_EQ(std::memcmp(after.fields, before[k].fields, sizeof after.fields), 0);
        }
    }
}

TEST_F(ResultDetailsTest, AnAddressEveryHypothesisGivesIsSurerThanADisputedOne) {
    const std::vector<std::string> address = {"臺北市", "大安區", "忠孝東路", "四段", "七", "號"};
    const Hypotheses agreed = {address, address, address, address};
    const Hypotheses disputed = {address,
                                 {"臺北市", "中正區", "忠孝東路", "五", "號"},
                                 {"基隆市", "中正區", "忠孝東路", "一", "號"},
                                 {"臺北市", "大安區", "忠孝東路", "十二", "號"}};
    for (uint32_t options : {kDetailsDefault, kDetailsAccurate}) {
        Enter(options, agreed);
        const float sure = Info(0).confidence;
        Enter(options, disputed);
        EXPECT_EQ(world_.Results().front(), "臺北市大安區忠孝東路四段7號");
        EXPECT_GT(sure, Info(0).confidence) << "options " << options;
    }
}

TEST_F(ResultDetailsTest, ACountyGuessedForASharedDistrictIsLessSureThanOneSaid) {
    // 中正區 lies in two counties; 大安區 in one, so its county is no guess.
    for (uint32_t options : {kDetailsDefault, kDetailsAccurate}) {
        Enter(options, {{"臺北市", "中正區", "忠孝東路", "七", "號"}});
        const float said = Info(0).confidence;
        Enter(options, {{"中正區", "忠孝東路", "七", "號"}});
        EXPECT_EQ(world_.Results().front(), "臺北市中正區忠孝東路7號");
        EXPECT_LT(Info(0).confidence, said) << "options " << options;

        Enter(options, {{"臺北市", "大安區", "忠孝東路", "七", "號"}});
        const float unique = Info(0).confidence;
        Enter(options, {{"大安區", "忠孝東路", "七", "號"}});
        EXPECT_EQ(world_.Results().front(), "臺北市大安區忠孝東路7號");
        EXPECT_EQ(Info(0).confidence, unique) << "options " << options;
    }
}
