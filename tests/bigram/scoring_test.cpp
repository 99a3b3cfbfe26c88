// Pair and unigram scoring in strict and back-off mode, with and without the
// extra pair table, and the mode switches that choose the scorer.
#include <gtest/gtest.h>

#include "bigram/extra_pairs.h"
#include "bigram/test_models.h"

using namespace vantir::testing;

namespace {

constexpr int32_t kWords = 6;
constexpr int32_t kSlots = 8;

// Rows: (1,2) byte 10, (1,3) byte 255, (2,4) byte 20. Back-off bytes 7 and 3 for
// words 1 and 2; unigram bytes 40 and 11 for words 3 and 5.
struct ScoringModel : ::testing::Test {
    OwnModel own{kWords, kSlots};
    std::vector<uint8_t> alt = std::vector<uint8_t>(kWords + 1, 0);
    ExtraTable extra;
    void SetUp() override {
        SetPairs(own.model, {{1, 2, -10}, {1, 3, -300}, {2, 4, -20}});
        SetUnigram(own.model, 3, -40);
        SetUnigram(own.model, 5, -11);
        own.blob[BackoffAt(kWords, kSlots, 1)] = 7;
        own.blob[BackoffAt(kWords, kSlots, 2)] = 3;
        alt[1 + 3] = 50;
        alt[1 + 5] = 60;
        alt[1 + 1] = 5;
        extra.Add(1, 2, -5);
        extra.Add(2, 4, -200, -55);  // sums to -255: not usable
        extra.Add(2, 5, -100);
        extra.Add(0, 0, 100, 50);
        extra.Add(4, 1, -250, -5);
    }
    int32_t Score(WordId a, WordId b) { return BigramModel_PairScore(own.model, a, b); }
};

TEST_F(ScoringModel, EveryModeAndTableCombination) {
    struct Row {
        WordId a, b;
        int32_t strict, backoff, strictExtra, backoffExtra;
    };
    const Row rows[] = {
        {1, 2, -10, -10, -5, -5},          // listed, extra usable
        {2, 4, -20, -20, -20, -20},        // listed, extra sums to -255
        {1, 3, -255, -255, -255, -57},     // listed with byte 255
        {1, 5, -10000, -18, -10000, -67},  // not listed anywhere
        {2, 5, -10000, -14, -100, -100},   // only in the extra table
        {0, 0, -10000, 0, 150, 150},       // extra sum above 0 returned as is
        {4, 1, -10000, 0, -10000, -5},     // extra -255 passed over
        {-1, -1, -10000, 0, -10000, 0},    // word -1 has a row and bytes too
    };
    for (const Row& r : rows) {
        BigramModel_SetStrictMode(own.model);
        EXPECT_EQ(Score(r.a, r.b), r.strict) << r.a << "," << r.b;
        BigramModel_SetBackoffMode(own.model);
        EXPECT_EQ(Score(r.a, r.b), r.backoff) << r.a << "," << r.b;
    }
    ASSERT_EQ(GiveTables(own.model, alt, extra), 0);
    EXPECT_EQ(Score(1, 5), -18) << "a table takes effect only at the next switch";
    for (const Row& r : rows) {
        BigramModel_SetStrictMode(own.model);
        EXPECT_EQ(BigramModel_GetMode(own.model), 0);
        EXPECT_EQ(Score(r.a, r.b), r.strictExtra) << r.a << "," << r.b;
        BigramModel_SetBackoffMode(own.model);
        EXPECT_EQ(BigramModel_GetMode(own.model), 1);
        EXPECT_EQ(Score(r.a, r.b), r.backoffExtra) << r.a << "," << r.b;
    }
}

TEST_F(ScoringModel, UnigramScoresAndFloor) {
    EXPECT_EQ(BigramModel_UnigramScore(own.model, 3), -40);
    EXPECT_EQ(BigramModel_UnigramScore(own.model, -1), 0);
    for (WordId w = -1; w < kWords; ++w)
        EXPECT_EQ(BigramModel_IsBelowFloor(own.model, w), 0);
    // Attached with a floor above a stored score, that word is below the floor.
    std::vector<uint8_t> bytes(own.blob, own.blob + own.size);
    PutBlobI32(bytes.data(), vantir::kUnigramMinOffset, -10);
    BigramModel* attached = BigramModel_Create(nullptr);
    ASSERT_EQ(BigramModel_AttachBlob(attached, bytes.data()), 0);
    EXPECT_EQ(BigramModel_IsBelowFloor(attached, 3), 1);
    EXPECT_EQ(BigramModel_IsBelowFloor(attached, 4), 0);
    BigramModel_Destroy(attached);
}

TEST(ExtraPairLookup, BucketsEntriesAndSignedParts) {
    EXPECT_EQ(vantir::ExtraPairBucket(-1, -1), 41);
    EXPECT_EQ(vantir::ExtraPairBucket(1000, 7), 488);
    EXPECT_EQ(vantir::ExtraPairBucket(INT32_MAX, INT32_MIN),
              static_cast<int32_t>((127u * 0x7FFFFFFFu + 37u * 0x80000000u + 205u) & 1023u));
    ExtraTable table;
    table.SetEntry(41 * 8 + 3, -1, -1, -1, -2);  // parts sign-extended
    EXPECT_EQ(vantir::LookupExtraPair(table.bytes.data(), -1, -1), -3);
    table.Add(3, 1, -30);
    table.Add(3, 1, -5);  // a later entry for the same pair is not reached
    EXPECT_EQ(vantir::LookupExtraPair(table.bytes.data(), 3, 1), -30);
    EXPECT_EQ(vantir::LookupExtraPair(table.bytes.data(), 1, 3), -10000);
    ExtraTable zeroed;
    std::fill(zeroed.bytes.begin(), zeroed.bytes.end(), 0);
    EXPECT_EQ(vantir::LookupExtraPair(zeroed.bytes.data(), 0, 0), 0) << "zero entries match (0, 0)";
}

TEST(NewModelScoring, ZeroBytesAndNoPairs) {
    OwnModel own(4, 3);
    EXPECT_EQ(BigramModel_GetMode(own.model), 1);
    for (WordId a = -1; a < 4; ++a) {
        for (WordId b = -1; b < 4; ++b)
            EXPECT_EQ(BigramModel_PairScore(own.model, a, b), 0);
    }
    BigramModel_SetStrictMode(own.model);
    for (WordId a = -1; a < 4; ++a) {
        for (WordId b = -1; b < 4; ++b)
            EXPECT_EQ(BigramModel_PairScore(own.model, a, b), -10000);
    }
}

TEST(NullModel, SwitchesIgnoreItAndAccessorsAnswer) {
    BigramModel_SetBackoffMode(nullptr);
    BigramModel_SetStrictMode(nullptr);
    EXPECT_EQ(BigramModel_GetUserValue(nullptr), 0u);
    EXPECT_EQ(BigramModel_GetPairCount(nullptr), -5);
    EXPECT_EQ(BigramModel_GetMode(nullptr), -5);
    EXPECT_EQ(BigramModel_Destroy(nullptr), -5);
}

}  // namespace
