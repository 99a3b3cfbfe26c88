// The command line on recogniser text: filter --text gives what the words give,
// segment prints the split in the input's layout, explain --text, and --s2t.
#include <gtest/gtest.h>

#include <sstream>

#include "tool_test_support.h"
#include "tools/cli/cli.h"
#include "tools/run/text_hypotheses.h"

using namespace vantir::testing;

namespace {

CliRun RunArgs(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv = {"vantir"};
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        vantir::tools::RunVantir(static_cast<int>(argv.size()), argv.data(), out, err, false);
    return {status, out.str(), err.str()};
}

class TextCli : public SmallDataTest {
  protected:
    std::string Filter(const std::string& nbest, std::vector<std::string> flags) {
        WriteFile(dir / "nbest.txt", nbest);
        std::vector<std::string> args = {"filter", "--data", out};
        args.insert(args.end(), flags.begin(), flags.end());
        args.push_back((dir / "nbest.txt").string());
        const auto run = RunArgs(args);
        EXPECT_EQ(run.status, kExitSuccess) << run.err;
        return run.out;
    }
};

TEST_F(TextCli, FilterTextGivesWhatTheWordsGive) {
    const std::string words = Filter(
        "u1-1 我 臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄 七 號\n"
        "u2-1 大安區 忠孝東路 四段 七 號\n"
        "u3-2 臺北市 中正區 忠孝東路 一段 七 號\n"
        "u3-1 臺北市 忠孝東路 四段 七 號\n",
        {});
    const std::string text = Filter(
        "u1-1 我台北市大安區忠孝東路四段123巷5弄7號\n"
        "u2-1 大安區，忠孝東路四段７號。\n"
        "u3-2 台北市中正區忠孝東路一段7號\n"
        "u3-1 臺北市 忠孝東路 四段 7 號\n",
        {"--text"});
    EXPECT_EQ(text, words);
    EXPECT_NE(text.find("1. 臺北市大安區忠孝東路四段123巷5弄7號"), std::string::npos) << text;
}

TEST_F(TextCli, SegmentPrintsTheSplitInTheInputsLayout) {
    WriteFile(dir / "kaldi.txt", "u1-2 台北市大安區\nu1-1 我臺北市中正區7號\n");
    auto run = RunCli({"segment", "--data", out, (dir / "kaldi.txt").string()});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, "u1-1 我 臺北市 中正區 七 號\nu1-2 臺北市 大安區\n");
    WriteFile(dir / "plain.txt", "台北市大安區\n\n忠孝東路四段\n");
    run = RunCli({"segment", "--data", out, (dir / "plain.txt").string()});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, "臺北市 大安區\n\n忠孝東路 四段\n\n");
}

TEST_F(TextCli, ExplainTextShowsTheSplitHypothesis) {
    const auto run = RunCli({"explain", "--data", out, "--text", "我台北市大安區忠孝東路四段7號"});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_NE(run.out.find("kept            臺北市 大安區 忠孝東路 四段 七 號\n"),
              std::string::npos)
        << run.out;
}

TEST_F(TextCli, SimplifiedCharactersNeedS2t) {
    const std::string nbest = "u1-1 台北市大安区忠孝东路四段123巷5弄7号\n";
    WriteFile(dir / "nbest.txt", nbest);
    const auto run = RunCli({"filter", "--data", out, "--s2t", (dir / "nbest.txt").string()});
    if (!vantir::tools::SimplifiedToTaiwan::Available()) {
        EXPECT_EQ(run.status, kExitFailure);
        EXPECT_NE(run.err.find("libopencc-dev"), std::string::npos) << run.err;
        return;
    }
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, "u1\n  1. 臺北市大安區忠孝東路四段123巷5弄7號\n");
    // Without the conversion 区 and 号 are unknown: the address loses its district.
    EXPECT_NE(Filter(nbest, {"--text"}), run.out);
}

// s2tw also converts characters that Taiwan writes as they are (里 to 裏, 庄 to
// 莊, and 幺 of numbers said digit by digit): the conversion keeps those that
// the data set's words write, and 幺, and still converts the simplified ones.
TEST(TextConversion, KeepsTheCharactersTheLexiconWrites) {
    if (!vantir::tools::SimplifiedToTaiwan::Available()) GTEST_SKIP() << "built without OpenCC";
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    char16_t words[] = u"嘉里二街\n新庄街\n號\n";
    ASSERT_NE(Lexicon_BuildBlob(lexicon, words, nullptr), nullptr);
    const vantir::tools::SimplifiedToTaiwan keeping(lexicon);
    EXPECT_EQ(keeping.Convert("花莲县嘉里二街三幺五号"), "花蓮縣嘉里二街三幺五號");
    EXPECT_EQ(keeping.Convert("新庄街"), "新庄街");
    EXPECT_EQ(keeping.Convert("台北市大安区"),
              vantir::tools::SimplifiedToTaiwan().Convert("台北市大安区"));
    Lexicon_Destroy(lexicon);
}

}  // namespace
