// Reallocation and zeroed allocation: how much is copied, what a failure leaves
// behind, and the argument checks that keep count x size from overflowing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "mempool/pool_check.h"
#include "mempool/pool_test_support.h"
#include "vantir/mempool.h"

using namespace vantir::testing;

using Blocks = std::vector<RawBlock>;

namespace {

void Fill(void* p, int32_t n, uint8_t value) {
    std::memset(p, value, static_cast<size_t>(n));
}

int32_t CountOf(const void* p, int32_t n, uint8_t value) {
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i)
        count += static_cast<const uint8_t*>(p)[i] == value;
    return count;
}

}  // namespace

TEST(MemPoolRealloc, NonPositiveSizeKeepsTheOldBlock) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    void* p = MemPool_Alloc(pool, 100);
    Blocks before = Chain(pool);
    EXPECT_EQ(MemPool_Realloc(pool, p, 0), nullptr);
    EXPECT_EQ(MemPool_Realloc(pool, p, -8), nullptr);
    EXPECT_EQ(MemPool_Realloc(nullptr, p, 8), nullptr);
    EXPECT_EQ(Chain(pool), before);
}

TEST(MemPoolRealloc, FailedAllocationKeepsTheOldBlockAndItsBytes) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    void* p = MemPool_Alloc(pool, 100);
    Fill(p, 100, 0x5A);
    Blocks before = Chain(pool);
    EXPECT_EQ(MemPool_Realloc(pool, p, 900), nullptr);  // 900 > 884 free
    EXPECT_EQ(Chain(pool), before);
    EXPECT_EQ(CountOf(p, 100, 0x5A), 100);
}

// The old block was handed out whole (40 bytes for a request of 8); growing it
// copies all 40 and leaves the rest of the new block as it was.
TEST(MemPoolRealloc, GrowingCopiesTheOldBlockSize) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    void* a = MemPool_Alloc(pool, 40);
    void* b = MemPool_Alloc(pool, 100);
    ASSERT_NE(MemPool_Alloc(pool, 828), nullptr);  // fills the top
    MemPool_Free(pool, a);
    void* p = MemPool_Alloc(pool, 8);
    ASSERT_EQ(p, a);
    ASSERT_EQ(PayloadSize(p), 40);
    Fill(p, 40, 0x11);
    Fill(b, 100, 0xBB);
    MemPool_Free(pool, b);

    void* q = MemPool_Realloc(pool, p, 60);
    ASSERT_EQ(q, b);
    EXPECT_EQ(CountOf(q, 40, 0x11), 40);
    EXPECT_EQ(CountOf(static_cast<uint8_t*>(q) + 40, 20, 0xBB), 20);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 40}, {68, 1, 60}, {144, 0, 24}, {184, 1, 828}}));
    EXPECT_TRUE(vantir::CheckPoolInvariants(pool, buffer.size()));
}

TEST(MemPoolRealloc, ShrinkingCopiesNBytesIntoADifferentBlock) {
    PoolBuffer buffer(1028);  // pre-filled with 0xEE
    MemPool* pool = buffer.Init();
    void* p = MemPool_Alloc(pool, 64);
    Fill(p, 64, 0x33);
    void* q = MemPool_Realloc(pool, p, 10);
    ASSERT_NE(q, nullptr);
    EXPECT_NE(q, p);
    EXPECT_EQ(PayloadSize(q), 12);
    EXPECT_EQ(CountOf(q, 10, 0x33), 10);
    EXPECT_EQ(CountOf(static_cast<uint8_t*>(q) + 10, 2, 0xEE), 2);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 64}, {92, 1, 12}, {120, 0, 892}}));
    EXPECT_EQ(FreeBytes(pool), 64u + 892);
}

TEST(MemPoolRealloc, NullBlockActsAsAllocation) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    void* p = MemPool_Realloc(pool, nullptr, 10);
    ASSERT_EQ(p, buffer.bytes() + 28);
    EXPECT_EQ(PayloadSize(p), 12);
}

TEST(MemPoolAllocZeroed, ZeroesExactlyCountTimesSize) {
    PoolBuffer buffer(1028);  // pre-filled with 0xEE
    MemPool* pool = buffer.Init();
    void* p = MemPool_AllocZeroed(pool, 3, 5);
    ASSERT_NE(p, nullptr);
    EXPECT_GE(PayloadSize(p), 16);
    EXPECT_EQ(CountOf(p, 15, 0), 15);
    EXPECT_EQ(static_cast<uint8_t*>(p)[15], 0xEE);
    EXPECT_NE(MemPool_AllocZeroed(pool, 0, 7), nullptr);
}

TEST(MemPoolAllocZeroed, RejectsNegativeAndOverflowingProducts) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    EXPECT_EQ(MemPool_AllocZeroed(pool, -1, 4), nullptr);
    EXPECT_EQ(MemPool_AllocZeroed(pool, 4, -1), nullptr);
    EXPECT_EQ(MemPool_AllocZeroed(pool, -4, -1), nullptr);  // product would be positive
    EXPECT_EQ(MemPool_AllocZeroed(pool, 65536, 65536), nullptr);
    EXPECT_EQ(MemPool_AllocZeroed(pool, 2, 0x40000002), nullptr);
    EXPECT_EQ(MemPool_AllocZeroed(pool, 1, INT32_MAX), nullptr);
    EXPECT_EQ(MemPool_AllocZeroed(pool, 251, 4), nullptr);  // 1004 > 1000 free
    EXPECT_EQ(MemPool_AllocZeroed(nullptr, 1, 4), nullptr);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 1000}}));
}
