// Score editing: unigram and pair setters with clamping, the merge of new pairs
// into spare slots, the pair mean, and renumbering of added words.
#include <gtest/gtest.h>

#include <map>

#include "bigram/pair_merge.h"
#include "bigram/test_models.h"

using namespace vantir::testing;

namespace {

std::vector<int32_t> RowStarts(const uint8_t* blob, int32_t words) {
    std::vector<int32_t> rows;
    for (int32_t w = -1; w <= words; ++w)
        rows.push_back(BlobI32(blob, RowStartAt(w)));
    return rows;
}

std::vector<int32_t> Row(const uint8_t* blob, int32_t words, WordId word) {
    std::vector<int32_t> ids;
    for (int32_t slot = BlobI32(blob, RowStartAt(word)); slot < BlobI32(blob, RowStartAt(word + 1));
         ++slot) {
        ids.push_back(BlobI32(blob, SuccessorAtOffset(words, slot)));
    }
    return ids;
}

TEST(SetUnigramScores, ClampsCountsAndMirrorsStatistics) {
    OwnModel own(4, 0);
    WordId words[] = {0, 1, -1, 4, -2};
    int32_t scores[] = {5, -300, -20, -1, -1};
    EXPECT_EQ(BigramModel_SetUnigramScores(own.model, words, scores, 5), 3);
    EXPECT_EQ(scores[0], 0);
    EXPECT_EQ(scores[1], -255);
    EXPECT_EQ(own.blob[UnigramAt(4, 0, 0)], 0);
    EXPECT_EQ(own.blob[UnigramAt(4, 0, 1)], 255);
    EXPECT_EQ(own.blob[UnigramAt(4, 0, -1)], 20);
    EXPECT_EQ(BigramModel_GetUnigramMax(own.model), 0);
    EXPECT_EQ(BigramModel_GetUnigramMin(own.model), -255);
    EXPECT_EQ(BigramModel_GetUnigramMid(own.model), -127);
    EXPECT_EQ(BlobI32(own.blob, vantir::kUnigramMaxOffset), 0);
    EXPECT_EQ(BlobI32(own.blob, vantir::kUnigramMinOffset), -255);
    EXPECT_EQ(BlobI32(own.blob, vantir::kUnigramMidOffset), -127);
    for (WordId w : {0, 1, -1})
        EXPECT_EQ(BigramModel_IsBelowFloor(own.model, w), 0);

    EXPECT_EQ(BigramModel_SetUnigramScores(nullptr, words, scores, 1), -5);
    EXPECT_EQ(BigramModel_SetUnigramScores(own.model, nullptr, scores, 1), -41);
    EXPECT_EQ(BigramModel_SetUnigramScores(own.model, nullptr, nullptr, 0), 0);
    BigramModel* empty = BigramModel_Create(nullptr);
    EXPECT_EQ(BigramModel_SetUnigramScores(empty, words, scores, 1), -4);
    EXPECT_EQ(BigramModel_SetBigramScores(empty, words, words, scores, 1), -4);
    EXPECT_EQ(BigramModel_RenumberAddedWords(empty, words, 0), -4);
    EXPECT_EQ(BigramModel_ListSuccessors(empty, 0, nullptr, nullptr, 0), -4);
    BigramModel_Destroy(empty);
}

TEST(SetBigramScores, MergesIntoTheRowAndShiftsLaterRows) {
    OwnModel own(10, 10);
    ASSERT_EQ(SetPairs(own.model, {{1, 0, -1}, {3, 2, -2}, {3, 9, -3}, {4, 1, -4}, {5, 3, -5}}), 5);
    std::vector<int32_t> before = RowStarts(own.blob, 10);
    ASSERT_EQ(SetPairs(own.model, {{3, 7, -6}}), 1);
    EXPECT_EQ(Row(own.blob, 10, 3), (std::vector<int32_t>{2, 7, 9}));
    std::vector<int32_t> after = RowStarts(own.blob, 10);
    for (int32_t w = -1; w <= 3; ++w)
        EXPECT_EQ(after[w + 1], before[w + 1]) << w;
    for (int32_t w = 4; w <= 10; ++w)
        EXPECT_EQ(after[w + 1], before[w + 1] + 1) << w;
    EXPECT_EQ(after.back(), BigramModel_GetPairCount(own.model));
    EXPECT_EQ(BigramModel_GetSparePairs(own.model), 4);
    EXPECT_EQ(BlobI32(own.blob, vantir::kPairCountOffset), 6);
    EXPECT_EQ(BlobI32(own.blob, vantir::kSparePairsOffset), 4);
    EXPECT_EQ(BigramModel_PairScore(own.model, 3, 7), -6);
    EXPECT_EQ(BigramModel_PairScore(own.model, 5, 3), -5);
}

TEST(SetBigramScores, MeanUpdatesAndListedOnlyCalls) {
    OwnModel own(3, 3);
    ASSERT_EQ(SetPairs(own.model, {{0, 1, -10}, {0, 2, -20}}), 2);
    EXPECT_EQ(BigramModel_GetBigramMean(own.model), -15);
    ASSERT_EQ(SetPairs(own.model, {{1, 0, -25}}), 1);
    EXPECT_EQ(BigramModel_GetBigramMean(own.model), -18);  // -55 / 3
    for (int32_t at :
         {vantir::kBigramMaxOffset, vantir::kBigramMinOffset, vantir::kBigramMeanOffset})
        PutBlobI32(own.blob, at, 77);
    EXPECT_EQ(SetPairs(own.model, {{0, 1, -40}, {1, 0, -1}, {3, 0, -1}, {0, -2, -1}}), 2);
    EXPECT_EQ(BigramModel_GetPairCount(own.model), 3);
    EXPECT_EQ(BigramModel_GetBigramMean(own.model), -18) << "only listed pairs were met";
    EXPECT_EQ(BlobI32(own.blob, vantir::kBigramMaxOffset), -1);
    EXPECT_EQ(BlobI32(own.blob, vantir::kBigramMinOffset), -40);
    EXPECT_EQ(BlobI32(own.blob, vantir::kBigramMeanOffset), -18);
    EXPECT_EQ(BigramModel_PairScore(own.model, 0, 1), -40);
}

TEST(SetBigramScores, SparePairsRunOutInInputOrder) {
    OwnModel own(6, 4);
    ASSERT_EQ(SetPairs(own.model, {{0, 1, -10}, {0, 2, -30}}), 2);
    WordId first[] = {5, 0, 2, 1};
    WordId second[] = {1, 1, 3, 1};
    int32_t scores[] = {-20, -12, -40, -50};
    EXPECT_EQ(BigramModel_SetBigramScores(own.model, first, second, scores, 4), 1 + 2);
    EXPECT_EQ(BigramModel_GetSparePairs(own.model), 0);
    BigramModel_SetStrictMode(own.model);
    EXPECT_EQ(BigramModel_PairScore(own.model, 5, 1), -20);
    EXPECT_EQ(BigramModel_PairScore(own.model, 2, 3), -40);
    EXPECT_EQ(BigramModel_PairScore(own.model, 1, 1), -10000);
    EXPECT_EQ(BigramModel_GetBigramMean(own.model), (-12 - 30 - 40 - 20) / 4);
    // Full: listed pairs still update, a new one is dropped but the mean follows.
    EXPECT_EQ(SetPairs(own.model, {{0, 2, -2}, {4, 4, -9}}), 1);
    EXPECT_EQ(BigramModel_GetBigramMean(own.model), (-12 - 2 - 40 - 20) / 4);
    EXPECT_EQ(BigramModel_PairScore(own.model, 4, 4), -10000);
}

TEST(SetBigramScores, UnorderedAndRepeatedNewPairsKeepRowsSorted) {
    OwnModel own(5, 10);
    EXPECT_EQ(SetPairs(own.model, {{3, 1, -1}, {0, 4, -2}, {3, 1, -3}, {0, 2, -4}, {-1, 0, -5}}),
              5);
    EXPECT_EQ(BigramModel_GetPairCount(own.model), 4) << "the repeated pair takes one slot";
    EXPECT_EQ(Row(own.blob, 5, 0), (std::vector<int32_t>{2, 4}));
    EXPECT_EQ(BigramModel_PairScore(own.model, 3, 1), -3) << "the later entry wins";
    EXPECT_EQ(BigramModel_PairScore(own.model, -1, 0), -5);
    EXPECT_EQ(BigramModel_GetBigramMean(own.model), (-3 - 2 - 4 - 5) / 4);
}

TEST(RenumberAddedWords, RemovedWordLosesRowsAndPairs) {
    std::vector<uint8_t> blob = BlobWithStaticWords(3, 3, 12,
                                                    {{-1, 4, -9},
                                                     {0, 3, -1},
                                                     {0, 4, -2},
                                                     {1, 5, -8},
                                                     {3, 0, -3},
                                                     {3, 4, -4},
                                                     {4, 1, -5},
                                                     {4, 4, -6},
                                                     {5, 0, -7}});
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_EQ(BigramModel_AttachBlob(model, blob.data()), 0);
    SetUnigram(model, 3, -30);
    SetUnigram(model, 4, -40);
    SetUnigram(model, 5, -50);
    std::vector<uint8_t> untouched = blob;
    const int32_t tooLong[] = {3, 4, 5, -1};
    EXPECT_EQ(BigramModel_RenumberAddedWords(model, tooLong, 4), -51);
    const int32_t swapped[] = {4, 3};
    EXPECT_EQ(BigramModel_RenumberAddedWords(model, swapped, 2), -41);
    EXPECT_EQ(BigramModel_RenumberAddedWords(model, nullptr, 1), -41);
    EXPECT_EQ(BigramModel_RenumberAddedWords(model, swapped, -1), -41);
    EXPECT_EQ(BigramModel_RenumberAddedWords(nullptr, swapped, 0), -5);
    EXPECT_EQ(blob, untouched);

    const int32_t map[] = {-1, 3};
    ASSERT_EQ(BigramModel_RenumberAddedWords(model, map, 2), 0);
    std::map<std::pair<int, int>, int> expected = {
        {{-1, 3}, -9}, {{0, 3}, -2}, {{3, 1}, -5}, {{3, 3}, -6}};
    BigramModel_SetStrictMode(model);
    for (WordId a = -1; a < 6; ++a) {
        for (WordId b = -1; b < 6; ++b) {
            auto it = expected.find({a, b});
            EXPECT_EQ(BigramModel_PairScore(model, a, b),
                      it == expected.end() ? -10000 : it->second)
                << a << "," << b;
        }
    }
    EXPECT_EQ(BigramModel_UnigramScore(model, 3), -40);
    EXPECT_EQ(BigramModel_UnigramScore(model, 4), -127) << "vacated ids take the default";
    EXPECT_EQ(BigramModel_UnigramScore(model, 5), -50) << "beyond the map nothing moves";
    EXPECT_EQ(BigramModel_GetPairCount(model), 4);
    EXPECT_EQ(BigramModel_GetSparePairs(model), 8);
    EXPECT_EQ(BlobI32(blob.data(), 68), 4);
    EXPECT_EQ(BlobI32(blob.data(), 76), 8);
    EXPECT_EQ(BlobI32(blob.data(), RowStartAt(6)), 4);
    for (int32_t slot = 4; slot < 12; ++slot) {
        EXPECT_EQ(BlobI32(blob.data(), SuccessorAtOffset(6, slot)), 0);
        EXPECT_EQ(blob[BigramAt(6, 12, slot)], 0);
    }
    BigramModel_Destroy(model);
}

TEST(SearchSortedInts, FindsOrAnswersMinusOne) {
    uint8_t bytes[1 + 4 * 4];
    const int32_t values[] = {1, 3, 5, 7};
    for (int i = 0; i < 4; ++i)
        PutBlobI32(bytes + 1, 4 * i, values[i]);
    EXPECT_EQ(vantir::SearchSortedInts(bytes + 1, 4, 1), 0);
    EXPECT_EQ(vantir::SearchSortedInts(bytes + 1, 4, 5), 2);
    EXPECT_EQ(vantir::SearchSortedInts(bytes + 1, 4, 7), 3);
    EXPECT_EQ(vantir::SearchSortedInts(bytes + 1, 4, 4), -1);
    EXPECT_EQ(vantir::SearchSortedInts(values, 0, 1), -1);
    EXPECT_EQ(vantir::SearchSortedInts(values, -3, 1), -1);
}

}  // namespace
