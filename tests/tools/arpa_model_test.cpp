// ARPA import and export, score quantisation, and the model blob built from a
// small hand-checked ARPA file, read back through the library's scorers.
#include "tools/compile/arpa_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "textutil/byte_order.h"
#include "tool_test_support.h"
#include "tools/compile/blob_builders.h"
#include "tools/compile/blob_examiner.h"
#include "tools/compile/score_quantiser.h"
#include "vantir/vantir.hpp"

using namespace vantir::tools;
using vantir::testing::Lines;

namespace {

// Hand-checked: bytes are round(32 * -log10 p).
//   unigram a 0.5 -> 16, b 1.0 -> 32, </s> 0.25 -> 8 (word -1)
//   back-off <s> 0.30103 -> 10 (word -1), a 0.5 -> 16, b none -> 0
//   pairs (<s>,a) 0.1 -> 3, (a,b) 0.2 -> 6, (b,</s>) 0.05 -> 2
constexpr const char* kSmallArpa =
    "some tool's banner\n"
    "\\data\\\n"
    "ngram 1=5\n"
    "ngram 2=4\n"
    "\n"
    "\\1-grams:\n"
    "-99\t<s>\t-0.30103\n"
    "-0.5\ta\t-0.5\n"
    "-1.0\tb\n"
    "-0.25\t</s>\n"
    "-2.0\t<unk>\n"
    "\n"
    "\\2-grams:\n"
    "-0.1\t<s> a\n"
    "-0.2\ta b\n"
    "-0.05\tb </s>\n"
    "-0.3\ta <unk>\n"
    "\n"
    "\\end\\\n";

std::string ErrorOf(const std::string& text) {
    try {
        Diagnostics quiet;
        ParseArpa(Lines(text), "m.arpa", quiet);
    } catch (const ToolError& error) {
        return error.what();
    }
    return "(no error)";
}

WordNumbering AbNumbering() {
    WordNumbering numbering;
    numbering.ids = {{"a", 0}, {"b", 1}};
    numbering.wordCount = 2;
    return numbering;
}

}  // namespace

TEST(ScoreQuantiser, RoundsThirtyTwoBytesPerDecadeAndClamps) {
    EXPECT_EQ(QuantiseLog10(0.0, kMaxScoreByte), 0);
    EXPECT_EQ(QuantiseLog10(0.3, kMaxScoreByte), 0) << "weights above 1 are clamped to 0";
    EXPECT_EQ(QuantiseLog10(-1.0, kMaxScoreByte), 32);
    EXPECT_EQ(QuantiseLog10(-0.5, kMaxScoreByte), 16);
    EXPECT_EQ(QuantiseLog10(-1.0 / 64, kMaxScoreByte), 1) << "halves round away from zero";
    EXPECT_EQ(QuantiseLog10(-0.01, kMaxScoreByte), 0);
    EXPECT_EQ(QuantiseLog10(-7.96875, kMaxScoreByte), 255);
    EXPECT_EQ(QuantiseLog10(-99.0, kMaxScoreByte), 255);
    EXPECT_EQ(QuantiseLog10(-99.0, kMaxListedPairByte), 254);
    EXPECT_EQ(QuantiseLog10(-HUGE_VAL, kMaxScoreByte), 255);
    EXPECT_EQ(QuantiseLog10(std::nan(""), kMaxListedPairByte), 254);
    EXPECT_DOUBLE_EQ(ByteToLog10(32), -1.0);
    for (int byte = 0; byte <= 255; ++byte) {
        EXPECT_EQ(QuantiseLog10(ByteToLog10(static_cast<uint8_t>(byte)), kMaxScoreByte), byte);
    }
}

TEST(ArpaReader, ReadsOneAndTwoGramsOfAHandCheckedFile) {
    Diagnostics quiet;
    const ArpaModel model = ParseArpa(Lines(kSmallArpa), "m.arpa", quiet);
    ASSERT_EQ(model.unigrams.size(), 5u);
    ASSERT_EQ(model.bigrams.size(), 4u);
    EXPECT_EQ(model.unigrams[0].word, "<s>");
    EXPECT_DOUBLE_EQ(model.unigrams[0].logBackoff, -0.30103);
    EXPECT_DOUBLE_EQ(model.unigrams[2].logProb, -1.0);
    EXPECT_DOUBLE_EQ(model.unigrams[2].logBackoff, 0.0) << "no back-off weight means 1";
    EXPECT_EQ(model.unigrams[2].line, 9);
    EXPECT_EQ(model.bigrams[1].first, "a");
    EXPECT_EQ(model.bigrams[1].second, "b");
    EXPECT_DOUBLE_EQ(model.bigrams[1].logProb, -0.2);
    EXPECT_EQ(quiet.warnings, 0);
}

