// The command line end to end: build -> inspect -> filter -> explain -> eval on
// a small source set, its exit codes, and that a failed build writes nothing.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_test_support.h"

using namespace vantir::testing;

namespace {

class BuiltData : public SmallDataTest {};

}  // namespace

TEST_F(BuiltData, BuildWritesThreeWellFormedBlobsThatShareOneNumbering) {
    EXPECT_FALSE(ReadFile(dir / "out" / "lexicon.wpb").empty());
    const auto run = RunCli({"inspect", out});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_TRUE(Contains(run.out, "kind            lexicon\n"));
    EXPECT_TRUE(Contains(run.out, "kind            model\n"));
    EXPECT_TRUE(Contains(run.out, "kind            address database\n"));
    EXPECT_TRUE(Contains(run.out, "words           18\n"));
    EXPECT_TRUE(Contains(run.out, "region pairs    3\n"));
    EXPECT_TRUE(Contains(run.out, "numbering        lexicon, model and address database agree"));
    EXPECT_FALSE(Contains(run.out, "well formed     no"));
    for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary file left behind";
    }
}

TEST_F(BuiltData, FilterPrintsRankedCanonicalTexts) {
    WriteFile(dir / "nbest.txt",
              "u1-1 我 臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄 七 號\n"
              "u2-1 大安區 忠孝東路 四段 七 號\n"
              "u3-2 臺北市 中正區 忠孝東路 一段 七 號\n"
              "u3-1 臺北市 忠孝東路 四段 七 號\n"
              "u4-1 我 故宮博物院\n");
    const auto run = RunCli({"filter", "--data", out, (dir / "nbest.txt").string()});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out,
              "u1\n  1. 臺北市大安區忠孝東路四段123巷5弄7號\n"
              "u2\n  1. 臺北市大安區忠孝東路四段7號\n"
              "u3\n  1. 臺北市中正區忠孝東路一段7號\n  2. 臺北市大安區忠孝東路四段7號\n"
              "  3. 臺北市中正區忠孝東路四段7號\n"
              "u4\n  1. 故宮博物院\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(BuiltData, FilterWarnsAboutUnknownWordsAndFiltersWithoutThem) {
    WriteFile(dir / "plain.txt", "\n臺北市 大安區 忽 忠孝東路 四段 七 號\n\n我\n");
    const auto run = RunCli({"filter", "--data", out, "--json", (dir / "plain.txt").string()});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.err, "warning: " + (dir / "plain.txt").string() +
                           ":2: unknown word '忽' left out of the hypothesis\n");
    // The confidence is the fitted model's; the rest of each line is exact.
    const std::string confidence = "\"confidence\":";
    const size_t at = run.out.find(confidence);
    ASSERT_NE(at, std::string::npos) << run.out;
    const size_t end = run.out.find(',', at);
    const double value = std::stod(run.out.substr(at + confidence.size()));
    EXPECT_GT(value, 0.0);
    EXPECT_LT(value, 1.0);
    const std::string out = run.out.substr(0, at + confidence.size()) + "C" + run.out.substr(end);
    EXPECT_EQ(out,
              "{\"utterance\":\"1\",\"hypotheses\":[{\"rank\":1,\"line\":2,\"words\":[\"臺北市\","
              "\"大安區\",\"忽\",\"忠孝東路\",\"四段\",\"七\",\"號\"],\"unknown\":[\"忽\"],"
              "\"code\":0}],\"results\":[\"臺北市大安區忠孝東路四段7號\"],\"empty_ranks\":[],"
              "\"details\":[{\"text\":\"臺北市大安區忠孝東路四段7號\",\"confidence\":C,"
              "\"class\":0,\"support\":1,\"first_rank\":0,\"fields\":{\"upper\":\"臺北市\","
              "\"lower\":\"大安區\",\"road\":\"忠孝東路\",\"section\":\"四段\","
              "\"number\":\"7號\"}}],\"code\":0}\n"
              "{\"utterance\":\"2\",\"hypotheses\":[{\"rank\":1,\"line\":4,\"words\":[\"我\"],"
              "\"unknown\":[],\"code\":0}],\"results\":[],\"empty_ranks\":[],\"details\":[],"
              "\"code\":0}\n");
}

