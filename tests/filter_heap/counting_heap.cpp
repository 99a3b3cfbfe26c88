// Linked instead of the library's heap.cpp: every heap block of the library
// passes through here, so a test sees each allocation of a call.
#include "counting_heap.h"

#include <cstdlib>

#include "mempool/heap.h"

namespace vantir {

namespace testing {

HeapLog& Heap() {
    static HeapLog log;
    return log;
}

void StartHeapLog(int refuseAt) {
    Heap() = HeapLog{};
    Heap().refuseAt = refuseAt;
    Heap().recording = true;
}

void StopHeapLog() {
    Heap().recording = false;
}

}  // namespace testing

void* HeapAlloc(size_t bytes) {
    testing::HeapLog& log = testing::Heap();
    if (log.recording) {
        const int index = log.allocations++;
        if (index < testing::kMaxLoggedAllocations) log.sizes[index] = bytes;
        if (index == log.refuseAt) return nullptr;
    }
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void HeapFree(void* p) {
    testing::HeapLog& log = testing::Heap();
    if (log.recording && p != nullptr) ++log.releases;
    std::free(p);
}

}  // namespace vantir