TEST(ArpaReader, SkipsHigherOrdersWithAWarning) {
    Diagnostics diagnostics;
    const ArpaModel model = ParseArpa(Lines("\\data\\\nngram 1=1\nngram 2=0\nngram 3=1\n"
                                            "\\1-grams:\n-1 a\n\\2-grams:\n\\3-grams:\n-1 a a a\n"
                                            "\\end\\\n"),
                                      "m.arpa", diagnostics);
    EXPECT_EQ(model.unigrams.size(), 1u);
    EXPECT_EQ(diagnostics.warnings, 1);
}

TEST(ArpaReader, FailuresNameFileAndLine) {
    EXPECT_EQ(ErrorOf("no data here\n"), "m.arpa: no \\data\\ section: not an ARPA file");
    EXPECT_EQ(ErrorOf("\\data\\\nngram 1=2\n\\1-grams:\n-1 a\n\\end\\\n"),
              "m.arpa:3: \\data\\ declares 2 1-grams but the section holds 1");
    EXPECT_EQ(ErrorOf("\\data\\\nngram 1=1\n\\1-grams:\n-1 a\n"),
              "m.arpa:4: missing \\end\\ (file cut short?)");
    EXPECT_EQ(ErrorOf("\\data\\\nngram 1=1\n\\1-grams:\nx a\n\\end\\\n"),
              "m.arpa:4: 'x' is not a number");
    EXPECT_EQ(ErrorOf("\\data\\\nngram 1=2\n\\1-grams:\n-1 a\n-2 a\n\\end\\\n"),
              "m.arpa:5: 1-gram 'a' repeats line 4");
    EXPECT_EQ(ErrorOf("\\data\\\nngram 1=1\nngram 2=1\n\\1-grams:\n-1 a\n\\2-grams:\n-1 a b\n"
                      "\\end\\\n"),
              "m.arpa:7: word 'b' of a 2-gram has no 1-gram");
    EXPECT_EQ(ErrorOf("\\data\\\nngram 1=1\n\\1-grams:\n0.5 a\n\\end\\\n"),
              "m.arpa:4: probability of 'a' is above 1");
    EXPECT_EQ(ErrorOf("\\data\\\nngram one=1\n"),
              "m.arpa:2: expected 'ngram N=COUNT' in the \\data\\ section");
    EXPECT_EQ(ErrorOf("\\data\\\nngram 1=1\n\\1-grams:\n-1\n\\end\\\n"),
              "m.arpa:4: expected 'log10prob word [log10backoff]'");
    EXPECT_EQ(ErrorOf("\\data\\\nngram 1=1\n\\1-grams:\n-1 a\n\\end\\\nmore\n"),
              "m.arpa:6: text after \\end\\");
}

TEST(ArpaWriter, WritesWhatTheReaderReadsBack) {
    ArpaModel model;
    model.unigrams = {{"<s>", -99, -0.25, 0}, {"a", -0.5, 0, 0}, {"</s>", -0.125, 0, 0}};
    model.bigrams = {{"<s>", "a", -0.0625, 0}, {"a", "</s>", -0.75, 0}};
    std::ostringstream text;
    WriteArpa(model, text);
    Diagnostics quiet;
    const ArpaModel back = ParseArpa(Lines(text.str()), "w.arpa", quiet);
    ASSERT_EQ(back.unigrams.size(), 3u);
    ASSERT_EQ(back.bigrams.size(), 2u);
    EXPECT_DOUBLE_EQ(back.unigrams[0].logBackoff, -0.25);
    EXPECT_DOUBLE_EQ(back.unigrams[2].logProb, -0.125);
    EXPECT_EQ(back.bigrams[1].second, "</s>");
    EXPECT_DOUBLE_EQ(back.bigrams[0].logProb, -0.0625);
}

