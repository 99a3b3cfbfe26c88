// Fuzz target: sequences of pool operations, with the pool's invariants checked
// after every step and every live payload's contents checked for damage.
#include <vector>

#include "fuzz_support.h"
#include "mempool/pool_check.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

// Input: two bytes of pool size, then operations of four bytes each: the
// operation, a live-block index and a 16-bit size.
constexpr uint32_t kMaxPoolBytes = 1 << 16;
constexpr size_t kOperationBytes = 4;
constexpr uint32_t kFreeBytesWord = 2;  // freeBytes is the u32 at byte 8

struct Payload {
    unsigned char* at;
    int32_t size;  // bytes asked for
    unsigned char fill;
};

void Fill(const Payload& payload) {
    for (int32_t i = 0; i < payload.size; i++)
        payload.at[i] = static_cast<unsigned char>(payload.fill + i);
}

void CheckIntact(const std::vector<Payload>& live) {
    for (const Payload& payload : live) {
        for (int32_t i = 0; i < payload.size; i++)
            FUZZ_CHECK(payload.at[i] == static_cast<unsigned char>(payload.fill + i));
    }
}

// Sizes mostly small, sometimes large or negative.
int32_t RequestedSize(uint16_t raw) {
    if (raw >= 0xFFF0) return -static_cast<int32_t>(raw & 0xF);
    return raw % 8 == 0 ? raw : raw % 200;
}

void Step(MemPool* pool, std::vector<Payload>& live, const uint8_t* op, unsigned char fill) {
    const int32_t size = RequestedSize(static_cast<uint16_t>(op[2] | op[3] << 8));
    const size_t index = live.empty() ? 0 : op[1] % live.size();
    switch (op[0] % 4) {
        case 0:
        case 1: {
            const bool zeroed = op[0] % 4 == 1;
            const int32_t count = zeroed ? size % 7 : size;
            const int32_t each = zeroed ? size / 7 : 1;
            void* p = zeroed ? MemPool_AllocZeroed(pool, count, each) : MemPool_Alloc(pool, count);
            if (p == nullptr) return;
            if (!zeroed) FUZZ_CHECK(size >= 0);
            auto* bytes = static_cast<unsigned char*>(p);
            if (zeroed) {
                for (int32_t i = 0; i < count * each; i++)
                    FUZZ_CHECK(bytes[i] == 0);
            }
            live.push_back(Payload{bytes, count * each, fill});
            Fill(live.back());
            return;
        }
        case 2:
            if (live.empty()) return;
            MemPool_Free(pool, live[index].at);
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(index));
            return;
        default: {
            if (live.empty()) return;
            Payload& old = live[index];
            void* p = MemPool_Realloc(pool, old.at, size);
            if (p == nullptr) return;
            auto* bytes = static_cast<unsigned char*>(p);
            const int32_t kept = old.size < size ? old.size : size;
            for (int32_t i = 0; i < kept; i++)
                FUZZ_CHECK(bytes[i] == static_cast<unsigned char>(old.fill + i));
            old = Payload{bytes, size, fill};
            Fill(old);
            return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t poolBytes = (data[0] | data[1] << 8) % kMaxPoolBytes;
    std::vector<uint32_t> block(poolBytes / 4 + 1);
    MemPool* pool = MemPool_Init(block.data(), poolBytes);
    if (pool == nullptr) {
        FUZZ_CHECK(poolBytes <= 28);
        return 0;
    }
    const uint32_t freeAtStart = block[kFreeBytesWord];
    std::vector<Payload> live;
    unsigned char fill = 1;
    for (size_t at = 2; at + kOperationBytes <= size; at += kOperationBytes) {
        Step(pool, live, data + at, fill++);
        FUZZ_CHECK(CheckPoolInvariants(pool, poolBytes));
        CheckIntact(live);
    }
    for (const Payload& payload : live)
        MemPool_Free(pool, payload.at);
    FUZZ_CHECK(CheckPoolInvariants(pool, poolBytes));
    FUZZ_CHECK(block[kFreeBytesWord] == freeAtStart);
    return 0;
}
