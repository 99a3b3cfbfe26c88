// Randomised alloc/free/realloc runs checked after every step against the
// invariant checker, a first-fit prediction and a shadow copy of every live block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "mempool/pool_check.h"
#include "mempool/pool_test_support.h"
#include "vantir/mempool.h"

using namespace vantir::testing;

namespace {

constexpr int kStepsPerRun = 3000;
constexpr int32_t kLargestRequest = 400;

struct LiveBlock {
    uint8_t* payload;
    int32_t length;  // bytes the caller asked for and owns
    uint8_t seed;
};

uint8_t PatternByte(uint8_t seed, int32_t i) {
    return static_cast<uint8_t>(seed + i * 7);
}

void WritePattern(const LiveBlock& block) {
    for (int32_t i = 0; i < block.length; ++i)
        block.payload[i] = PatternByte(block.seed, i);
}

bool PatternIntact(const LiveBlock& block, int32_t length) {
    for (int32_t i = 0; i < length; ++i) {
        if (block.payload[i] != PatternByte(block.seed, i)) return false;
    }
    return true;
}

// Header offset that first fit must pick for n bytes, or 0 when the request must fail.
uint32_t PredictFirstFit(const MemPool* pool, int32_t n) {
    int32_t need = (n + 3) / 4 * 4;
    if (static_cast<uint32_t>(need) > vantir::testing::FreeBytes(pool)) return 0;
    std::vector<RawBlock> chain = Chain(pool);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it->inUse == 0 && it->size >= need) return it->offset;
    }
    return 0;
}

class PoolRun {
  public:
    PoolRun(uint32_t poolSize, uint32_t seed) : buffer_(poolSize), random_(seed) {
        pool_ = buffer_.Init();
    }

    void Step() {
        int choice = Pick(0, 99);
        if (choice < 45 || live_.empty()) {
            Allocate(choice % 5 == 0);
        } else if (choice < 80) {
            Release();
        } else {
            Reallocate();
        }
        ASSERT_TRUE(vantir::CheckPoolInvariants(pool_, buffer_.size()));
        CheckShadow();
    }

    void ReleaseAll() {
        while (!live_.empty())
            Release();
        std::vector<RawBlock> chain = Chain(pool_);
        ASSERT_EQ(chain.size(), 1u);
        EXPECT_EQ(static_cast<uint32_t>(chain[0].size), vantir::testing::FreeBytes(pool_));
        EXPECT_TRUE(vantir::CheckPoolInvariants(pool_, buffer_.size()));
    }

  private:
    int32_t Pick(int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random_);
    }

    void Allocate(bool zeroed) {
        int32_t n = Pick(0, kLargestRequest);
        uint32_t expected = PredictFirstFit(pool_, n);
        void* p = zeroed ? MemPool_AllocZeroed(pool_, 1, n) : MemPool_Alloc(pool_, n);
        if (expected == 0) {
            ASSERT_EQ(p, nullptr) << "request of " << n;
            return;
        }
        ASSERT_EQ(p, buffer_.bytes() + expected + 16) << "request of " << n;
        int32_t granted = PayloadSize(p);
        ASSERT_GE(granted, n);
        ASSERT_LE(granted, (n + 3) / 4 * 4 + 32);
        LiveBlock block{static_cast<uint8_t*>(p), n, static_cast<uint8_t>(Pick(0, 255))};
        if (zeroed) {
            for (int32_t i = 0; i < n; ++i)
                ASSERT_EQ(block.payload[i], 0);
        }
        WritePattern(block);
        live_.push_back(block);
    }

    void Release() {
        size_t index = static_cast<size_t>(Pick(0, static_cast<int32_t>(live_.size()) - 1));
        MemPool_Free(pool_, live_[index].payload);
        live_[index] = live_.back();
        live_.pop_back();
    }

    void Reallocate() {
        size_t index = static_cast<size_t>(Pick(0, static_cast<int32_t>(live_.size()) - 1));
        LiveBlock& block = live_[index];
        int32_t n = Pick(1, kLargestRequest);
        uint32_t expected = PredictFirstFit(pool_, n);
        void* q = MemPool_Realloc(pool_, block.payload, n);
        if (expected == 0) {
            ASSERT_EQ(q, nullptr);  // the old block stays, checked by CheckShadow
            return;
        }
        ASSERT_EQ(q, buffer_.bytes() + expected + 16);
        block.payload = static_cast<uint8_t*>(q);
        ASSERT_TRUE(PatternIntact(block, std::min(block.length, n)));
        block.length = n;
        block.seed = static_cast<uint8_t>(Pick(0, 255));
        WritePattern(block);
    }

    // Every live block is still in use and still holds what was written to it.
    void CheckShadow() {
        size_t inUse = 0;
        for (const RawBlock& raw : Chain(pool_))
            inUse += raw.inUse;
        ASSERT_EQ(inUse, live_.size());
        for (const LiveBlock& block : live_) {
            ASSERT_EQ(vantir::testing::ReadU32(block.payload - 16), 1u);
            ASSERT_TRUE(PatternIntact(block, block.length));
        }
    }

    PoolBuffer buffer_;
    std::mt19937 random_;
    MemPool* pool_ = nullptr;
    std::vector<LiveBlock> live_;
};

}  // namespace

TEST(MemPoolRandom, AllocFreeReallocKeepInvariantsAndContents) {
    // Sizes with every remainder modulo 4 exercise the rounding of the pool area.
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        PoolRun run(2048 + seed % 4 + 512 * (seed % 3), seed);
        for (int step = 0; step < kStepsPerRun; ++step) {
            ASSERT_NO_FATAL_FAILURE(run.Step()) << "seed " << seed << " step " << step;
        }
        ASSERT_NO_FATAL_FAILURE(run.ReleaseAll()) << "seed " << seed;
    }
}