TEST(ModelBuilder, StoresTheQuantisedArpaScoresWhereTheScorersFindThem) {
    Diagnostics quiet;
    const ArpaModel arpa = ParseArpa(Lines(kSmallArpa), "m.arpa", quiet);
    std::vector<uint8_t> bytes = BuildModelBlob(arpa, "m.arpa", AbNumbering(), {}, quiet);
    const BlobReport report = InspectBlob(bytes.data(), bytes.size());
    ASSERT_TRUE(report.WellFormed()) << report.problems[0];
    EXPECT_EQ(report.wordCount, 2);

    vantir::Expected<vantir::ModelHandle> model =
        vantir::AttachModel(vantir::BlobBuffer::CopyOf(bytes.data(), bytes.size()));
    ASSERT_TRUE(model);
    BigramModel* m = model->get();
    EXPECT_EQ(BigramModel_GetStaticCount(m), 2);
    EXPECT_EQ(BigramModel_GetAddedCapacity(m), 0);
    EXPECT_EQ(BigramModel_GetPairCount(m), 3) << "the pair with <unk> is left out";
    EXPECT_EQ(BigramModel_UnigramScore(m, 0), -16);
    EXPECT_EQ(BigramModel_UnigramScore(m, 1), -32);
    EXPECT_EQ(BigramModel_UnigramScore(m, -1), -8) << "</s> is the boundary word -1";

    BigramModel_SetStrictMode(m);
    EXPECT_EQ(BigramModel_PairScore(m, -1, 0), -3) << "<s> a";
    EXPECT_EQ(BigramModel_PairScore(m, 0, 1), -6);
    EXPECT_EQ(BigramModel_PairScore(m, 1, -1), -2) << "b </s>";
    EXPECT_EQ(BigramModel_PairScore(m, 0, 0), -10000);
    BigramModel_SetBackoffMode(m);
    EXPECT_EQ(BigramModel_PairScore(m, 0, 0), -(16 + 16)) << "back-off of a, unigram of a";
    EXPECT_EQ(BigramModel_PairScore(m, 1, 0), -(0 + 16));
    EXPECT_EQ(BigramModel_PairScore(m, -1, 1), -(10 + 32)) << "back-off of <s>, unigram of b";
}

TEST(ModelBuilder, KeepsRoomForAddedWordsAndSparePairs) {
    Diagnostics quiet;
    const ArpaModel arpa = ParseArpa(Lines(kSmallArpa), "m.arpa", quiet);
    ModelOptions options;
    options.addedCapacity = 3;
    options.sparePairs = 4;
    std::vector<uint8_t> bytes = BuildModelBlob(arpa, "m.arpa", AbNumbering(), options, quiet);
    EXPECT_EQ(vantir::LoadI32(bytes.data() + kModelStaticCountAt), 2);
    EXPECT_EQ(vantir::LoadI32(bytes.data() + kModelAddedCapacityAt), 3);
    EXPECT_EQ(vantir::LoadI32(bytes.data() + kModelSparePairsAt), 4);
    vantir::Expected<vantir::ModelHandle> model =
        vantir::AttachModel(vantir::BlobBuffer::CopyOf(bytes.data(), bytes.size()));
    ASSERT_TRUE(model);
    EXPECT_EQ(BigramModel_UnigramScore(model->get(), 4), -255) << "added ids start unlikely";
    BigramModel_SetStrictMode(model->get());
    EXPECT_EQ(BigramModel_PairScore(model->get(), 0, 1), -6);
    // A pair added at run time lands in a spare slot.
    WordId first[] = {4};
    WordId second[] = {0};
    int32_t scores[] = {-7};
    EXPECT_EQ(BigramModel_SetBigramScores(model->get(), first, second, scores, 1), 1);
    EXPECT_EQ(BigramModel_PairScore(model->get(), 4, 0), -7);
}

TEST(ModelBuilder, ClampsListedPairsSoThatTheyPassEveryTest) {
    Diagnostics quiet;
    const ArpaModel arpa = ParseArpa(Lines("\\data\\\nngram 1=2\nngram 2=1\n\\1-grams:\n"
                                           "-1 a\n-1 b\n\\2-grams:\n-20 a b\n\\end\\\n"),
                                     "m.arpa", quiet);
    std::vector<uint8_t> bytes = BuildModelBlob(arpa, "m.arpa", AbNumbering(), {}, quiet);
    vantir::Expected<vantir::ModelHandle> model =
        vantir::AttachModel(vantir::BlobBuffer::CopyOf(bytes.data(), bytes.size()));
    ASSERT_TRUE(model);
    BigramModel_SetStrictMode(model->get());
    EXPECT_EQ(BigramModel_PairScore(model->get(), 0, 1), -254);
    EXPECT_EQ(quiet.warnings, 0);
}

TEST(ModelBuilder, FailsOnWordsOutsideTheLexicon) {
    Diagnostics quiet;
    const ArpaModel arpa = ParseArpa(Lines("\\data\\\nngram 1=2\n\\1-grams:\n-1 a\n-1 zz\n"
                                           "\\end\\\n"),
                                     "m.arpa", quiet);
    try {
        BuildModelBlob(arpa, "m.arpa", AbNumbering(), {}, quiet);
        FAIL() << "expected an error";
    } catch (const ToolError& error) {
        EXPECT_STREQ(error.what(), "m.arpa:5: word 'zz' is not in the vocabulary");
    }
}
