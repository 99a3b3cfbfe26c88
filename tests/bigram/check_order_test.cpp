// Which refusal an editing call gives first when several apply, and that a
// refused call leaves the model as it was.
#include <gtest/gtest.h>

#include "bigram/test_models.h"

using namespace vantir::testing;

namespace {

TEST(RenumberCheckOrder, CapacityIsCheckedBeforeTheBlob) {
    const int32_t map[] = {-1, 0};
    BigramModel* empty = BigramModel_Create(nullptr);
    ASSERT_NE(empty, nullptr);
    // A model without a blob has no added ids, so any map is too long for it.
    EXPECT_EQ(BigramModel_RenumberAddedWords(empty, map, 1), -51);
    EXPECT_EQ(BigramModel_RenumberAddedWords(empty, nullptr, 2), -51);
    EXPECT_EQ(BigramModel_RenumberAddedWords(empty, map, 0), -4);
    EXPECT_EQ(BigramModel_GetPairCount(empty), 0);
    EXPECT_EQ(BigramModel_GetSparePairs(empty), 0);
    BigramModel_Destroy(empty);

    OwnModel own(2, 4);
    ASSERT_NE(own.blob, nullptr);
    ASSERT_EQ(SetPairs(own.model, {{0, 1, -3}, {1, 0, -4}}), 2);
    std::vector<uint8_t> before(own.blob, own.blob + own.size);
    EXPECT_EQ(BigramModel_RenumberAddedWords(own.model, nullptr, 3), -51);
    EXPECT_EQ(BigramModel_RenumberAddedWords(own.model, map, 3), -51);
    EXPECT_EQ(std::vector<uint8_t>(own.blob, own.blob + own.size), before);
    EXPECT_EQ(BigramModel_RenumberAddedWords(own.model, map, 2), 0);
    // Both pairs touch the removed word 0.
    EXPECT_EQ(BigramModel_GetPairCount(own.model), 0);
    EXPECT_EQ(BigramModel_GetSparePairs(own.model), 4);
}

}  // namespace
