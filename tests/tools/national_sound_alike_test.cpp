// Sound-alike intake on the national data set: its sound-alike lists are read
// to their addresses, and clean text gives the same results with the option as
// without it. Needs Debian's unicode-data (the test task installs it).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tool_test_support.h"

using namespace vantir::testing;

namespace {

const std::filesystem::path kNationalSources = std::filesystem::path(VANTIR_SOURCE_DIR) / "data/tw";
constexpr const char* kUnihanFile = "/usr/share/unicode/Unihan_Readings.txt.bz2";

// The figure a line of `vantir eval` gives, as a percentage.
double EvalPercent(const std::string& out, const std::string& label) {
    const size_t at = out.find(label);
    if (at == std::string::npos) return -1;
    const size_t percent = out.find('%', at);
    const size_t start = out.rfind(' ', percent) + 1;
    return std::stod(out.substr(start, percent - start));
}

}  // namespace

TEST(NationalSoundAlike, SlipsAreReadAndCleanTextIsUnchanged) {
    if (!std::filesystem::exists(kUnihanFile)) GTEST_SKIP() << "unicode-data is not installed";
    ScratchDir dir;
    const std::string out = (dir / "out").string();
    const CliRun build = RunCli({"build", kNationalSources.string(), "-o", out, "--sounds"});
    ASSERT_EQ(build.status, kExitSuccess) << build.err;
    EXPECT_LE(std::filesystem::file_size(dir / "out" / "sounds.snd"), 512u * 1024u);

    const std::string nbest = (kNationalSources / "eval/sound-alike-nbest.txt").string();
    const std::string ref = (kNationalSources / "eval/sound-alike-ref.txt").string();
    const CliRun eval = RunCli({"eval", "--data", out, "--nbest", nbest, "--ref", ref, "--text",
                                "--accurate", "--sound-alike"});
    ASSERT_EQ(eval.status, kExitSuccess) << eval.err;
    EXPECT_GE(EvalPercent(eval.out, "filtered top-1"), 90.0) << eval.out;
    EXPECT_GE(EvalPercent(eval.out, "filtered any rank"), 97.0) << eval.out;

    // The references themselves, alone and after words before them, as clean text.
    std::string clean;
    int k = 0;
    for (const char* list : {"ref.txt", "eval/sound-alike-ref.txt"}) {
        for (const auto& line : Lines(ReadFile(kNationalSources / list))) {
            if (line.text.empty() || line.text[0] == '#') continue;
            const std::string text = line.text.substr(line.text.find(' ') + 1);
            const std::string id = "clean_" + std::to_string(++k);
            clean += id + "-1 " + text + "\n" + id + "-2 我要去" + text + "\n";
        }
    }
    WriteFile(dir / "clean.txt", clean);
    for (const char* mode : {"--max=128", "--accurate"}) {
        const CliRun plain =
            RunCli({"filter", "--data", out, "--text", mode, (dir / "clean.txt").string()});
        const CliRun bySound = RunCli({"filter", "--data", out, "--text", mode, "--sound-alike",
                                       (dir / "clean.txt").string()});
        ASSERT_EQ(plain.status, kExitSuccess) << plain.err;
        EXPECT_EQ(bySound.out, plain.out) << mode;
    }
}
