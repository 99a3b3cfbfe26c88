// Heap use of one hypothesis intake: exactly the three work arrays, all given
// back, none for a refused call, and no leak when an allocation is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/address_world.h"
#include "support/fake_heap.h"

using namespace vantir::testing;
using Texts = std::vector<std::string>;

namespace {

class WorkArrayHeapTest : public ::testing::Test {
  protected:
    WorkArrayHeapTest()
        : world_({{"x", {33}}, {"c", {8, 34}}, {"t", {17}}, {"k", {19}}, {"d", {8}}},
                 {{u"x", u"c"}}) {
        world_.SetPairs({{"x", "t", 0}, {"c", "t", 0}});
    }
    AddressWorld world_;
};

}  // namespace

TEST_F(WorkArrayHeapTest, OneCallAllocatesExactlyTheThreeWorkArrays) {
    const std::vector<WordId> ids = {world_.Id("x"), world_.Id("t"), world_.Id("k"), world_.Id("d"),
                                     world_.Id("d")};
    RefuseHeapRequest(-1);
    EXPECT_EQ(world_.AddIds(ids), 0);  // grammar, candidates and insertion
    const HeapLog heap = HeapSinceArmed();
    EXPECT_EQ(heap.requests, 3);
    EXPECT_EQ(heap.releases, 3);
    // count + 1, count + 10 and count + 15 words for the five words given.
    EXPECT_EQ(heap.sizes[0], 6 * sizeof(WordId));
    EXPECT_EQ(heap.sizes[1], 15 * sizeof(WordId));
    EXPECT_EQ(heap.sizes[2], 20 * sizeof(WordId));
    EXPECT_EQ(world_.Results(), (Texts{"xctk"}));
}

TEST_F(WorkArrayHeapTest, RefusedCallsAllocateNothing) {
    const WordId ids[1] = {world_.Id("d")};
    RefuseHeapRequest(-1);
    EXPECT_EQ(Vantir_AddRecogResult(nullptr, ids, 0, 0, 0, 1), -5);
    EXPECT_EQ(Vantir_AddRecogResult(world_.session, nullptr, 0, 0, 0, 1), -41);
    EXPECT_EQ(world_.AddIds({world_.modelWords}), -41);
    EXPECT_EQ(HeapSinceArmed().requests, 0);
}

TEST_F(WorkArrayHeapTest, RefusedWorkArrayEntersNothingAndLeaksNothing) {
    for (int refused = 0; refused < 3; ++refused) {
        RefuseHeapRequest(refused);
        EXPECT_EQ(world_.Add({"d"}), -10) << "refused allocation " << refused;
        const HeapLog heap = HeapSinceArmed();
        RefuseHeapRequest(-1);
        EXPECT_EQ(heap.requests, refused + 1);
        EXPECT_EQ(heap.releases, refused);
    }
    EXPECT_EQ(world_.Results(), Texts{});
    EXPECT_EQ(world_.Add({"d"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"d"}));
}
