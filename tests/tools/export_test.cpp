// `vantir export`: the hotword list holds every road with its district and county,
// the ARPA file every pair the grammar needs and rebuilds the very same model.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "tool_test_support.h"
#include "tools/compile/arpa_model.h"
#include "tools/compile/data_build.h"
#include "tools/compile/grammar_pairs.h"
#include "tools/compile/region_reader.h"

using namespace vantir::testing;
using namespace vantir::tools;

namespace {

const std::filesystem::path kSample = std::filesystem::path(VANTIR_SOURCE_DIR) / "data/tw-sample";

std::set<std::string> LinesOf(const std::string& text) {
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    return lines;
}

std::vector<RoadTable> RoadTablesOf(const BuildInputs& inputs) {
    std::vector<RoadTable> tables;
    for (const std::filesystem::path& path : inputs.roads)
        tables.push_back(ParseRoads(ReadSourceLines(path), path.filename().string()));
    return tables;
}

class SampleExport : public ::testing::Test {
  protected:
    void SetUp() override {
        const CliRun run =
            RunCli({"export", kSample.string(), "--hotwords", (dir / "hotwords.txt").string(),
                    "--arpa", (dir / "model.arpa").string()});
        ASSERT_EQ(run.status, kExitSuccess) << run.err;
        EXPECT_TRUE(Contains(run.out, "exported ")) << run.out;
        inputs = ResolveBuildInputs(kSample, {});
        ASSERT_EQ(inputs.roads.size(), 2u) << "the sample has two road tables";
    }

    ScratchDir dir;
    BuildInputs inputs;
};

}  // namespace

TEST_F(SampleExport, HotwordsHoldEveryRoadAloneWithItsDistrictAndWithItsCounty) {
    const std::set<std::string> phrases = LinesOf(ReadFile(dir / "hotwords.txt"));
    size_t rows = 0;
    for (const RoadTable& table : RoadTablesOf(inputs)) {
        for (const RoadRow& row : table.rows) {
            ++rows;
            EXPECT_EQ(phrases.count(row.road), 1u) << row.road;
            EXPECT_EQ(phrases.count(row.district + row.road), 1u) << row.district << row.road;
            EXPECT_EQ(phrases.count(row.county + row.road), 1u) << row.county << row.road;
            EXPECT_EQ(phrases.count(row.county + row.district + row.road), 1u)
                << row.county << row.district << row.road;
        }
    }
    EXPECT_GT(rows, 100u);
    // Sections as the recogniser hears them, after the road.
    EXPECT_EQ(phrases.count("忠孝東路四段"), 1u);
    EXPECT_EQ(phrases.count("臺北市大安區忠孝東路四段"), 1u);
    // Only address phrases: no landmark, no filler word, no lone numeral.
    EXPECT_EQ(phrases.count("故宮博物院"), 0u);
    EXPECT_EQ(phrases.count("我"), 0u);
    EXPECT_EQ(phrases.count("一百"), 0u);
}

TEST_F(SampleExport, TheArpaFileListsEveryGeneratedPairAndRebuildsTheSameModel) {
    Diagnostics quiet;
    const Vocabulary vocabulary =
        ParseVocabulary(ReadSourceLines(inputs.vocabulary), "vocabulary.tsv", quiet);
    const RegionSource regions =
        ParseRegions(ReadSourceLines(inputs.regions), "regions.tsv", quiet);
    const std::vector<GrammarPair> generated =
        GenerateGrammarPairs(vocabulary, regions, RoadTablesOf(inputs), quiet);
    const ArpaModel exported = ParseArpa(ReadSourceLines(dir / "model.arpa"), "model.arpa", quiet);
    std::set<std::pair<std::string, std::string>> listed;
    for (const ArpaBigram& bigram : exported.bigrams)
        listed.emplace(bigram.first, bigram.second);
    ASSERT_GT(generated.size(), 1000u);
    for (const GrammarPair& pair : generated) {
        EXPECT_EQ(listed.count({pair.first, pair.second}), 1u)
            << pair.first << " -> " << pair.second << " (" << pair.step << ")";
    }
    // The corpus's own pairs are there too: the file is the whole model.
    EXPECT_GT(listed.size(), generated.size());

    // Built from the exported file, the data filter as the sources' build does.
    ASSERT_EQ(RunCli({"build", kSample.string(), "-o", (dir / "direct").string()}).status,
              kExitSuccess);
    const CliRun rebuilt =
        RunCli({"build", kSample.string(), "--arpa", (dir / "model.arpa").string(), "-o",
                (dir / "rebuilt").string()});
    ASSERT_EQ(rebuilt.status, kExitSuccess) << rebuilt.err;
    EXPECT_TRUE(Contains(rebuilt.out, " 0 of them not in the trained model")) << rebuilt.out;
    EXPECT_EQ(ReadFile(dir / "rebuilt" / "model.lmb"), ReadFile(dir / "direct" / "model.lmb"));
}

TEST(Export, HotwordFormsSeparateWordsOrCharacters) {
    ScratchDir dir;
    const std::string source = kHarbourData.string();
    for (const char* form : {"words", "chars"}) {
        const CliRun run =
            RunCli({"export", source, "--hotwords", (dir / (std::string(form) + ".txt")).string(),
                    "--hotword-form", form});
        ASSERT_EQ(run.status, kExitSuccess) << run.err;
    }
    const std::set<std::string> words = LinesOf(ReadFile(dir / "words.txt"));
    EXPECT_EQ(words.count("雲港市 西岸區 光明路"), 1u);
    EXPECT_EQ(words.count("雲港市 西岸區 光明路 三段"), 1u);
    EXPECT_EQ(words.count("學府路"), 1u);
    const std::set<std::string> characters = LinesOf(ReadFile(dir / "chars.txt"));
    EXPECT_EQ(characters.count("雲 港 市 西 岸 區 光 明 路"), 1u);
    EXPECT_EQ(characters.count("北 湖 區 湖 畔 路"), 1u);
    EXPECT_EQ(words.size(), characters.size());
}

TEST(Export, NeedsAnOutputAndWritesNothingFromBadSources) {
    ScratchDir dir;
    EXPECT_EQ(RunCli({"export", kHarbourData.string()}).status, kExitUsage);
    EXPECT_EQ(RunCli({"export", kHarbourData.string(), "--hotwords", "-", "--arpa", "-"}).status,
              kExitUsage);

    WriteSmallSources(dir / "src");
    WriteFile(dir / "src" / "roads.tsv", "臺北市\t大安區\t南京東路\t-\n");
    const CliRun run = RunCli({"export", (dir / "src").string(), "--hotwords",
                               (dir / "h.txt").string(), "--arpa", (dir / "m.arpa").string()});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_TRUE(Contains(run.err, "roads.tsv:1: road '南京東路' is not in the vocabulary"))
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "h.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "m.arpa"));
}

TEST(Export, AModelOnStandardOutputIsTheWholeOutput) {
    const CliRun run = RunCli({"export", kHarbourData.string(), "--arpa", "-"});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out.rfind("\\data\\\n", 0), 0u) << run.out.substr(0, 80);
    EXPECT_TRUE(run.out.ends_with("\\end\\\n"));
}
