// The real `vantir` process: failed writes to standard output, builds that are
// refused or blocked, the model's size options at their limits, empty result
// texts, and the messages about hostile or malformed input.
#include <gtest/gtest.h>

#include <algorithm>

#include "tool_test_support.h"

using namespace vantir::testing;

namespace {

class BinaryRun : public ::testing::Test {
  protected:
    void SetUp() override {
        if (kCliBinary == nullptr) GTEST_SKIP() << "the vantir binary is not built";
        WriteSmallSources(dir / "src");
        const CliRun run = RunCli({"build", src(), "-o", out()});
        ASSERT_EQ(run.status, kExitSuccess) << run.err;
    }
    std::string src() const { return (dir / "src").string(); }
    std::string out() const { return (dir / "out").string(); }
    ScratchDir dir;
};

}  // namespace

TEST_F(BinaryRun, EveryCommandFailsWhenStandardOutputCannotBeWritten) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    WriteFile(dir / "nbest.txt", "u1-1 臺北市 大安區 忠孝東路 四段 七 號\n");
    WriteFile(dir / "ref.txt", "u1 臺北市大安區忠孝東路四段7號\n");
    const std::string nbest = (dir / "nbest.txt").string();
    const std::vector<std::vector<std::string>> commands = {
        {"filter", "--data", out(), nbest},
        {"filter", "--data", out(), "--json", nbest},
        {"train", src(), "-o", "-"},
        {"eval", "--data", out(), "--nbest", nbest, "--ref", (dir / "ref.txt").string()},
        {"inspect", out()},
        {"explain", "--data", out(), "大安區 忠孝東路"},
        {"--help"},
    };
    for (const std::vector<std::string>& command : commands) {
        const CliRun ok = RunBinary(command);
        EXPECT_EQ(ok.status, kExitSuccess) << command[0] << ": " << ok.err;
        EXPECT_FALSE(ok.out.empty()) << command[0];
        const CliRun full = RunBinary(command, "/dev/full");
        EXPECT_EQ(full.status, kExitFailure) << command[0];
        EXPECT_TRUE(Contains(full.err, "vantir: cannot write the output")) << full.err;
    }
}

TEST_F(BinaryRun, BuildRefusesAnOutputThatIsNoRegularFileAndKeepsTheOldSet) {
    const std::string oldModel = ReadFile(dir / "out" / "model.lmb");
    std::filesystem::remove(dir / "out" / "address.addr");
    std::filesystem::create_directories(dir / "out" / "address.addr");
    // More added capacity gives another model blob, which must not land.
    const CliRun run = RunBinary({"build", src(), "-o", out(), "--added-capacity", "5"});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_TRUE(Contains(run.err, "address.addr: is a directory, not a regular file")) << run.err;
    EXPECT_EQ(ReadFile(dir / "out" / "model.lmb"), oldModel);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "out" / "address.addr"));

    std::filesystem::remove(dir / "out" / "address.addr");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "pipe", dir / "out" / "address.addr");
    const CliRun linked = RunBinary({"build", src(), "-o", out(), "--added-capacity", "5"});
    EXPECT_EQ(linked.status, kExitFailure);
    EXPECT_TRUE(Contains(linked.err, "is a symbolic link to a pipe")) << linked.err;
    EXPECT_EQ(ReadFile(dir / "out" / "model.lmb"), oldModel);
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));

    std::filesystem::remove(dir / "out" / "address.addr");
    const CliRun rebuilt = RunBinary({"build", src(), "-o", out(), "--added-capacity", "5"});
    EXPECT_EQ(rebuilt.status, kExitSuccess) << rebuilt.err;
    EXPECT_NE(ReadFile(dir / "out" / "model.lmb"), oldModel);
    for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << "helper file left behind";
    }
}

