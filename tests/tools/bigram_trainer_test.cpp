// Training on a tiny corpus with hand-computed Witten-Bell estimates, and the
// corpus reader's checks.
#include "tools/compile/bigram_trainer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "tool_test_support.h"
#include "tools/compile/blob_builders.h"
#include "vantir/vantir.hpp"

using namespace vantir::tools;
using vantir::testing::Lines;

namespace {

Vocabulary Abc() {
    Diagnostics quiet;
    return ParseVocabulary(Lines("a\nb\nc\n"), "v.tsv", quiet);
}

struct Trained {
    std::map<std::string, ArpaUnigram> unigrams;
    std::map<std::pair<std::string, std::string>, double> bigrams;
};

Trained Train(const std::string& corpus) {
    const Vocabulary vocabulary = Abc();
    Progress silent;
    const ArpaModel model =
        TrainWittenBell(ParseCorpus(Lines(corpus), "c.txt", vocabulary), vocabulary, silent);
    Trained trained;
    for (const ArpaUnigram& unigram : model.unigrams)
        trained.unigrams[unigram.word] = unigram;
    for (const ArpaBigram& bigram : model.bigrams) {
        trained.bigrams[{bigram.first, bigram.second}] = bigram.logProb;
    }
    return trained;
}

constexpr double kTolerance = 1e-12;

}  // namespace

// Corpus "a b" and "a c", vocabulary {a, b, c} plus </s> (V = 4):
//   counts a 2, b 1, c 1, </s> 2: N = 6 tokens, T1 = 4 types seen
//   P1(w) = (c(w) + 4/4) / (6 + 4):  a 0.3, b 0.2, c 0.2, </s> 0.3
//   <s>: c = 2, T = 1 -> P(a|<s>) = (2 + 0.3) / 3, bow = 1/3
//   a:   c = 2, T = 2 -> P(b|a) = (1 + 2 * 0.2) / 4 = 0.35, bow = 0.5
//   b:   c = 1, T = 1 -> P(</s>|b) = (1 + 0.3) / 2 = 0.65, bow = 0.5
TEST(BigramTrainer, GivesTheHandComputedWittenBellEstimates) {
    const Trained t = Train("a b\n# comment\n\na c\n");
    EXPECT_NEAR(t.unigrams.at("a").logProb, std::log10(0.3), kTolerance);
    EXPECT_NEAR(t.unigrams.at("b").logProb, std::log10(0.2), kTolerance);
    EXPECT_NEAR(t.unigrams.at("</s>").logProb, std::log10(0.3), kTolerance);
    EXPECT_EQ(t.unigrams.at("<s>").logProb, kNeverPredictedLog10);
    EXPECT_NEAR(t.unigrams.at("<s>").logBackoff, std::log10(1.0 / 3), kTolerance);
    EXPECT_NEAR(t.unigrams.at("a").logBackoff, std::log10(0.5), kTolerance);
    EXPECT_NEAR(t.unigrams.at("b").logBackoff, std::log10(0.5), kTolerance);
    ASSERT_EQ(t.bigrams.size(), 5u);
    EXPECT_NEAR(t.bigrams.at({"<s>", "a"}), std::log10(2.3 / 3), kTolerance);
    EXPECT_NEAR(t.bigrams.at({"a", "b"}), std::log10(0.35), kTolerance);
    EXPECT_NEAR(t.bigrams.at({"a", "c"}), std::log10(0.35), kTolerance);
    EXPECT_NEAR(t.bigrams.at({"b", "</s>"}), std::log10(0.65), kTolerance);
}

TEST(BigramTrainer, ProbabilitiesOfEveryHistorySumToOne) {
    const Trained t = Train("a b c\nb b\nc a b\na\n");
    for (const std::string history : {"<s>", "a", "b", "c"}) {
        const double backoff = std::pow(10.0, t.unigrams.at(history).logBackoff);
        double sum = 0;
        for (const std::string word : {"a", "b", "c", "</s>"}) {
            const auto listed = t.bigrams.find({history, word});
            sum += listed != t.bigrams.end()
                       ? std::pow(10.0, listed->second)
                       : backoff * std::pow(10.0, t.unigrams.at(word).logProb);
        }
        EXPECT_NEAR(sum, 1.0, 1e-9) << history;
    }
}

TEST(BigramTrainer, UnseenWordsShareTheUniformPart) {
    // "a" alone: counts a 1, </s> 1, N = 2, T1 = 2, V = 4: P1(b) = (0 + 0.5) / 4.
    const Trained t = Train("a\n");
    EXPECT_NEAR(t.unigrams.at("b").logProb, std::log10(0.125), kTolerance);
    EXPECT_NEAR(t.unigrams.at("a").logProb, std::log10(1.5 / 4), kTolerance);
    EXPECT_EQ(t.unigrams.at("c").logBackoff, 0.0) << "a word never seen as history backs off fully";
}

TEST(BigramTrainer, TrainedScoresReachTheModelBlob) {
    const Vocabulary vocabulary = Abc();
    Progress silent;
    const ArpaModel arpa =
        TrainWittenBell(ParseCorpus(Lines("a b\na c\n"), "c.txt", vocabulary), vocabulary, silent);
    WordNumbering numbering;
    numbering.ids = {{"a", 0}, {"b", 1}, {"c", 2}};
    numbering.wordCount = 3;
    Diagnostics quiet;
    std::vector<uint8_t> bytes = BuildModelBlob(arpa, "trained", numbering, {}, quiet);
    vantir::Expected<vantir::ModelHandle> model =
        vantir::AttachModel(vantir::BlobBuffer::CopyOf(bytes.data(), bytes.size()));
    ASSERT_TRUE(model);
    // round(32 * -log10 p): 0.3 -> 17, 0.2 -> 22, 0.35 -> 15, 2.3/3 -> 4, 0.65 -> 6.
    EXPECT_EQ(BigramModel_UnigramScore(model->get(), 0), -17);
    EXPECT_EQ(BigramModel_UnigramScore(model->get(), 1), -22);
    EXPECT_EQ(BigramModel_UnigramScore(model->get(), -1), -17) << "</s>";
    BigramModel_SetStrictMode(model->get());
    EXPECT_EQ(BigramModel_PairScore(model->get(), 0, 1), -15);
    EXPECT_EQ(BigramModel_PairScore(model->get(), -1, 0), -4);
    EXPECT_EQ(BigramModel_PairScore(model->get(), 1, -1), -6);
    EXPECT_EQ(BigramModel_PairScore(model->get(), 1, 2), -10000) << "b c never seen";
    BigramModel_SetBackoffMode(model->get());
    // bow(b) 0.5 -> 10, P1(c) 0.2 -> 22
    EXPECT_EQ(BigramModel_PairScore(model->get(), 1, 2), -(10 + 22));
}

TEST(CorpusReader, FailsOnWordsOutsideTheVocabulary) {
    try {
        ParseCorpus(Lines("a b\na x c\n"), "corpus.txt", Abc());
        FAIL() << "expected an error";
    } catch (const ToolError& error) {
        EXPECT_STREQ(error.what(), "corpus.txt:2: word 'x' is not in the vocabulary");
    }
}
