// The replacement heap door: the library's only heap routines, so every request
// of the library passes here, is counted, and may be refused or traced.
#include "tests/support/fake_heap.h"

#include <cstdlib>
#include <unordered_map>

#include "mempool/heap.h"

namespace vantir {

namespace {

struct FakeHeap {
    int64_t refuseAt = -1;
    testing::HeapLog log;
    int64_t live = 0;
    testing::AllocationTrace* trace = nullptr;
    std::unordered_map<void*, uint32_t> slotOf;
};

FakeHeap& TheHeap() {
    static FakeHeap heap;
    return heap;
}

}  // namespace

void* HeapAlloc(size_t bytes) {
    FakeHeap& heap = TheHeap();
    const int64_t request = heap.log.requests++;
    if (request < testing::kRecordedRequestSizes) heap.log.sizes[request] = bytes;
    if (request == heap.refuseAt) {
        heap.log.refused = true;
        return nullptr;
    }
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p == nullptr) return nullptr;
    heap.live++;
    if (heap.trace != nullptr) {
        const uint32_t slot = heap.trace->slots++;
        heap.trace->steps.push_back({true, slot, static_cast<uint32_t>(bytes)});
        heap.slotOf[p] = slot;
    }
    return p;
}

void HeapFree(void* p) {
    if (p == nullptr) return;
    FakeHeap& heap = TheHeap();
    heap.live--;
    heap.log.releases++;
    if (heap.trace != nullptr) {
        auto at = heap.slotOf.find(p);
        if (at != heap.slotOf.end()) {
            heap.trace->steps.push_back({false, at->second, 0});
            heap.slotOf.erase(at);
        }
    }
    std::free(p);
}

namespace testing {

void RefuseHeapRequest(int64_t index) {
    FakeHeap& heap = TheHeap();
    heap.refuseAt = index;
    heap.log = HeapLog{};
}

const HeapLog& HeapSinceArmed() {
    return TheHeap().log;
}

int64_t LiveHeapBlocks() {
    return TheHeap().live;
}

void StartTrace(AllocationTrace* trace) {
    TheHeap().slotOf.clear();
    TheHeap().trace = trace;
}

void StopTrace() {
    TheHeap().trace = nullptr;
}

}  // namespace testing

}  // namespace vantir