TEST_F(BuiltData, ExplainShowsCompletionSegmentsAndDroppedWords) {
    const auto run = RunCli({"explain", "--data", out, "我 大安區 忠孝東路 四段 七 號 我"});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_TRUE(Contains(run.out, "start           position 1\n")) << run.out;
    EXPECT_TRUE(
        Contains(run.out, "completion      inserted 臺北市; kept 臺北市 大安區 忠孝東路\n"));
    EXPECT_TRUE(Contains(run.out, "first segment   四段\n"));
    EXPECT_TRUE(Contains(run.out, "second segment  none\n"));
    EXPECT_TRUE(Contains(run.out, "third segment   七 號\n"));
    EXPECT_TRUE(
        Contains(run.out, "dropped         我 (before the start); 我 (after the address)\n"));
    EXPECT_TRUE(Contains(run.out, "1. 臺北市大安區忠孝東路四段7號  (class 0"));

    // 中正區 lies in another county: completion drops it, and the districts of
    // 新北市 that have 文化路 are listed as candidates.
    const auto listed = RunCli({"explain", "--data", out, "新北市", "中正區 文化路 一段 七 號"});
    EXPECT_TRUE(Contains(listed.out,
                         "completion      dropped 中正區 (pair 新北市→中正區 not listed in the "
                         "model); kept 新北市 文化路\n"))
        << listed.out;
    EXPECT_TRUE(Contains(listed.out, "candidates      板橋區\n"));
    EXPECT_TRUE(Contains(listed.out, "1. 新北市板橋區文化路一段7號  (class 2"));

    const auto nothing = RunCli({"explain", "--data", out, "我 文化路"});
    EXPECT_TRUE(Contains(nothing.out, "no word can start an address")) << nothing.out;
    EXPECT_TRUE(Contains(nothing.out, "none is a fallback word: nothing is kept"));
    EXPECT_TRUE(Contains(nothing.out, "results         none\n"));
}

