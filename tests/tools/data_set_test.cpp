// Data built from an address table: the grammar's pairs generated from roads,
// regions and tags, a made-up data set filtered without and with a corpus, and
// the coverage checks that name what a data set leaves out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tool_test_support.h"
#include "tools/compile/bigram_trainer.h"
#include "tools/compile/grammar_pairs.h"

using namespace vantir::testing;
using namespace vantir::tools;

namespace {

bool HasPair(const std::vector<GrammarPair>& pairs, const std::string& first,
             const std::string& second) {
    for (const GrammarPair& pair : pairs) {
        if (pair.first == first && pair.second == second) return true;
    }
    return false;
}

// The percentage on the "filtered any rank" line of `vantir eval`.
double AnyRankPercent(const std::string& report) {
    const size_t at = report.find("filtered any rank");
    if (at == std::string::npos) return -1;
    const size_t percent = report.find('%', at);
    const size_t start = report.rfind(' ', percent);
    return std::strtod(report.substr(start + 1, percent - start - 1).c_str(), nullptr);
}

void CopySources(const std::filesystem::path& to, bool withCorpus) {
    std::filesystem::create_directories(to);
    for (const char* name : {"vocabulary.tsv", "regions.tsv", "roads.tsv"})
        std::filesystem::copy_file(kHarbourData / name, to / name);
    if (withCorpus) std::filesystem::copy_file(kHarbourData / "corpus.txt", to / "corpus.txt");
}

class SmallTables : public ::testing::Test {
  protected:
    Vocabulary vocabulary;
    RegionSource regions;
    Diagnostics diagnostics;

    void SetUp() override {
        vocabulary = ParseVocabulary(Lines("雲港市 upper-head\n"
                                           "東岸區 upper-follower,lower-head\n"
                                           "西岸區 upper-follower,lower-head\n"
                                           "光明路 completion-trigger\n"
                                           "一段 bare-first-key\n"
                                           "二段 bare-first-key\n"
                                           "三段 bare-first-key\n"
                                           "一百 first-prefix\n"
                                           "十二 second-prefix\n"
                                           "巷 second-key\n"
                                           "弄 third-lead\n"
                                           "號 third-key\n"
                                           "雲港 head-opener\n"
                                           "車站 opener-follower\n"),
                                     "vocabulary.tsv", diagnostics);
        regions = ParseRegions(Lines("雲港市 東岸區\n雲港市 西岸區\n"), "regions.tsv", diagnostics);
    }

    std::vector<GrammarPair> Generate(const std::string& roads) {
        return GenerateGrammarPairs(vocabulary, regions, {ParseRoads(Lines(roads), "roads.tsv")},
                                    diagnostics);
    }
};

}  // namespace

TEST_F(SmallTables, EveryPairTheGrammarTestsIsGeneratedOnce) {
    const std::vector<GrammarPair> pairs =
        Generate("雲港市 東岸區 光明路 1,2\n雲港市 西岸區 光明路 二段,3\n");
    // Region pairs, both districts and the county before the road.
    EXPECT_TRUE(HasPair(pairs, "雲港市", "東岸區"));
    EXPECT_TRUE(HasPair(pairs, "東岸區", "光明路"));
    EXPECT_TRUE(HasPair(pairs, "西岸區", "光明路"));
    EXPECT_TRUE(HasPair(pairs, "雲港市", "光明路"));
    // Sections are the road's, by number or by word, in whichever district.
    for (const char* section : {"一段", "二段", "三段"})
        EXPECT_TRUE(HasPair(pairs, "光明路", section)) << section;
    // Number words before the keys whose pair the third segment tests, not the lane key.
    for (const char* number : {"一百", "十二"}) {
        EXPECT_TRUE(HasPair(pairs, number, "號")) << number;
        EXPECT_TRUE(HasPair(pairs, number, "弄")) << number;
        EXPECT_FALSE(HasPair(pairs, number, "巷")) << number;
    }
    EXPECT_TRUE(HasPair(pairs, "雲港", "車站"));
    std::set<std::pair<std::string, std::string>> distinct;
    for (const GrammarPair& pair : pairs)
        EXPECT_TRUE(distinct.emplace(pair.first, pair.second).second) << pair.first << pair.second;
}

