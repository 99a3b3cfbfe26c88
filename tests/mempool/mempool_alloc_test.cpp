// Allocation: rounding, the worked 1028-byte pool, the split threshold, the two
// ways a request fails, the top-down first fit, and the offset-based layout.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "mempool/pool_check.h"
#include "mempool/pool_test_support.h"
#include "vantir/mempool.h"

using namespace vantir::testing;

using Blocks = std::vector<RawBlock>;

TEST(MemPoolAlloc, RoundsRequestsUpToWholeWords) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    void* one = MemPool_Alloc(pool, 1);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(PayloadSize(one), 4);
    EXPECT_EQ(FreeBytes(pool), 1000u - 4 - 16);
    void* five = MemPool_Alloc(pool, 5);
    EXPECT_EQ(PayloadSize(five), 8);
    void* zero = MemPool_Alloc(pool, 0);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(PayloadSize(zero), 0);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 4}, {32, 1, 8}, {56, 1, 0}, {72, 0, 940}}));
    EXPECT_TRUE(vantir::CheckPoolInvariants(pool, buffer.size()));
}

TEST(MemPoolAlloc, SuccessiveAllocationsGrowUpwards) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    void* first = MemPool_Alloc(pool, 100);
    ASSERT_EQ(first, buffer.bytes() + 28);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 100}, {128, 0, 884}}));
    EXPECT_EQ(FreeBytes(pool), 884u);
    EXPECT_EQ(vantir::testing::LastBlock(pool), 128u);
    void* second = MemPool_Alloc(pool, 200);
    ASSERT_EQ(second, buffer.bytes() + 144);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 100}, {128, 1, 200}, {344, 0, 668}}));
    EXPECT_EQ(FreeBytes(pool), 668u);
    EXPECT_EQ(vantir::testing::LastBlock(pool), 344u);
    EXPECT_TRUE(vantir::CheckPoolInvariants(pool, buffer.size()));
}

TEST(MemPoolAlloc, ReleasingInEitherOrderRestoresTheFreshPool) {
    for (bool firstReleasedFirst : {true, false}) {
        PoolBuffer buffer(1028);
        MemPool* pool = buffer.Init();
        void* first = MemPool_Alloc(pool, 100);
        void* second = MemPool_Alloc(pool, 200);
        MemPool_Free(pool, firstReleasedFirst ? first : second);
        EXPECT_TRUE(vantir::CheckPoolInvariants(pool, buffer.size()));
        MemPool_Free(pool, firstReleasedFirst ? second : first);
        EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 1000}})) << firstReleasedFirst;
        EXPECT_EQ(FreeBytes(pool), 1000u);
        EXPECT_EQ(vantir::testing::LastBlock(pool), 12u);
    }
}

TEST(MemPoolAlloc, SplitsOnlyWhenMoreThan32BytesRemain) {
    PoolBuffer exact(28 + 40 + 32);  // one free block of need + 32
    MemPool* pool = exact.Init();
    void* whole = MemPool_Alloc(pool, 40);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(PayloadSize(whole), 72);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 72}}));
    EXPECT_EQ(FreeBytes(pool), 0u);

    PoolBuffer wider(28 + 40 + 36);  // need + 36
    pool = wider.Init();
    void* split = MemPool_Alloc(pool, 40);
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(PayloadSize(split), 40);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 40}, {68, 0, 20}}));
    EXPECT_EQ(FreeBytes(pool), 20u);
    EXPECT_TRUE(vantir::CheckPoolInvariants(pool, wider.size()));
}

TEST(MemPoolAlloc, RequestBeyondFreeBytesFailsAndChangesNothing) {
    PoolBuffer buffer(100);
    MemPool* pool = buffer.Init();
    EXPECT_EQ(MemPool_Alloc(pool, 73), nullptr);  // rounds to 76 > 72
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 72}}));
    EXPECT_NE(MemPool_Alloc(pool, 72), nullptr);
}

// freeBytes is consulted before any block: with the counter lowered by hand, a
// request the free block could hold still fails.
TEST(MemPoolAlloc, FreeBytesIsCheckedBeforeTheSearch) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    uint32_t lowered = 8;
    std::memcpy(buffer.bytes() + 8, &lowered, sizeof lowered);
    EXPECT_EQ(MemPool_Alloc(pool, 12), nullptr);
    EXPECT_NE(MemPool_Alloc(pool, 8), nullptr);
}

