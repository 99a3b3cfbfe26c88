// Roads said without their suffix on the national data set: accurate mode reads
// the stem as the district's or county's one road, and leaves alone stems two
// roads share, region names, numerals, other contexts and text spelled in full.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tool_test_support.h"

using namespace vantir::testing;

namespace {

const std::filesystem::path kStemNationalSources =
    std::filesystem::path(VANTIR_SOURCE_DIR) / "data/tw";

class NationalRoadStems : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<ScratchDir>();
        const CliRun build =
            RunCli({"build", kStemNationalSources.string(), "-o", (*dir_ / "out").string()});
        ASSERT_EQ(build.status, kExitSuccess) << build.err;
    }
    static void TearDownTestSuite() { dir_.reset(); }

    static std::string Data() { return (*dir_ / "out").string(); }

    // The split of each line, in the default mode or accurate mode.
    static std::string StemSplit(const std::string& lines, bool accurate) {
        WriteFile(*dir_ / "stem-text.txt", lines);
        const std::string file = (*dir_ / "stem-text.txt").string();
        const CliRun run = accurate ? RunCli({"segment", "--accurate", "--data", Data(), file})
                                    : RunCli({"segment", "--data", Data(), file});
        EXPECT_EQ(run.status, kExitSuccess) << run.err;
        return run.out;
    }

    // The ranked texts of one utterance of text hypotheses.
    static std::string StemFiltered(const std::string& nbest, bool accurate) {
        WriteFile(*dir_ / "stem-nbest.txt", nbest);
        const std::string file = (*dir_ / "stem-nbest.txt").string();
        const CliRun run = accurate
                               ? RunCli({"filter", "--data", Data(), "--text", "--accurate", file})
                               : RunCli({"filter", "--data", Data(), "--text", file});
        EXPECT_EQ(run.status, kExitSuccess) << run.err;
        return run.out;
    }

    static std::unique_ptr<ScratchDir> dir_;
};

std::unique_ptr<ScratchDir> NationalRoadStems::dir_;

}  // namespace

TEST_F(NationalRoadStems, AStemIsReadAsTheOneRoadOfItsDistrictOrCounty) {
    EXPECT_EQ(StemSplit("臺北市松山區民生東一段12號\n大安區忠孝東四段123號\n"
                        "高雄市世運280號\n",
                        true),
              "臺北市 松山區 民生東路 一段 十二 號\n大安區 忠孝東路 四段 一百 二十三 號\n"
              "高雄市 世運大道 兩百 八十 號\n\n");
    const std::string filtered = StemFiltered(
        "u1-1 臺北市松山區民生東一段12號\n"
        "u1-2 臺北市松山區民生東一段12號\n",
        true);
    EXPECT_TRUE(Contains(filtered, "臺北市松山區民生東路一段12號")) << filtered;
}

TEST_F(NationalRoadStems, TheDefaultModeReadsNoStem) {
    EXPECT_EQ(StemSplit("臺北市松山區民生東一段12號\n", false), "臺北市 松山區 一段 十二 號\n\n");
    const std::string filtered = StemFiltered("u1-1 臺北市松山區民生東一段12號\n", false);
    EXPECT_FALSE(Contains(filtered, "民生東路")) << filtered;
}

TEST_F(NationalRoadStems, StemsThatAreNoOneRoadOfTheRegionStayUnread) {
    // 中和區 has 和平路 and 和平街: the stem names neither.
    EXPECT_EQ(StemSplit("新北市中和區和平36號\n", true),
              StemSplit("新北市中和區和平36號\n", false));
    // 前鎮 after 高雄市 is its district 前鎮區 said without 區, not 前鎮街.
    EXPECT_FALSE(Contains(StemSplit("高雄市前鎮区德昌32号\n", true), "前鎮街"));
    // A stretch holding a numeral (中山一 of 中山一路) is never a stem.
    EXPECT_FALSE(Contains(StemSplit("高雄市新興區中山一100號\n", true), "中山一路"));
    // Only after a region word: 民生東 after 我要去 is no road.
    EXPECT_FALSE(Contains(StemSplit("我要去民生東一段12號\n", true), "民生東路"));
    // A place before the road that shares a road's name is passed over: a
    // village (牛埔里 beside 牛埔路), an industrial zone, a park.
    const std::string places = StemFiltered(
        "p1-1 新竹市香山區牛埔里育德街188號\n"
        "p2-1 臺南市永康區永康工業區環工路6號\n"
        "p3-1 新竹市東區科學園區工業東二路2-1號\n",
        true);
    for (const char* first :
         {"p1\n  1. 新竹市香山區育德街188號\n", "p2\n  1. 臺南市永康區環工路6號\n",
          "p3\n  1. 新竹市東區工業東二路2之1號\n"}) {
        EXPECT_TRUE(Contains(places, first)) << places;
    }
    // A misheard unit before the suffix (东 for 東) does not make 成功路 of 成功東路.
    EXPECT_FALSE(Contains(StemSplit("芳苑鄉成功东路455号\n", true), "成功路"));
}

TEST_F(NationalRoadStems, TextWithItsSuffixesSplitsAsInTheDefaultMode) {
    std::string clean;
    for (const char* list : {"ref.txt", "eval/no-suffix-ref.txt", "eval/sound-alike-ref.txt"}) {
        for (const auto& line : Lines(ReadFile(kStemNationalSources / list))) {
            if (line.text.empty() || line.text[0] == '#') continue;
            const std::string text = line.text.substr(line.text.find(' ') + 1);
            clean += text + "\n我要去" + text + "\n";
        }
    }
    EXPECT_EQ(StemSplit(clean, true), StemSplit(clean, false));
}

TEST_F(NationalRoadStems, TheNoSuffixListsAreReadInAccurateModeOnly) {
    const std::string nbest = (kStemNationalSources / "eval/no-suffix-nbest.txt").string();
    const std::string ref = (kStemNationalSources / "eval/no-suffix-ref.txt").string();
    const CliRun eval =
        RunCli({"eval", "--data", Data(), "--nbest", nbest, "--ref", ref, "--text", "--compare"});
    ASSERT_EQ(eval.status, kExitSuccess) << eval.err;
    // "filtered top-1" then the default's count and share, then accurate's.
    const size_t at = eval.out.find("filtered top-1");
    ASSERT_NE(at, std::string::npos) << eval.out;
    const std::string row = eval.out.substr(at, eval.out.find('\n', at) - at);
    // The default reads no stem: its hits are the lists' simplified characters
    // and whole roads that text intake reads in both modes.
    EXPECT_TRUE(Contains(row, "51.7%")) << row << ": the default mode reads no stem";
    const double accurate = std::stod(row.substr(row.rfind(' ', row.size() - 2) + 1));
    EXPECT_GE(accurate, 85.0) << eval.out;
}
