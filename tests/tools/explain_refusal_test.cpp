// `vantir explain` on the made-up harbour data: the step and the pair that refused
// a start or left words after the address, why nothing was kept, and each rank class.
#include <gtest/gtest.h>

#include "tool_test_support.h"
#include "tools/compile/bigram_trainer.h"
#include "tools/compile/blob_builders.h"
#include "tools/compile/data_build.h"

using namespace vantir::testing;
using namespace vantir::tools;

namespace {

class HarbourExplain : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "src");
        for (const char* name : {"vocabulary.tsv", "regions.tsv", "roads.tsv"})
            std::filesystem::copy_file(kHarbourData / name, dir / "src" / name);
        const CliRun build = RunCli({"build", (dir / "src").string(), "-o", out()});
        ASSERT_EQ(build.status, 0) << build.err;
    }
    std::string out() const { return (dir / "out").string(); }
    std::string Explain(const std::string& words) const {
        const CliRun run = RunCli({"explain", "--data", out(), words});
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }
    // Replaces the model with one trained on `corpus` alone, as a build
    // without generated pairs made it: only the corpus's pairs are legal.
    void UseCorpusOnlyModel(const std::vector<Sentence>& corpus) {
        Diagnostics diagnostics;
        const Vocabulary vocabulary = ParseVocabulary(
            ReadSourceLines(kHarbourData / "vocabulary.tsv"), "vocabulary.tsv", diagnostics);
        Progress progress;
        const LexiconBlob lexicon = BuildLexiconBlob(vocabulary);
        const std::vector<uint8_t> model =
            BuildModelBlob(TrainWittenBell(corpus, vocabulary, progress), "corpus",
                           lexicon.numbering, ModelOptions{}, diagnostics);
        WriteFile(dir / "out" / kModelBlobName, std::string(model.begin(), model.end()));
    }
    ScratchDir dir;
};

}  // namespace

TEST_F(HarbourExplain, ARefusedStartNamesItsStepAndPair) {
    UseCorpusOnlyModel({{"雲港市", "東岸區", "光明路", "十二", "號"}});
    const std::string text = Explain("雲港市 文昌路 十二 號");
    EXPECT_TRUE(Contains(text,
                         "refused         position 0 (雲港市 文昌路): region completion "
                         "refused it, pair 雲港市→文昌路 not listed in the model\n"))
        << text;
    EXPECT_TRUE(Contains(text,
                         "every head was refused (see 'refused') and no word is a "
                         "fallback word: nothing is kept"))
        << text;
    EXPECT_TRUE(Contains(text, "results         none\n")) << text;
}

TEST_F(HarbourExplain, WordsLeftAfterTheAddressNameTheSegmentAndPair) {
    UseCorpusOnlyModel({{"雲港市", "東岸區", "光明路", "十二", "巷", "五", "號"}});
    const std::string text = Explain("雲港市 東岸區 光明路 十二 號");
    EXPECT_TRUE(Contains(text, "third segment   none: pair 十二→號 not listed in the model\n"))
        << text;
    EXPECT_TRUE(Contains(text,
                         "dropped         十二 號 (after the address; third segment: pair "
                         "十二→號 not listed in the model)\n"))
        << text;
    // A refused section after a road that does not have it.
    const std::string section = Explain("雲港市 東岸區 光明路 二段 五 號");
    EXPECT_TRUE(
        Contains(section, "first segment   none: pair 光明路→二段 not listed in the model\n"))
        << section;
}

TEST_F(HarbourExplain, NothingKeptSaysWhy) {
    const std::string noHead = Explain("我 要 去 長樂街");
    EXPECT_TRUE(Contains(noHead,
                         "no word can start an address (none is tagged upper-head, "
                         "lower-head, head-opener or bound-head-opener) and none is a "
                         "fallback word: nothing is kept"))
        << noHead;
    const std::string fallback = Explain("我 要 去 雲港塔");
    EXPECT_TRUE(Contains(fallback, "no head anywhere; the first fallback word stands alone"))
        << fallback;
}

TEST_F(HarbourExplain, EachRankClassIsNamed) {
    const std::string full = Explain("雲港市 東岸區 光明路 十二 號");
    EXPECT_TRUE(Contains(full, "(class 0: address with its lower region)")) << full;
    // The district left out: the kept text is class 1, the listed districts class 2.
    const std::string widened = Explain("雲港市 光明路 十二 號");
    EXPECT_TRUE(Contains(widened, "雲港市光明路12號 (class 1: address without a lower region"))
        << widened;
    EXPECT_TRUE(Contains(widened, "candidates      東岸區 西岸區\n")) << widened;
    EXPECT_TRUE(Contains(widened,
                         "1. 雲港市東岸區光明路12號  (class 2: completed with a listed "
                         "lower region)"))
        << widened;
    const std::string bare = Explain("雲港塔");
    EXPECT_TRUE(Contains(bare, "1. 雲港塔  (class 3: bare head or single word)")) << bare;
}
