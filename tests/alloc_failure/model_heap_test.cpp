// A bigram model on the heap when the heap refuses: creation and a new blob give
// null and keep nothing, the optional tables give -10 and keep the tables in
// force, and scoring, editing, ranking and attaching never ask the heap at all.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bigram/extra_pairs.h"
#include "support/fake_heap.h"
#include "support/sample_blobs.h"
#include "textutil/byte_order.h"

namespace vantir::testing {
namespace {

constexpr int32_t kWords = 4;

// An extra pair table whose only entry gives the pair (0, 1) the score `score`;
// every other entry names the pair (-7, -7), which no test scores.
std::vector<uint8_t> ExtraTable(int16_t score) {
    std::vector<uint8_t> table(kExtraPairTableBytes, 0);
    for (int32_t entry = 0; entry < 8192; entry++) {
        uint8_t* at = table.data() + 1028 + 12 * entry;
        const int32_t none = -7;
        StoreI32(at, none);
        StoreI32(at + 4, none);
    }
    const int32_t bucket = (0 * 127 + 1 * 37 + 205) & 1023;
    uint8_t* at = table.data() + 1028 + 96 * bucket;
    const int32_t first = 0;
    const int32_t second = 1;
    // Stored fields are little-endian on every host.
    StoreI32(at, first);
    StoreI32(at + 4, second);
    StoreU16(at + 8, static_cast<uint16_t>(score));
    StoreU16(at + 10, 0);
    return table;
}

int32_t GiveTables(BigramModel* model, int16_t score) {
    const std::vector<uint8_t> alt(kWords + 1, 9);
    const std::vector<uint8_t> extra = ExtraTable(score);
    return BigramModel_SetExtraTables(model, alt.data(), kWords + 1, extra.data(),
                                      kExtraPairTableBytes);
}

int32_t StrictScore(BigramModel* model, WordId first, WordId second) {
    BigramModel_SetStrictMode(model);
    return BigramModel_PairScore(model, first, second);
}

TEST(ModelHeap, RefusedCreateKeepsNothing) {
    const int64_t baseline = LiveHeapBlocks();
    {
        ScopedHeapRefusal refusal(0);
        EXPECT_EQ(BigramModel_Create(nullptr), nullptr);
        EXPECT_TRUE(HeapRequestRefused());
    }
    EXPECT_EQ(LiveHeapBlocks(), baseline);
}

TEST(ModelHeap, RefusedNewBlobLeavesAnEmptyModel) {
    const int64_t baseline = LiveHeapBlocks();
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_NE(model, nullptr);
    {
        ScopedHeapRefusal refusal(0);
        EXPECT_EQ(BigramModel_NewBlob(model, kWords, 8, nullptr), nullptr);
        EXPECT_EQ(HeapRequests(), 1);
    }
    EXPECT_EQ(BigramModel_GetAddedCapacity(model), 0);
    EXPECT_EQ(BigramModel_ListSuccessors(model, 0, nullptr, nullptr, 0), -4);
    // Still empty, so a blob can be made or attached afterwards.
    int32_t size = 0;
    ASSERT_NE(BigramModel_NewBlob(model, kWords, 8, &size), nullptr);
    EXPECT_EQ(BigramModel_GetAddedCapacity(model), kWords);
    EXPECT_EQ(BigramModel_Destroy(model), 0);
    EXPECT_EQ(LiveHeapBlocks(), baseline);
}

TEST(ModelHeap, RefusedTablesKeepTheTablesInForce) {
    const int64_t baseline = LiveHeapBlocks();
    for (bool replacing : {false, true}) {
        const int64_t requests = ForEachHeapRefusal([&](int64_t k) {
            BigramModel* model = BigramModel_Create(nullptr);
            EXPECT_NE(BigramModel_NewBlob(model, kWords, 8, nullptr), nullptr);
            if (replacing) {
                EXPECT_EQ(GiveTables(model, -3), 0);
            }
            const int32_t before = StrictScore(model, 0, 1);
            EXPECT_EQ(before, replacing ? -3 : -10000);
            int32_t result;
            bool refused;
            {
                ScopedHeapRefusal refusal(k);
                result = GiveTables(model, -5);
                refused = HeapRequestRefused();
            }
            EXPECT_EQ(result, refused ? -10 : 0);
            EXPECT_EQ(StrictScore(model, 0, 1), refused ? before : -5);
            if (refused) {
                // The model is unchanged and takes the tables on the next try.
                EXPECT_EQ(GiveTables(model, -5), 0);
                EXPECT_EQ(StrictScore(model, 0, 1), -5);
            }
            EXPECT_EQ(BigramModel_Destroy(model), 0);
            EXPECT_EQ(LiveHeapBlocks(), baseline);
            return refused;
        });
        EXPECT_EQ(requests, 2) << "the two table copies";
    }
}

TEST(ModelHeap, AttachScoreEditAndRankAskNothing) {
    WorldBlobs blobs = MakeWorldBlobs();
    BigramModel* model = BigramModel_Create(nullptr);
    RefuseHeapRequest(-1);
    ASSERT_EQ(BigramModel_AttachBlob(model, blobs.model.data()), 0);
    BigramModel_SetStrictMode(model);
    BigramModel_PairScore(model, -1, 3);
    BigramModel_SetBackoffMode(model);
    BigramModel_PairScore(model, 2, 3);
    WordId first[] = {0, 1, 25};
    WordId second[] = {25, 1, 0};
    int32_t scores[] = {-1, -2, -3};
    BigramModel_SetUnigramScores(model, first, scores, 3);
    BigramModel_SetBigramScores(model, first, second, scores, 3);
    WordId ids[8];
    int32_t ranked[8];
    BigramModel_ListSuccessors(model, 0, ids, ranked, 8);
    const int32_t map[] = {-1, BigramModel_GetStaticCount(model)};
    EXPECT_EQ(BigramModel_RenumberAddedWords(model, map, 2), 0);
    EXPECT_EQ(HeapRequests(), 0);
    BigramModel_Destroy(model);
}

}  // namespace
}  // namespace vantir::testing
