// The invariant checker must reject each kind of damage it claims to detect,
// otherwise the randomised runs and the fuzzer would prove nothing.
#include "mempool/pool_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>

#include "mempool/pool_test_support.h"
#include "vantir/mempool.h"

using namespace vantir::testing;

namespace {

void WriteU32(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, sizeof value);
}

// Blocks at 12 (used, 100), 128 (free, 100), 244 (used, 100), 360 (free, 652).
struct DamagedPool {
    PoolBuffer buffer{1028};
    MemPool* pool = buffer.Init();
    DamagedPool() {
        MemPool_Alloc(pool, 100);
        void* b = MemPool_Alloc(pool, 100);
        MemPool_Alloc(pool, 100);
        MemPool_Free(pool, b);
    }
    uint8_t* at(uint32_t offset) { return buffer.bytes() + offset; }
};

}  // namespace

TEST(PoolCheck, AcceptsAHealthyPool) {
    DamagedPool healthy;
    EXPECT_TRUE(vantir::CheckPoolInvariants(healthy.pool));
    EXPECT_TRUE(vantir::CheckPoolInvariants(healthy.pool, 1028));
    EXPECT_TRUE(vantir::CheckPoolInvariants(healthy.pool, 1031));   // same rounded area
    EXPECT_FALSE(vantir::CheckPoolInvariants(healthy.pool, 1032));  // one word more expected
    EXPECT_FALSE(vantir::CheckPoolInvariants(healthy.pool, 1024));
    EXPECT_FALSE(vantir::CheckPoolInvariants(nullptr));
}

TEST(PoolCheck, RejectsEachKindOfDamage) {
    struct Damage {
        const char* what;
        std::function<void(DamagedPool&)> apply;
    };
    const Damage damages[] = {
        {"freeBytes off by 4", [](DamagedPool& d) { WriteU32(d.at(8), 752 - 4); }},
        {"firstBlock moved", [](DamagedPool& d) { WriteU32(d.at(0), 128); }},
        {"lastBlock not last", [](DamagedPool& d) { WriteU32(d.at(4), 244); }},
        {"inUse neither 0 nor 1", [](DamagedPool& d) { WriteU32(d.at(12), 2); }},
        {"size not a multiple of 4", [](DamagedPool& d) { WriteU32(d.at(12 + 4), 101); }},
        {"negative size", [](DamagedPool& d) { WriteU32(d.at(360 + 4), 0xFFFFFFF0u); }},
        {"prev wrong", [](DamagedPool& d) { WriteU32(d.at(244 + 8), 12); }},
        {"first block has a prev", [](DamagedPool& d) { WriteU32(d.at(12 + 8), 360); }},
        {"gap after a block", [](DamagedPool& d) { WriteU32(d.at(12 + 4), 96); }},
        {"next points backwards", [](DamagedPool& d) { WriteU32(d.at(244 + 12), 128); }},
        {"two free neighbours",
         [](DamagedPool& d) {
             WriteU32(d.at(244), 0);
             WriteU32(d.at(8), 752 + 100);  // keeps freeBytes consistent
         }},
        {"chain runs past the block", [](DamagedPool& d) { WriteU32(d.at(360 + 4), 4000); }},
    };
    for (const Damage& damage : damages) {
        DamagedPool d;
        damage.apply(d);
        EXPECT_FALSE(vantir::CheckPoolInvariants(d.pool, 1028)) << damage.what;
    }
}