// Carves 1000 bytes into a, b, c of 100 each and a top block that fills the rest.
struct FragmentedPool {
    PoolBuffer buffer{1028};
    MemPool* pool = buffer.Init();
    void* a = MemPool_Alloc(pool, 100);
    void* b = MemPool_Alloc(pool, 100);
    void* c = MemPool_Alloc(pool, 100);
    void* top = MemPool_Alloc(pool, 652);
};

TEST(MemPoolAlloc, FragmentedFreeBytesDoNotSatisfyALargeRequest) {
    FragmentedPool f;
    ASSERT_NE(f.top, nullptr);
    ASSERT_EQ(FreeBytes(f.pool), 0u);
    MemPool_Free(f.pool, f.a);
    MemPool_Free(f.pool, f.c);
    ASSERT_EQ(FreeBytes(f.pool), 200u);
    Blocks before = Chain(f.pool);
    EXPECT_EQ(MemPool_Alloc(f.pool, 104), nullptr);
    EXPECT_EQ(Chain(f.pool), before);
    EXPECT_EQ(FreeBytes(f.pool), 200u);
}

TEST(MemPoolAlloc, FirstFitSearchesFromTheHighestBlock) {
    FragmentedPool f;
    MemPool_Free(f.pool, f.a);
    MemPool_Free(f.pool, f.c);
    EXPECT_EQ(MemPool_Alloc(f.pool, 60), f.c);  // c lies higher than a
    EXPECT_EQ(MemPool_Alloc(f.pool, 60), f.a);  // c's remainder of 24 is too small
    EXPECT_EQ(
        Chain(f.pool),
        (Blocks{
            {12, 1, 60}, {88, 0, 24}, {128, 1, 100}, {244, 1, 60}, {320, 0, 24}, {360, 1, 652}}));
    EXPECT_TRUE(vantir::CheckPoolInvariants(f.pool, f.buffer.size()));
}

TEST(MemPoolAlloc, RejectsBadArguments) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    EXPECT_EQ(MemPool_Alloc(nullptr, 4), nullptr);
    EXPECT_EQ(MemPool_Alloc(pool, -1), nullptr);
    EXPECT_EQ(MemPool_Alloc(pool, INT32_MIN), nullptr);
    EXPECT_EQ(MemPool_Alloc(pool, INT32_MAX), nullptr);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 1000}}));
}

TEST(MemPoolLayout, HeaderFieldsSitAtFixedBytePositions) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    uint8_t* p = static_cast<uint8_t*>(MemPool_Alloc(pool, 100));
    uint8_t* q = static_cast<uint8_t*>(MemPool_Alloc(pool, 200));
    EXPECT_EQ(vantir::testing::ReadU32(buffer.bytes() + 8), 668u);
    // Block header of q: inUse, size, prev, next, then q itself.
    EXPECT_EQ(vantir::testing::ReadU32(q - 16), 1u);
    EXPECT_EQ(PayloadSize(q), 200);
    EXPECT_EQ(vantir::testing::ReadU32(q - 8), OffsetOf(pool, p) - 16);
    EXPECT_EQ(vantir::testing::ReadU32(q - 4), 344u);
    EXPECT_EQ(vantir::testing::ReadU32(p - 8), 0u);  // the first block has no prev
}

TEST(MemPoolLayout, LinksAreOffsetsSoAPoolSurvivesACopy) {
    PoolBuffer original(1028);
    MemPool* pool = original.Init();
    void* p = MemPool_Alloc(pool, 100);
    void* q = MemPool_Alloc(pool, 200);
    PoolBuffer copy(1028);
    std::memcpy(copy.bytes(), original.bytes(), 1028);
    MemPool* moved = reinterpret_cast<MemPool*>(copy.bytes());
    Blocks originalChain = Chain(pool);

    MemPool_Free(moved, copy.bytes() + OffsetOf(pool, p));
    void* r = MemPool_Alloc(moved, 300);
    EXPECT_EQ(OffsetOf(moved, r), 344u + 16);
    MemPool_Free(moved, copy.bytes() + OffsetOf(pool, q));
    EXPECT_TRUE(vantir::CheckPoolInvariants(moved, copy.size()));
    EXPECT_EQ(Chain(pool), originalChain);  // the original was never touched
}
