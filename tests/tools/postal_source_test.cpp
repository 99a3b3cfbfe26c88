// The range table source: roads read as the vocabulary spells them, lines that
// stop the build with their file and line, and roads the vocabulary lacks.
#include "tools/compile/postal_source.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tool_test_support.h"

using namespace vantir::tools;
using vantir::testing::Lines;

namespace {

Vocabulary PostalVocabulary() {
    Diagnostics quiet;
    return ParseVocabulary(
        Lines("臺北市\tupper-head\n信義區\tupper-follower lower-head\n"
              "忠孝東路\tcompletion-trigger\n中正路\tcompletion-trigger\n"
              "臺灣大道\tcompletion-trigger\n"
              "豐原大道一段五九五街\tcompletion-trigger\n五段\tbare-first-key\n"),
        "vocabulary.tsv", quiet);
}

RegionSource PostalRegions() {
    Diagnostics quiet;
    return ParseRegions(Lines("臺北市\t信義區\n"), "regions.tsv", quiet);
}

std::string ErrorOf(const std::string& table) {
    Diagnostics quiet;
    try {
        ParsePostalRanges(Lines(table), "ranges.tsv", PostalVocabulary(), PostalRegions(), quiet);
    } catch (const ToolError& error) {
        return error.what();
    }
    return "(no error)";
}

}  // namespace

TEST(PostalSource, RoadsAreReadAsTheVocabularySpellsThem) {
    const Vocabulary vocabulary = PostalVocabulary();
    const PostalRoadName sectioned = VocabularyRoadOf(u"忠孝東路5段", vocabulary);
    EXPECT_EQ(sectioned.name, u"忠孝東路");
    EXPECT_EQ(sectioned.section, 5);
    const PostalRoadName wide = VocabularyRoadOf(u"臺灣大道1０段", vocabulary);
    EXPECT_EQ(wide.name, u"臺灣大道");
    EXPECT_EQ(wide.section, 10);
    EXPECT_EQ(VocabularyRoadOf(u"北龍里中正路", vocabulary).name, u"中正路");
    EXPECT_EQ(VocabularyRoadOf(u"豐原大道1段五九五街", vocabulary).name, u"豐原大道一段五九五街");
    EXPECT_TRUE(VocabularyRoadOf(u"愛富二街厚生巷", vocabulary).name.empty());
    // A tagged word that is no road is no road of the ranges either.
    EXPECT_TRUE(VocabularyRoadOf(u"信義區", vocabulary).name.empty());
}

TEST(PostalSource, LinesThatCannotBeReadNameTheirFileAndLine) {
    const std::string good = "11065\t臺北市\t信義區\t忠孝東路5段\t雙220號以下\n";
    EXPECT_EQ(ErrorOf(good), "(no error)");
    EXPECT_EQ(ErrorOf(good + "11065\t臺北市\t信義區\t忠孝東路5段\n"),
              "ranges.tsv:2: expected 5 fields (postcode, county, district, road, house numbers), "
              "found 4");
    EXPECT_EQ(ErrorOf("1106\t臺北市\t信義區\t忠孝東路5段\t全\n"),
              "ranges.tsv:1: postcode '1106' is not five digits");
    EXPECT_EQ(ErrorOf("# header\n11065\t臺北市\t大安區\t忠孝東路5段\t全\n"),
              "ranges.tsv:2: '臺北市' '大安區' is not a pair of regions.tsv");
    EXPECT_EQ(ErrorOf(good + good + "11065\t臺北市\t信義區\t忠孝東路5段\t雙220號以外\n"),
              "ranges.tsv:3: cannot read the house numbers '雙220號以外'");
}

TEST(PostalSource, RoadsTheVocabularyLacksAreCountedInOneWarningAndKept) {
    std::ostringstream warnings;
    Diagnostics diagnostics(&warnings);
    const PostalSource source =
        ParsePostalRanges(Lines("11065\t臺北市\t信義區\t忠孝東路5段\t全\n"
                                "11066\t臺北市\t信義區\t松仁路\t全\n"
                                "11066\t臺北市\t信義區\t松仁路\t單3號以下\n"
                                "11067\t臺北市\t信義區\t福德坑\t全\n"),
                          "ranges.tsv", PostalVocabulary(), PostalRegions(), diagnostics);
    diagnostics.Summarise();
    EXPECT_EQ(source.lines, 4u);
    EXPECT_EQ(source.absentLines, 3u);
    EXPECT_EQ(source.absentRoads, 2u);
    ASSERT_EQ(source.districts.size(), 1u);
    EXPECT_EQ(source.districts[0].absent.size(), 2u);
    EXPECT_EQ(diagnostics.warnings, 1);
    EXPECT_NE(warnings.str().find("ranges.tsv:2: 2 roads (3 lines) are not roads of the "
                                  "vocabulary"),
              std::string::npos)
        << warnings.str();
    EXPECT_FALSE(BuildPostalBlob(source).empty());
}