TEST_F(BinaryRun, ModelSizeOptionsBeyondTheFormatAreRefusedByName) {
    struct Case {
        std::vector<std::string> options;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--added-capacity", "2147483647"}, "--added-capacity 2147483647: with the 18 vocabulary"},
        {{"--spare-pairs", "2147483647"}, "--spare-pairs 2147483647: with the"},
        {{"--added-capacity", "400000000"},
         "--added-capacity 400000000 and --spare-pairs 0: the model blob would take"},
    };
    for (const Case& one : cases) {
        std::vector<std::string> arguments = {"build", src(), "-o", (dir / "big").string()};
        arguments.insert(arguments.end(), one.options.begin(), one.options.end());
        const CliRun run = RunBinary(arguments);
        EXPECT_EQ(run.status, kExitFailure) << one.options[0];
        EXPECT_TRUE(Contains(run.err, one.message)) << run.err;
        EXPECT_FALSE(Contains(run.err, "runtime error")) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "big" / "model.lmb"));
    }
}

TEST_F(BinaryRun, EmptyTextsAreWarnedAboutAtBuildAndNeverListedAsAddresses) {
    WriteFile(dir / "src" / "vocabulary.tsv",
              ReadFile(dir / "src" / "vocabulary.tsv") + "@!\tfallback\n樓\tfallback closing\n");
    const CliRun build = RunBinary({"build", src(), "-o", out()});
    ASSERT_EQ(build.status, kExitSuccess) << build.err;
    EXPECT_TRUE(Contains(build.err, "vocabulary.tsv: 2 words compose to no text")) << build.err;
    EXPECT_TRUE(Contains(build.err, "'@!' (line 20), '樓' (line 21)")) << build.err;

    WriteFile(dir / "nbest.txt", "u1-1 @!\nu1-2 大安區 忠孝東路 四段 七 號\nu2-1 樓\n");
    const std::string nbest = (dir / "nbest.txt").string();
    const CliRun text = RunBinary({"filter", "--data", out(), nbest});
    EXPECT_EQ(text.status, kExitSuccess) << text.err;
    EXPECT_EQ(text.out,
              "u1\n  1. 臺北市大安區忠孝東路四段7號\n  (1 empty text left out: kept words without "
              "text)\n"
              "u2\n  (no address)\n  (1 empty text left out: kept words without text)\n");
    const CliRun json = RunBinary({"filter", "--data", out(), "--json", nbest});
    EXPECT_EQ(json.status, kExitSuccess) << json.err;
    EXPECT_TRUE(
        Contains(json.out, "\"results\":[\"臺北市大安區忠孝東路四段7號\"],\"empty_ranks\":["))
        << json.out;
    EXPECT_TRUE(Contains(json.out, "\"results\":[],\"empty_ranks\":[1]")) << json.out;
}

TEST_F(BinaryRun, EchoedNamesAreCutAndANulIsNamed) {
    const std::string longName(100000, 'x');
    WriteFile(dir / "regions.tsv", longName + "\t大安區\n");
    const CliRun cut =
        RunBinary({"build", src(), "-o", out(), "--regions", (dir / "regions.tsv").string()});
    EXPECT_EQ(cut.status, kExitFailure);
    EXPECT_TRUE(Contains(cut.err, "upper name '" + std::string(40, 'x') +
                                      "...' (100000 characters) is not in the vocabulary"))
        << cut.err.substr(0, 300);
    EXPECT_LT(cut.err.size(), 300u);

    WriteFile(dir / "vocabulary.tsv", std::string("a\0b\tfallback\n", 13));
    const CliRun nul =
        RunBinary({"build", src(), "-o", out(), "--vocabulary", (dir / "vocabulary.tsv").string()});
    EXPECT_EQ(nul.status, kExitFailure);
    // Refused with the line, as a NUL in any source or input line is.
    EXPECT_TRUE(Contains(nul.err,
                         "vocabulary.tsv:1: a NUL byte at byte 1 (is the file UTF-16 or "
                         "binary? sources are UTF-8 text)\n"))
        << nul.err;
}

