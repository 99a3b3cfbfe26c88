// Successor ranking: order by score with ties in arrival order, the spill slot
// of a full list, the count form, and merging with the extra pair table.
#include "bigram/successors.h"

#include <gtest/gtest.h>

#include "bigram/test_models.h"

using namespace vantir::testing;

namespace {

constexpr int32_t kUnset = 12345;

struct Ranking {
    std::vector<WordId> ids;
    std::vector<int32_t> scores;
    int32_t count;
    Ranking(const BigramModel* model, WordId word, int32_t capacity)
        : ids(capacity, kUnset), scores(capacity, kUnset) {
        count = BigramModel_ListSuccessors(model, word, ids.data(), scores.data(), capacity);
    }
    std::vector<std::pair<WordId, int32_t>> Listed(int32_t n) const {
        std::vector<std::pair<WordId, int32_t>> entries;
        for (int32_t i = 0; i < n; ++i)
            entries.push_back({ids[i], scores[i]});
        return entries;
    }
};

using Entries = std::vector<std::pair<WordId, int32_t>>;

// Word 2's row: successors 4, 6, 9 with bytes 30, 10, 30.
struct RowModel : ::testing::Test {
    OwnModel own{12, 8};
    void SetUp() override { SetPairs(own.model, {{2, 4, -30}, {2, 6, -10}, {2, 9, -30}}); }
};

TEST_F(RowModel, TiesKeepSlotOrderAndTheSpillSlotTakesTheOverflow) {
    Ranking wide(own.model, 2, 10);
    EXPECT_EQ(wide.count, 3);
    EXPECT_EQ(wide.Listed(3), (Entries{{6, -10}, {4, -30}, {9, -30}}));
    Ranking narrow(own.model, 2, 3);
    EXPECT_EQ(narrow.count, 2);
    EXPECT_EQ(narrow.Listed(3), (Entries{{6, -10}, {4, -30}, {9, -30}}));
    Ranking single(own.model, 2, 1);
    EXPECT_EQ(single.count, 0);
    EXPECT_EQ(BigramModel_ListSuccessors(own.model, 2, nullptr, nullptr, 0), 3);

    Ranking none(own.model, 3, 4);
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.ids, std::vector<WordId>(4, kUnset)) << "an empty row writes nothing";
    EXPECT_EQ(BigramModel_ListSuccessors(own.model, 3, none.ids.data(), nullptr, 4), 0);
}

TEST_F(RowModel, ExtraTableEntriesMergeWithTheRow) {
    std::vector<uint8_t> alt(13, 0);
    ExtraTable extra;
    extra.Add(2, 6, -5);   // better than the row: keeps its score and place
    extra.Add(2, 9, -40);  // worse: improved to the row score, moves up past 11
    extra.Add(2, 11, -32);
    extra.Add(2, 11, -35);  // the same pair again, worse: the better score stays
    extra.Add(3, 6, -1);    // another first word
    ASSERT_EQ(GiveTables(own.model, alt, extra), 0);
    EXPECT_EQ(BigramModel_ListSuccessors(own.model, 2, nullptr, nullptr, 0), 3 + 4);
    Ranking ranked(own.model, 2, 10);
    EXPECT_EQ(ranked.count, 4);
    EXPECT_EQ(ranked.Listed(4), (Entries{{6, -5}, {4, -30}, {9, -30}, {11, -32}}));
}

TEST_F(RowModel, RefusesWhatItCannotServe) {
    WordId ids[2];
    int32_t scores[2];
    EXPECT_EQ(BigramModel_ListSuccessors(nullptr, 2, ids, scores, 2), -5);
    EXPECT_EQ(BigramModel_ListSuccessors(own.model, 12, ids, scores, 2), -41);
    EXPECT_EQ(BigramModel_ListSuccessors(own.model, -2, nullptr, nullptr, 2), -41);
    EXPECT_EQ(BigramModel_ListSuccessors(own.model, 2, ids, scores, 0), -41);
}

TEST(InsertRanked, NewKeysGoAfterEqualScoresAndKnownKeysOnlyMoveUp) {
    WordId ids[5] = {};
    int32_t scores[5] = {};
    int32_t count = 0;
    count += vantir::InsertRanked(ids, scores, count, 7, -20);
    count += vantir::InsertRanked(ids, scores, count, 8, -10);
    count += vantir::InsertRanked(ids, scores, count, 9, -20);
    EXPECT_EQ((Entries{{ids[0], scores[0]}, {ids[1], scores[1]}, {ids[2], scores[2]}}),
              (Entries{{8, -10}, {7, -20}, {9, -20}}));
    EXPECT_EQ(vantir::InsertRanked(ids, scores, count, 7, -30), 0);
    EXPECT_EQ(scores[1], -20) << "a worse score changes nothing";
    EXPECT_EQ(vantir::InsertRanked(ids, scores, count, 9, -5), 0);
    EXPECT_EQ((Entries{{ids[0], scores[0]}, {ids[1], scores[1]}, {ids[2], scores[2]}}),
              (Entries{{9, -5}, {8, -10}, {7, -20}}));
}

}  // namespace
