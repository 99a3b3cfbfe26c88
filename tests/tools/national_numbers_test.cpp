// House numbers of the national data set through `vantir filter`: its numeral
// words and keys (thousands, 之) on one road, so the check is cheap on every target.
#include <gtest/gtest.h>

#include <fstream>

#include "tool_test_support.h"

using namespace vantir::testing;

namespace {

const std::filesystem::path kNational = std::filesystem::path(VANTIR_SOURCE_DIR) / "data/tw";

// The national vocabulary's numeral lines and its hand-written words, with one
// county, district and road of its own.
void WriteNumeralSources(const std::filesystem::path& dir) {
    std::string vocabulary =
        "臺中市\tupper-head\n西屯區\tupper-follower lower-head\n"
        "臺灣大道\tcompletion-trigger\n";
    std::ifstream national(kNational / "vocabulary.tsv");
    for (std::string line; std::getline(national, line);) {
        if (line.find("prefix") != std::string::npos) vocabulary += line + "\n";
    }
    vocabulary += ReadFile(kNational / "words.tsv");
    WriteFile(dir / "vocabulary.tsv", vocabulary);
    WriteFile(dir / "regions.tsv", "臺中市\t西屯區\n");
    WriteFile(dir / "roads.tsv", "臺中市\t西屯區\t臺灣大道\t二段,三段,四段,五段\n");
}

}  // namespace

TEST(NationalNumbers, ThousandsAndZhiNumbersComposeToDigits) {
    ScratchDir dir;
    WriteNumeralSources(dir / "src");
    const CliRun build = RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
    ASSERT_EQ(build.status, kExitSuccess) << build.err;
    const struct {
        const char* words;
        const char* text;
    } cases[] = {
        {"一千 零五 號", "1005號"},
        {"一千 零一十五 號", "1015號"},
        {"一千一百 號", "1100號"},
        {"一千七百 二十七 號", "1727號"},
        {"兩千 零二十 號", "2020號"},
        {"九千九百 九十九 號", "9999號"},
        {"十二 之 一 號", "12之1號"},
        {"一百 二十五 之 三 號", "125之3號"},
        {"一千 零五 之 十二 號", "1005之12號"},
        {"五十 巷 十二 之 一 號", "50巷12之1號"},
        {"三百 巷 二 弄 一千 零八 號", "300巷2弄1008號"},
    };
    std::string nbest;
    std::string expected;
    int k = 0;
    for (const auto& c : cases) {
        // Appended piece by piece: GCC 12 at -O3 mistakes a concatenation that
        // starts with a short literal for an overlapping copy (-Wrestrict).
        const std::string id = std::to_string(++k);
        nbest.append("u").append(id).append("-1 臺中市 西屯區 臺灣大道 四段 ");
        nbest.append(c.words).append("\n");
        expected.append("u").append(id).append("\n  1. 臺中市西屯區臺灣大道四段");
        expected.append(c.text).append("\n");
    }
    WriteFile(dir / "nbest.txt", nbest);
    const CliRun filter = RunCli(
        {"filter", "--max", "1", "--data", (dir / "out").string(), (dir / "nbest.txt").string()});
    ASSERT_EQ(filter.status, kExitSuccess) << filter.err;
    EXPECT_EQ(filter.out, expected);
    // Accurate mode reads the same numbers, and numbers said digit by digit in
    // words the lexicon has (一 零五) whole.
    nbest.append("d1-1 臺中市 西屯區 臺灣大道 四段 一 零五 號\n");
    nbest.append("d2-1 臺中市 西屯區 臺灣大道 四段 九 零八 巷 二 號\n");
    expected.append("d1\n  1. 臺中市西屯區臺灣大道四段105號\n");
    expected.append("d2\n  1. 臺中市西屯區臺灣大道四段908巷2號\n");
    WriteFile(dir / "nbest.txt", nbest);
    const CliRun accurate = RunCli({"filter", "--accurate", "--max", "1", "--data",
                                    (dir / "out").string(), (dir / "nbest.txt").string()});
    ASSERT_EQ(accurate.status, kExitSuccess) << accurate.err;
    EXPECT_EQ(accurate.out, expected);

    // An alley and a 之 number together: the grammar's third segment holds
    // one of them, so the default mode keeps the lane; accurate mode reads both.
    WriteFile(dir / "alley.txt", "a-1 臺中市 西屯區 臺灣大道 四段 三百 巷 二 弄 十二 之 一 號\n");
    const std::string data = (dir / "out").string();
    const CliRun laneOnly =
        RunCli({"filter", "--max", "1", "--data", data, (dir / "alley.txt").string()});
    EXPECT_EQ(laneOnly.out, "a\n  1. 臺中市西屯區臺灣大道四段300巷\n") << laneOnly.err;
    const CliRun both = RunCli(
        {"filter", "--accurate", "--max", "1", "--data", data, (dir / "alley.txt").string()});
    EXPECT_EQ(both.out, "a\n  1. 臺中市西屯區臺灣大道四段300巷2弄12之1號\n") << both.err;

    // Recogniser text with digits segments into the same words.
    WriteFile(dir / "text.txt",
              "t1-1 台中市西屯區臺灣大道四段1015號\nt2-1 台中市西屯區臺灣大道四段12之1號\n");
    const CliRun text = RunCli({"filter", "--text", "--max", "1", "--data", (dir / "out").string(),
                                (dir / "text.txt").string()});
    ASSERT_EQ(text.status, kExitSuccess) << text.err;
    EXPECT_EQ(
        text.out,
        "t1\n  1. 臺中市西屯區臺灣大道四段1015號\nt2\n  1. 臺中市西屯區臺灣大道四段12之1號\n");
}

