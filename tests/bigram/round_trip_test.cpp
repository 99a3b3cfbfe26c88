// A model built through a new blob and the setters, stored in a file and
// attached from it, scores and ranks exactly like the original; large unordered
// pair batches come out sorted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "bigram/test_models.h"

using namespace vantir::testing;

namespace {

std::vector<uint8_t> ReadFileAt(const std::string& path, size_t offset) {
    std::vector<uint8_t> bytes(offset);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF)
        bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(file);
    return bytes;
}

TEST(BlobRoundTrip, StoredBlobScoresIdentically) {
    const int32_t words = 40, slots = 300;
    std::mt19937 random(7);
    auto pick = [&](int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(random);
    };
    OwnModel own(words, slots);
    for (int round = 0; round < 30; ++round) {
        std::vector<Pair> pairs;
        for (int k = 0; k < 12; ++k)
            pairs.push_back({pick(-1, words - 1), pick(-1, words - 1), pick(-260, 0)});
        SetPairs(own.model, pairs);
        SetUnigram(own.model, pick(-1, words - 1), pick(-255, 0));
    }
    for (WordId w = -1; w < words; ++w)
        own.blob[BackoffAt(words, slots, w)] = static_cast<uint8_t>(pick(0, 255));

    std::string path = ::testing::TempDir() + "bigram_round_trip.lmb";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(own.blob, 1, own.size, file), static_cast<size_t>(own.size));
    ASSERT_EQ(std::fclose(file), 0);
    std::vector<uint8_t> loaded = ReadFileAt(path, 3);  // read in at an odd address
    std::remove(path.c_str());
    ASSERT_EQ(loaded.size(), static_cast<size_t>(own.size) + 3);

    BigramModel* copy = BigramModel_Create(nullptr);
    ASSERT_EQ(BigramModel_AttachBlob(copy, loaded.data() + 3), 0);
    EXPECT_EQ(BigramModel_GetPairCount(copy), BigramModel_GetPairCount(own.model));
    EXPECT_EQ(BigramModel_GetBigramMean(copy), BigramModel_GetBigramMean(own.model));
    EXPECT_EQ(BigramModel_GetUnigramMid(copy), BigramModel_GetUnigramMid(own.model));
    for (int mode = 0; mode < 2; ++mode) {
        for (BigramModel* m : {own.model, copy}) {
            mode == 0 ? BigramModel_SetStrictMode(m) : BigramModel_SetBackoffMode(m);
        }
        for (WordId a = -1; a < words; ++a) {
            for (WordId b = -1; b < words; ++b) {
                ASSERT_EQ(BigramModel_PairScore(copy, a, b),
                          BigramModel_PairScore(own.model, a, b));
            }
        }
    }
    for (WordId a = -1; a < words; ++a) {
        ASSERT_EQ(BigramModel_UnigramScore(copy, a), BigramModel_UnigramScore(own.model, a));
        ASSERT_EQ(BigramModel_IsBelowFloor(copy, a), BigramModel_IsBelowFloor(own.model, a));
        std::vector<WordId> ids1(8), ids2(8);
        std::vector<int32_t> scores1(8), scores2(8);
        ASSERT_EQ(BigramModel_ListSuccessors(copy, a, ids1.data(), scores1.data(), 8),
                  BigramModel_ListSuccessors(own.model, a, ids2.data(), scores2.data(), 8));
        ASSERT_EQ(ids1, ids2);
        ASSERT_EQ(scores1, scores2);
    }
    BigramModel_Destroy(copy);
}

TEST(LargeBatch, ShuffledAndRepeatedPairsEndUpSortedOnce) {
    const int32_t words = 150;
    const int32_t repeated = 3000;
    // Every entry takes a spare slot while it is collected, so the repeats need
    // room too; they end up sharing the slot of their pair.
    OwnModel own(words, words * words + repeated);
    std::vector<Pair> pairs;
    for (WordId a = 0; a < words; ++a) {
        for (WordId b = 0; b < words; ++b)
            pairs.push_back({a, b, -((a + b) % 200)});
    }
    std::vector<Pair> repeats(pairs.begin(), pairs.begin() + repeated);
    for (Pair& p : repeats)
        p.score = -250;
    std::mt19937 random(11);
    std::shuffle(pairs.begin(), pairs.end(), random);
    pairs.insert(pairs.end(), repeats.begin(), repeats.end());  // later entries win
    ASSERT_EQ(SetPairs(own.model, pairs), static_cast<int32_t>(pairs.size()));
    ASSERT_EQ(BigramModel_GetPairCount(own.model), words * words);
    ASSERT_EQ(BigramModel_GetSparePairs(own.model), repeated);
    BigramModel_SetStrictMode(own.model);
    for (WordId a = 0; a < words; ++a) {
        for (WordId b = 0; b < words; ++b) {
            int32_t expected = a * words + b < repeated ? -250 : -((a + b) % 200);
            ASSERT_EQ(BigramModel_PairScore(own.model, a, b), expected) << a << "," << b;
        }
    }
}

TEST(SetExtraTables, ResultCodes) {
    OwnModel own(3, 2);
    std::vector<uint8_t> alt(4, 1);
    ExtraTable extra;
    const void* table = extra.bytes.data();
    EXPECT_EQ(
        BigramModel_SetExtraTables(nullptr, alt.data(), 4, table, vantir::kExtraPairTableBytes),
        -5);
    BigramModel* empty = BigramModel_Create(nullptr);
    EXPECT_EQ(BigramModel_SetExtraTables(empty, alt.data(), 4, table, vantir::kExtraPairTableBytes),
              -4);
    BigramModel_Destroy(empty);
    EXPECT_EQ(
        BigramModel_SetExtraTables(own.model, nullptr, 4, table, vantir::kExtraPairTableBytes), -4);
    EXPECT_EQ(
        BigramModel_SetExtraTables(own.model, alt.data(), 4, nullptr, vantir::kExtraPairTableBytes),
        -4);
    EXPECT_EQ(
        BigramModel_SetExtraTables(own.model, alt.data(), 3, table, vantir::kExtraPairTableBytes),
        -41);
    EXPECT_EQ(BigramModel_SetExtraTables(own.model, alt.data(), 4, table, 99331), -41);
    EXPECT_EQ(
        BigramModel_SetExtraTables(own.model, alt.data(), 4, table, vantir::kExtraPairTableBytes),
        0);
    alt[2] = 90;  // the model holds its own copy
    BigramModel_SetBackoffMode(own.model);
    EXPECT_EQ(BigramModel_PairScore(own.model, 0, 1), -1);
}

}  // namespace
