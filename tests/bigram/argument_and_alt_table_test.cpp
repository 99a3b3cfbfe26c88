// Pair setting with missing arrays, and the alternative unigram scorer, which no
// operation installs but which reads the table a host gives with the extra pairs.
#include <gtest/gtest.h>

#include <vector>

#include "bigram/extra_pairs.h"
#include "bigram/scorers.h"
#include "vantir/bigram.h"

namespace vantir {
namespace {

TEST(SetBigramScoresArguments, MissingArraysAreRefusedBeforeAnyChange) {
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_NE(BigramModel_NewBlob(model, 3, 4, nullptr), nullptr);
    WordId first[] = {0};
    WordId second[] = {1};
    int32_t scores[] = {-5};
    EXPECT_EQ(BigramModel_SetBigramScores(model, nullptr, second, scores, 1), -41);
    EXPECT_EQ(BigramModel_SetBigramScores(model, first, nullptr, scores, 1), -41);
    EXPECT_EQ(BigramModel_SetBigramScores(model, first, second, nullptr, 1), -41);
    EXPECT_EQ(BigramModel_GetPairCount(model), 0);
    EXPECT_EQ(BigramModel_SetBigramScores(model, nullptr, nullptr, nullptr, 0), 0);
    BigramModel_Destroy(model);
}

TEST(AlternativeUnigrams, ScorerReadsTheGivenTableFromWordMinusOne) {
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_NE(BigramModel_NewBlob(model, 3, 4, nullptr), nullptr);
    const std::vector<uint8_t> alt = {7, 0, 200, 255};  // words -1, 0, 1, 2
    const std::vector<uint8_t> extra(kExtraPairTableBytes, 0);
    ASSERT_EQ(BigramModel_SetExtraTables(model, alt.data(), 4, extra.data(), kExtraPairTableBytes),
              0);
    EXPECT_EQ(ScoreUnigramAlt(model, -1), -7);
    EXPECT_EQ(ScoreUnigramAlt(model, 0), 0);
    EXPECT_EQ(ScoreUnigramAlt(model, 1), -200);
    EXPECT_EQ(ScoreUnigramAlt(model, 2), -255);
    EXPECT_EQ(BigramModel_UnigramScore(model, 1), 0) << "the main table stays in the slot";
    BigramModel_Destroy(model);
}

}  // namespace
}  // namespace vantir