// Every shape a recogniser writes a house number in, through text intake in
// both modes: the result holds the number said or none at all, never another
// number and never a key without one.
TEST(NationalNumbers, EveryWrittenShapeGivesTheNumberSaidOrNone) {
    ScratchDir dir;
    WriteNumeralSources(dir / "src");
    const CliRun build = RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
    ASSERT_EQ(build.status, kExitSuccess) << build.err;
    const std::string road = "臺中市西屯區臺灣大道四段";
    const struct {
        const char* shape;
        const char* number;  // "" when the filter may not read one
    } cases[] = {
        {"1005", "1005"},
        {"１００５", "1005"},
        {"1,005", "1005"},
        {"9,999", "9999"},
        {"一千零五", "1005"},
        {"兩千三百", "2300"},
        {"一千兩百三十四", "1234"},
        {"九千九百九十九", "9999"},
        {"三十", "30"},
        {"17O", "170"},
        {"12之1", "12之1"},
        {"十二之一", "12之1"},
        {"一零零五", "1005"},
        {"一〇〇五", "1005"},
        {"幺零五", "105"},
        {"三幺", "31"},
        {"七七", "77"},  // two numerals before a key: said digit by digit
        {"一二三四五", ""},
        {"零", ""},
        {"〇", ""},
        {"0", ""},
        {"一萬", ""},
        {"三萬五千", ""},
        {"10000", ""},
        {"12,34", "12"},  // a list of numbers: the first
        {"1．005", ""},
    };
    std::string text;
    std::string expected;
    int id = 0;
    for (const auto& c : cases) {
        const std::string utterance = "t" + std::to_string(++id);
        text += utterance + "-1 " + road + c.shape + "號\n";
        const std::string number = c.number;
        expected += utterance + "\n  1. " + road + (number.empty() ? "" : number + "號") + "\n";
    }
    WriteFile(dir / "text.txt", text);
    for (const bool accurate : {false, true}) {
        const std::string data = (dir / "out").string();
        const std::string input = (dir / "text.txt").string();
        const CliRun filter =
            accurate
                ? RunCli({"filter", "--text", "--accurate", "--max", "1", "--data", data, input})
                : RunCli({"filter", "--text", "--max", "1", "--data", data, input});
        ASSERT_EQ(filter.status, kExitSuccess) << filter.err;
        EXPECT_EQ(filter.out, expected) << (accurate ? "accurate" : "default");
    }
}