TEST_F(SmallTables, RoadRowsThatCannotBeUsedAreRefusedByLine) {
    const auto failure = [&](const std::string& roads) {
        try {
            Generate(roads);
        } catch (const ToolError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_TRUE(Contains(failure("雲港市 東岸區 光明路\n"), "roads.tsv:1: expected county"));
    EXPECT_TRUE(Contains(failure("# c d r s\n雲港市 東岸區 文昌路 -\n"),
                         "roads.tsv:2: road '文昌路' is not in the vocabulary"));
    EXPECT_TRUE(Contains(failure("雲港市 東岸區 光明路 1,7\n"), "roads.tsv:1: section '7'"));
    EXPECT_TRUE(Contains(failure("雲港市 東岸區 光明路 1,,2\n"), "roads.tsv:1: empty section"));
}

TEST(GrammarPairs, TrainedPairsKeepTheirScoreAndGeneratedOnesGetTheirBackoffScore) {
    Diagnostics diagnostics;
    const Vocabulary vocabulary =
        ParseVocabulary(Lines("a 33\nb 17\nc 17\n"), "vocabulary.tsv", diagnostics);
    Progress progress;
    ArpaModel model = TrainWittenBell({{"a", "b"}}, vocabulary, progress);
    double trained = 0;
    for (const ArpaBigram& bigram : model.bigrams) {
        if (bigram.first == "a" && bigram.second == "b") trained = bigram.logProb;
    }
    const size_t before = model.bigrams.size();
    EXPECT_EQ(AddGrammarPairs(model, {{"a", "b", "test"}, {"a", "c", "test"}}), 1u);
    ASSERT_EQ(model.bigrams.size(), before + 1);
    double backoffA = 0;
    double probabilityC = 0;
    for (const ArpaUnigram& unigram : model.unigrams) {
        if (unigram.word == "a") backoffA = unigram.logBackoff;
        if (unigram.word == "c") probabilityC = unigram.logProb;
    }
    for (const ArpaBigram& bigram : model.bigrams) {
        if (bigram.first == "a" && bigram.second == "b") {
            EXPECT_EQ(bigram.logProb, trained);
        }
        if (bigram.first == "a" && bigram.second == "c") {
            EXPECT_DOUBLE_EQ(bigram.logProb, backoffA + probabilityC);
        }
    }
}

TEST(HarbourDataSet, FiltersToAnyRankWithoutACorpusAsWithOne) {
    ScratchDir dir;
    for (const bool withCorpus : {false, true}) {
        const std::filesystem::path src = dir / (withCorpus ? "with" : "without");
        const std::filesystem::path out = dir / (withCorpus ? "with-out" : "without-out");
        CopySources(src, withCorpus);
        const CliRun build = RunCli({"build", src.string(), "-o", out.string()});
        ASSERT_EQ(build.status, 0) << build.err;
        EXPECT_TRUE(Contains(build.out, "coverage: no gaps found")) << build.out;
        const CliRun eval = RunCli({"eval", "--data", out.string(), "--nbest",
                                    (kHarbourData / "nbest.txt").string(), "--ref",
                                    (kHarbourData / "ref.txt").string()});
        ASSERT_EQ(eval.status, 0) << eval.err;
        EXPECT_GE(AnyRankPercent(eval.out), 95.0)
            << (withCorpus ? "with" : "without") << " corpus\n"
            << eval.out;
    }
}

TEST(HarbourDataSet, ANumberNeverSeenBeforeItsKeyKeepsTheHouseNumber) {
    ScratchDir dir;
    CopySources(dir / "src", false);
    ASSERT_EQ(RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()}).status, 0);
    // The county with a road said without its district: every district that
    // has the road is listed, and the number stays.
    WriteFile(dir / "nbest.txt", "u1-1 雲港市 光明路 十二 號\n");
    const CliRun run =
        RunCli({"filter", "--data", (dir / "out").string(), (dir / "nbest.txt").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "1. 雲港市東岸區光明路12號")) << run.out;
    EXPECT_TRUE(Contains(run.out, "2. 雲港市西岸區光明路12號")) << run.out;
}

TEST(Coverage, GapsAreCountedByBuildAndNamedByInspect) {
    ScratchDir dir;
    CopySources(dir / "src", false);
    // One road left: the other roads lie in no district, its sections after no road.
    WriteFile(dir / "src" / "roads.tsv", "雲港市 東岸區 文昌路 -\n");
    const CliRun build = RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_TRUE(Contains(build.out, "5 roads in no district")) << build.out;
    EXPECT_TRUE(Contains(build.out, "vantir inspect --coverage")) << build.out;

    const CliRun inspect = RunCli({"inspect", "--coverage", (dir / "out").string()});
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_TRUE(Contains(inspect.out, "warning: 5 roads in no district")) << inspect.out;
    EXPECT_TRUE(Contains(inspect.out, "\n  光明路\n")) << inspect.out;
    EXPECT_TRUE(Contains(inspect.out, "3 section words after no road")) << inspect.out;
    EXPECT_FALSE(Contains(inspect.out, "\n  文昌路\n")) << inspect.out;
}

