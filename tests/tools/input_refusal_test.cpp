// Inputs that hold nothing to read are errors naming them, never empty input:
// directories given as files, closed standard input; and the messages about
// blobs of the wrong kind or cut short, and about text given without --text.
#include <gtest/gtest.h>

#include "tool_test_support.h"
#include "tools/run/data_dir.h"

using namespace vantir::testing;

namespace {

class InputRefusal : public SmallDataTest {
  protected:
    std::string nbest() {
        WriteFile(dir / "nbest.txt", "u1-1 臺北市 大安區 忠孝東路 四段 七 號\n");
        return (dir / "nbest.txt").string();
    }
    std::string ErrorOfLoading() {
        try {
            vantir::tools::LoadDataDir(out);
        } catch (const vantir::tools::ToolError& error) {
            return error.what();
        }
        return "(no error)";
    }
};

}  // namespace

// A regions.tsv that is a directory used to build a set of 0 region pairs over
// the good one; a roads table that is one was left out unnoticed.
TEST_F(InputRefusal, ABuildRefusesSourcesThatAreDirectoriesAndKeepsTheOldSet) {
    const std::string oldAddress = ReadFile(dir / "out" / "address.addr");
    for (const char* name : {"regions.tsv", "roads-more.tsv"}) {
        WriteSmallSources(dir / "src");
        std::filesystem::remove_all(dir / "src" / name);
        std::filesystem::create_directories(dir / "src" / name);
        const CliRun run = RunCli({"build", (dir / "src").string(), "-o", out});
        EXPECT_EQ(run.status, kExitFailure) << name << ": " << run.out;
        EXPECT_TRUE(Contains(run.err, name + std::string(": is a directory, not a file")))
            << run.err;
        EXPECT_EQ(ReadFile(dir / "out" / "address.addr"), oldAddress) << name;
        std::filesystem::remove_all(dir / "src" / name);
    }
}

TEST_F(InputRefusal, EveryCommandRefusesADirectoryAsItsInput) {
    if (kCliBinary == nullptr) GTEST_SKIP() << "the vantir binary is not built";
    const std::string folder = (dir / "src").string();
    WriteFile(dir / "ref.txt", "u1 臺北市大安區忠孝東路四段7號\n");
    const std::vector<std::vector<std::string>> commands = {
        {"filter", "--data", out, folder},
        {"filter", "--data", out, "--text", folder},
        {"segment", "--data", out, folder},
        {"eval", "--data", out, "--nbest", folder, "--ref", (dir / "ref.txt").string()},
    };
    for (const std::vector<std::string>& command : commands) {
        const CliRun run = RunBinary(command);
        EXPECT_EQ(run.status, kExitFailure) << command[0] << ": " << run.out;
        EXPECT_TRUE(Contains(run.err, folder + ": ")) << run.err;
        EXPECT_TRUE(Contains(run.err, "directory")) << run.err;
        EXPECT_TRUE(run.out.empty()) << command[0];
    }
}

TEST_F(InputRefusal, ClosedOrDirectoryStandardInputIsAnError) {
    if (kCliBinary == nullptr) GTEST_SKIP() << "the vantir binary is not built";
    for (const char* command : {"filter", "segment"}) {
        const CliRun closed = RunBinary({command, "--data", out, "-"}, {}, StandardInput::kClosed);
        EXPECT_EQ(closed.status, kExitFailure) << command;
        EXPECT_TRUE(Contains(closed.err, "<stdin>: standard input is closed")) << closed.err;
        const CliRun folder =
            RunBinary({command, "--data", out}, {}, StandardInput::kEmpty, dir / "src");
        EXPECT_EQ(folder.status, kExitFailure) << command;
        EXPECT_TRUE(Contains(folder.err, "<stdin>: standard input is a directory")) << folder.err;
    }
    // An empty input holds no utterance, which is said.
    const CliRun empty = RunBinary({"filter", "--data", out, "-"});
    EXPECT_EQ(empty.status, kExitFailure) << empty.err;
    EXPECT_TRUE(Contains(empty.err, "<stdin>: no utterance in the input")) << empty.err;
}

TEST_F(InputRefusal, BlobsOfTheWrongKindOrCutShortAreNamedAsSuch) {
    std::filesystem::copy_file(dir / "out" / "lexicon.wpb", dir / "out" / "address.addr",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(Contains(ErrorOfLoading(), "address.addr: not an address database blob"))
        << ErrorOfLoading();
    WriteFile(dir / "out" / "address.addr", std::string(10, 'K'));
    EXPECT_TRUE(Contains(ErrorOfLoading(),
                         "address.addr: truncated: 10 bytes, shorter than the 64-byte header "
                         "every blob starts with"))
        << ErrorOfLoading();
}

// Recogniser text without blanks, given without --text, is one unknown word;
// the warning says what to do instead.
TEST_F(InputRefusal, UnsegmentedTextWithoutTextOptionGetsAHint) {
    WriteFile(dir / "text.txt", "臺北市大安區忠孝東路四段七號\n");
    const CliRun run = RunCli({"filter", "--data", out, (dir / "text.txt").string()});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_TRUE(Contains(run.err,
                         "text.txt:1: the line is one unknown word '臺北市大安區忠孝東路四段七號'"
                         ", longer than any word of the lexicon; for recogniser text "
                         "without blanks between words give --text"))
        << run.err;
    const CliRun words = RunCli({"filter", "--data", out, nbest()});
    EXPECT_FALSE(Contains(words.err, "--text")) << words.err;
    WriteFile(dir / "short.txt", "某某\n");
    const CliRun unknown = RunCli({"filter", "--data", out, (dir / "short.txt").string()});
    EXPECT_TRUE(Contains(unknown.err, "unknown word '某某' left out")) << unknown.err;
}