TEST_F(BuiltData, EvalComparesFilteredAndRawTopOne) {
    WriteFile(dir / "nbest.txt",
              "a-1 我 臺北市 大安區 忠孝東路 四段 七 號\n"
              "b-1 臺北市 大安區 忠孝東路 四段 七 號\n"
              "c-1 臺北市 大安區\n"
              "c-2 臺北市 大安區 忠孝東路 四段 五 號\n");
    WriteFile(dir / "ref.txt",
              "a 臺北市大安區忠孝東路四段7號\n"
              "b 臺北市 大安區 忠孝東路 四段 7號\n"
              "c 臺北市大安區忠孝東路四段5號\n");
    const auto run = RunCli({"eval", "--data", out, "--nbest", (dir / "nbest.txt").string(),
                             "--ref", (dir / "ref.txt").string()});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_TRUE(Contains(run.out, "utterances              3\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "raw top-1               1   33.3%\n"));
    EXPECT_TRUE(Contains(run.out, "filtered top-1          3  100.0%\n"));
    const auto exact = RunCli({"eval", "--data", out, "--exact", "--nbest",
                               (dir / "nbest.txt").string(), "--ref", (dir / "ref.txt").string()});
    EXPECT_TRUE(Contains(exact.out, "raw top-1               0    0.0%\n")) << exact.out;

    WriteFile(dir / "short-ref.txt", "a x\n");
    const auto missing = RunCli({"eval", "--data", out, "--nbest", (dir / "nbest.txt").string(),
                                 "--ref", (dir / "short-ref.txt").string()});
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_TRUE(Contains(missing.err, "no reference for utterance 'b'"));
}

TEST_F(BuiltData, EvalComparesBothModesPerErrorKind) {
    WriteFile(dir / "nbest.txt",
              "cut_1-1 臺北市 大安區 忠孝東路\n"
              "cut_1-2 臺北市 大安區 忠孝東路 四段 五 號\n"
              "plain_1-1 臺北市 大安區 忠孝東路 四段 七 號\n");
    WriteFile(dir / "ref.txt",
              "cut_1 臺北市大安區忠孝東路四段5號\n"
              "plain_1 臺北市大安區忠孝東路四段7號\n");
    const std::string nbest = (dir / "nbest.txt").string();
    const std::string ref = (dir / "ref.txt").string();
    const auto run = RunCli({"eval", "--data", out, "--compare", "--nbest", nbest, "--ref", ref});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_TRUE(Contains(run.out, "filtered top-1          1   50.0%       2  100.0%\n"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "  cut                  1       0.0%   100.0%")) << run.out;
    EXPECT_TRUE(Contains(run.out, "  plain                1     100.0%   100.0%")) << run.out;

    // The report for machines: counts per mode and kind, and with --show-errors
    // the utterances whose top-1 is wrong.
    const auto json = RunCli({"eval", "--data", out, "--compare", "--json", "--show-errors",
                              "--nbest", nbest, "--ref", ref});
    ASSERT_EQ(json.status, kExitSuccess) << json.err;
    const nlohmann::json report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["utterances"], 2);
    EXPECT_EQ(report["raw_top1"], 1);
    EXPECT_EQ(report["exact"], false);
    const nlohmann::json& plain = report["modes"]["default"];
    const nlohmann::json& accurate = report["modes"]["accurate"];
    EXPECT_EQ(plain["top1"], 1);
    EXPECT_EQ(accurate["top1"], 2);
    EXPECT_EQ(plain["kinds"]["cut"]["top1"], 0);
    EXPECT_EQ(plain["kinds"]["cut"]["any_rank"], 1);
    EXPECT_EQ(accurate["kinds"]["plain"]["utterances"], 1);
    ASSERT_EQ(plain["errors"].size(), 1u);
    EXPECT_EQ(plain["errors"][0]["id"], "cut_1");
    EXPECT_EQ(plain["errors"][0]["filtered"], "臺北市大安區忠孝東路");
    EXPECT_TRUE(accurate["errors"].empty());
    const auto calibrated =
        RunCli({"eval", "--data", out, "--json", "--calibration", "--nbest", nbest, "--ref", ref});
    EXPECT_NE(calibrated.status, kExitSuccess) << "the calibration table is text only";

    const auto alone =
        RunCli({"eval", "--data", out, "--accurate", "--nbest", nbest, "--ref", ref});
    EXPECT_TRUE(Contains(alone.out, "filtered top-1          2  100.0%\n")) << alone.out;
    EXPECT_TRUE(Contains(alone.out, "per error kind")) << alone.out;

    const auto filtered =
        RunCli({"filter", "--accurate", "--data", out, (dir / "nbest.txt").string()});
    EXPECT_EQ(filtered.out,
              "cut_1\n  1. 臺北市大安區忠孝東路四段5號\n  2. 臺北市大安區忠孝東路\n"
              "plain_1\n  1. 臺北市大安區忠孝東路四段7號\n");
}

TEST_F(BuiltData, DamagedBlobsAreRefusedWithTheirFileName) {
    std::string model = ReadFile(dir / "out" / "model.lmb");
    WriteFile(dir / "out" / "model.lmb", model.substr(0, model.size() / 2));
    const auto inspect = RunCli({"inspect", (dir / "out" / "model.lmb").string()});
    EXPECT_EQ(inspect.status, kExitFailure);
    EXPECT_TRUE(Contains(inspect.out, "well formed     no\n"));
    WriteFile(dir / "n.txt", "u-1 我\n");
    const auto filter = RunCli({"filter", "--data", out, (dir / "n.txt").string()});
    EXPECT_EQ(filter.status, kExitFailure);
    EXPECT_TRUE(
        Contains(filter.err, "vantir: " + (dir / "out" / "model.lmb").string() + ": malformed: "))
        << filter.err;
    EXPECT_EQ(filter.out, "");
}

TEST(CliBuild, FailedBuildNamesFileAndLineAndWritesNothing) {
    ScratchDir dir;
    WriteSmallSources(dir / "src");
    WriteFile(dir / "src" / "corpus.txt", "臺北市 大安區\n臺北市 忠孝西路\n");
    WriteFile(dir / "out" / "lexicon.wpb", "old");
    const auto run = RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "vantir: " + (dir / "src" / "corpus.txt").string() +
                           ":2: word '忠孝西路' is not in the vocabulary\n");
    EXPECT_EQ(ReadFile(dir / "out" / "lexicon.wpb"), "old") << "existing output untouched";
    EXPECT_FALSE(std::filesystem::exists(dir / "out" / "model.lmb"));

    WriteSmallSources(dir / "src2");
    WriteFile(dir / "src2" / "regions.tsv", "臺北市 信義區\n");
    const auto regions = RunCli({"build", (dir / "src2").string(), "-o", (dir / "out2").string()});
    EXPECT_EQ(regions.status, kExitFailure);
    EXPECT_TRUE(
        Contains(regions.err, "regions.tsv:1: lower name '信義區' is not in the vocabulary"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out2"));
}

TEST(CliBuild, TrainWritesAnArpaFileThatBuildAccepts) {
    ScratchDir dir;
    WriteSmallSources(dir / "src");
    const auto train = RunCli({"train", (dir / "src").string(), "-o", (dir / "m.arpa").string()});
    ASSERT_EQ(train.status, kExitSuccess) << train.err;
    EXPECT_TRUE(Contains(ReadFile(dir / "m.arpa"), "\\data\\\nngram 1=20\n"));
    const auto both =
        RunCli({"build", (dir / "src").string(), "--arpa", (dir / "m.arpa").string(), "--corpus",
                (dir / "src" / "corpus.txt").string(), "-o", (dir / "o").string()});
    EXPECT_EQ(both.status, kExitUsage);
    const auto build = RunCli({"build", (dir / "src").string(), "--arpa", (dir / "m.arpa").string(),
                               "-o", (dir / "from-arpa").string()});
    ASSERT_EQ(build.status, kExitSuccess) << build.err;
    const auto trained =
        RunCli({"build", (dir / "src").string(), "-o", (dir / "trained").string()});
    ASSERT_EQ(trained.status, kExitSuccess);
    // Six decimals in the ARPA text do not move any score byte.
    EXPECT_EQ(ReadFile(dir / "from-arpa" / "model.lmb"), ReadFile(dir / "trained" / "model.lmb"));
    WriteFile(dir / "src" / "model.arpa", ReadFile(dir / "m.arpa"));
    const auto ambiguous = RunCli({"build", (dir / "src").string(), "-o", (dir / "x").string()});
    EXPECT_EQ(ambiguous.status, kExitFailure);
    EXPECT_TRUE(Contains(ambiguous.err, "choose one with --arpa or --corpus"));
}

TEST(CliBuild, TrainWithoutACorpusWritesTheUniformModelThatBuildMakes) {
    ScratchDir dir;
    WriteSmallSources(dir / "src");
    std::filesystem::remove(dir / "src" / "corpus.txt");
    const auto train = RunCli({"train", (dir / "src").string(), "-o", (dir / "u.arpa").string()});
    ASSERT_EQ(train.status, kExitSuccess) << train.err;
    EXPECT_TRUE(Contains(train.out, "uniform model")) << train.out;
    // Every vocabulary word, <s> and </s>; no pair.
    EXPECT_TRUE(Contains(ReadFile(dir / "u.arpa"), "\\data\\\nngram 1=20\nngram 2=0\n"));
    const auto fromArpa = RunCli({"build", (dir / "src").string(), "--arpa",
                                  (dir / "u.arpa").string(), "-o", (dir / "a").string()});
    ASSERT_EQ(fromArpa.status, kExitSuccess) << fromArpa.err;
    const auto uniform = RunCli({"build", (dir / "src").string(), "-o", (dir / "b").string()});
    ASSERT_EQ(uniform.status, kExitSuccess) << uniform.err;
    EXPECT_EQ(ReadFile(dir / "a" / "model.lmb"), ReadFile(dir / "b" / "model.lmb"));
    // A corpus named on the command line must exist.
    EXPECT_EQ(RunCli({"train", (dir / "src").string(), "--corpus", (dir / "none.txt").string(),
                      "-o", (dir / "x.arpa").string()})
                  .status,
              kExitUsage);
}

TEST(CliExitCodes, UsageErrorsHelpAndVersion) {
    EXPECT_EQ(RunCli({}).status, kExitUsage);
    EXPECT_EQ(RunCli({"frobnicate"}).status, kExitUsage);
    EXPECT_EQ(RunCli({"build"}).status, kExitUsage);
    EXPECT_EQ(RunCli({"filter", "--data", "/nonexistent/dir"}).status, kExitUsage);
    EXPECT_EQ(RunCli({"inspect"}).status, kExitUsage);
    const auto help = RunCli({"--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_TRUE(Contains(help.out, "Exit status: 0 success, 1 bad input or data, 2 usage error."));
    for (const std::string command : {"build", "train", "filter", "explain", "inspect", "eval"}) {
        const auto run = RunCli({command, "--help"});
        EXPECT_EQ(run.status, kExitSuccess) << command;
        EXPECT_TRUE(Contains(run.out, "Usage:")) << command;
    }
    EXPECT_TRUE(Contains(RunCli({"filter", "--help"}).out, "still filtered without them"));
    EXPECT_EQ(RunCli({"--version"}).status, kExitSuccess);
}

TEST(CliExitCodes, InspectReportsUnreadableAndForeignFiles) {
    ScratchDir dir;
    WriteFile(dir / "notes.txt",
              "just some text, longer than a blob header would be......"
              "...........................................");
    const auto foreign = RunCli({"inspect", (dir / "notes.txt").string()});
    EXPECT_EQ(foreign.status, kExitFailure);
    EXPECT_TRUE(Contains(foreign.out, "problem: no blob magic \"KRVF\""));
    const auto missing = RunCli({"inspect", (dir / "none.wpb").string()});
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_EQ(missing.err, "vantir: " + (dir / "none.wpb").string() +
                               ": cannot open: No such file or directory\n");
}