// Every roads*.tsv of the source folder is a road table; files named otherwise
// are not read, and --roads (repeatable) replaces the folder's tables.
TEST(Coverage, EveryRoadTableOfTheFolderIsRead) {
    ScratchDir dir;
    CopySources(dir / "src", false);
    WriteFile(dir / "src" / "roads.tsv", "雲港市 東岸區 文昌路 -\n");
    WriteFile(dir / "src" / "roads-more.tsv", ReadFile(kHarbourData / "roads.tsv"));
    // A row that would stop the build, in files that are no road tables.
    for (const char* name : {"roads.txt", "old-roads.tsv"})
        WriteFile(dir / "src" / name, "雲港市 東岸區 無名路 -\n");
    const CliRun build = RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_FALSE(Contains(build.out, "roads in no district")) << build.out;
    const CliRun eval = RunCli({"eval", "--data", (dir / "out").string(), "--nbest",
                                (kHarbourData / "nbest.txt").string(), "--ref",
                                (kHarbourData / "ref.txt").string()});
    ASSERT_EQ(eval.status, 0) << eval.err;
    EXPECT_GE(AnyRankPercent(eval.out), 95.0) << eval.out;

    const CliRun given = RunCli({"build", (dir / "src").string(), "-o", (dir / "given").string(),
                                 "--roads", (dir / "src" / "roads.tsv").string()});
    ASSERT_EQ(given.status, 0) << given.err;
    EXPECT_TRUE(Contains(given.out, "5 roads in no district")) << given.out;
    const CliRun both = RunCli({"build", (dir / "src").string(), "-o", (dir / "both").string(),
                                "--roads", (dir / "src" / "roads.tsv").string(), "--roads",
                                (dir / "src" / "old-roads.tsv").string()});
    EXPECT_EQ(both.status, 1);
    EXPECT_TRUE(Contains(both.err, "old-roads.tsv:1: road '無名路' is not in the vocabulary"))
        << both.err;
}

TEST(Coverage, AWarningIsCountedInTheSingular) {
    ScratchDir dir;
    CopySources(dir / "src", false);
    // A district missing from the region pairs of its road: one warning.
    WriteFile(dir / "src" / "roads.tsv", "嶺南市 東岸區 文昌路 -\n");
    const CliRun build = RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_TRUE(Contains(build.err, "is not paired with '嶺南市'")) << build.err;
    EXPECT_TRUE(Contains(build.out, ", 1 warning\n")) << build.out;
}

TEST(SmallCommands, ASourceFolderGivenAsDataSuggestsBuild) {
    const CliRun run = RunCli({"filter", "--data", kHarbourData.string(), "-"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err,
                         "holds sources (vocabulary.tsv), not built blobs; run 'vantir "
                         "build"))
        << run.err;
}

TEST(SmallCommands, EvalSkipsUtterancesWithoutAReferenceOnlyWhenAsked) {
    ScratchDir dir;
    CopySources(dir / "src", false);
    ASSERT_EQ(RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()}).status, 0);
    WriteFile(dir / "nbest.txt",
              "a-1 雲港市 東岸區 文昌路 五 號\nb-1 雲港塔\nc-1 雲港市 西岸區 長樂街 七 號\n");
    WriteFile(dir / "ref.txt", "a 雲港市東岸區文昌路5號\nc 雲港市西岸區長樂街7號\n");
    const std::string nbest = (dir / "nbest.txt").string();
    const std::string ref = (dir / "ref.txt").string();
    const CliRun strict =
        RunCli({"eval", "--data", (dir / "out").string(), "--nbest", nbest, "--ref", ref});
    EXPECT_EQ(strict.status, 1);
    EXPECT_TRUE(Contains(strict.err, "no reference for utterance 'b' (--skip-missing"))
        << strict.err;
    const CliRun skipping = RunCli({"eval", "--data", (dir / "out").string(), "--nbest", nbest,
                                    "--ref", ref, "--skip-missing"});
    ASSERT_EQ(skipping.status, 0) << skipping.err;
    EXPECT_TRUE(Contains(skipping.out, "utterances              2\n")) << skipping.out;
    EXPECT_TRUE(Contains(skipping.out, "skipped (no ref)        1\n")) << skipping.out;
    EXPECT_TRUE(Contains(skipping.out, "filtered top-1          2  100.0%")) << skipping.out;
}