TEST_F(BinaryRun, ARepeatedWarningIsShownOnceWithACount) {
    std::string lines;
    for (int k = 1; k <= 500; ++k)
        lines += "u" + std::to_string(k) + "-1 忽 大安區\n";
    for (int k = 1; k <= 30; ++k)
        lines += "v" + std::to_string(k) + "-1 忽" + std::to_string(k) + "\n";
    WriteFile(dir / "nbest.txt", lines);
    const CliRun run = RunBinary({"filter", "--data", out(), (dir / "nbest.txt").string()});
    EXPECT_EQ(run.status, kExitSuccess);
    const std::string file = (dir / "nbest.txt").string();
    EXPECT_TRUE(Contains(
        run.err, "warning: " + file + ":1: unknown word '忽' left out of the hypothesis\n"));
    EXPECT_TRUE(Contains(run.err, "warning: " + file +
                                      ": repeated 499 more times after line 1: unknown word '忽' "
                                      "left out of the hypothesis\n"))
        << run.err;
    EXPECT_TRUE(Contains(run.err, "warning: " + file +
                                      ": 21 more warnings not shown: unknown words left out (the "
                                      "first at line 510)\n"))
        << run.err;
    EXPECT_LT(std::count(run.err.begin(), run.err.end(), '\n'), 15);

    std::string roleless = ReadFile(dir / "src" / "vocabulary.tsv");
    for (int k = 1; k <= 12; ++k)
        roleless += "z" + std::to_string(k) + "\t9\n";
    WriteFile(dir / "src" / "vocabulary.tsv", roleless);
    WriteFile(dir / "src" / "regions.tsv", "臺北市\t大安區\n臺北市\t無此區\n");
    const CliRun failed = RunBinary({"build", src(), "-o", out()});
    EXPECT_EQ(failed.status, kExitFailure);
    EXPECT_TRUE(Contains(failed.err, ": repeated 11 more times after line 20: tag 9 has no role"))
        << "held-back warnings are reported when an error ends the command\n"
        << failed.err;
}

TEST_F(BinaryRun, ExplainRejectsAnArgumentThatIsNotUtf8) {
    const CliRun run = RunBinary({"explain", "--data", out(), "大安區", "\xE5\xA4 號"});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "vantir: word argument 2 is not valid UTF-8: invalid UTF-8 at byte 2\n");
}

TEST_F(BinaryRun, MalformedOrMissingRanksAreNamedWithTheirLine) {
    struct Case {
        std::string nbest;
        int status;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"u1-x 大安區\n", kExitFailure,
         ":1: 'u1-x' looks like a Kaldi 'UTTID-RANK' key, but rank 'x' is not a number"},
        {"u1-0 大安區\n", kExitFailure,
         ":1: 'u1-0' looks like a Kaldi 'UTTID-RANK' key, but ranks "
         "start at 1"},
        {"u1-1 大安區\nu1-99999999999999999999 號\n", kExitFailure,
         ":2: expected 'UTTID-RANK word ...', found 'u1-99999999999999999999' (rank "
         "'99999999999999999999' is above 2147483647)"},
        {"u1-1 大安區\nu1-4 號\nu2-2 號\n", kExitSuccess,
         ":2: utterance 'u1': ranks 2 to 3 are missing before rank 4"},
        {"u1-1 大安區\nu1-4 號\nu2-2 號\n", kExitSuccess,
         ":3: utterance 'u2': rank 1 is missing before rank 2"},
    };
    for (const Case& one : cases) {
        WriteFile(dir / "nbest.txt", one.nbest);
        const CliRun run = RunBinary({"filter", "--data", out(), (dir / "nbest.txt").string()});
        EXPECT_EQ(run.status, one.status) << one.nbest;
        EXPECT_TRUE(Contains(run.err, (dir / "nbest.txt").string() + one.message)) << run.err;
    }
    const CliRun plain =
        RunBinary({"filter", "--data", out(), "--format", "plain", (dir / "nbest.txt").string()});
    EXPECT_EQ(plain.status, kExitSuccess) << "a chosen format is taken as it is";
}
