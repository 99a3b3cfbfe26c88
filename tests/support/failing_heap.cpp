// The replacement heap door linked into allocation-failure test programs: the
// library's only heap routines, so every request of the library passes here.
#include "support/failing_heap.h"

#include <cstdlib>

#include "mempool/heap.h"

namespace vantir {

namespace {

// One test program, one thread: plain counters are enough.
struct HeapCounters {
    int64_t refuseAt = -1;
    int64_t requests = 0;
    bool refused = false;
    int64_t live = 0;
};

HeapCounters& Counters() {
    static HeapCounters counters;
    return counters;
}

}  // namespace

void* HeapAlloc(size_t bytes) {
    HeapCounters& counters = Counters();
    if (counters.requests++ == counters.refuseAt) {
        counters.refused = true;
        return nullptr;
    }
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p != nullptr) counters.live++;
    return p;
}

void HeapFree(void* p) {
    if (p == nullptr) return;
    Counters().live--;
    std::free(p);
}

namespace testing {

void RefuseHeapRequest(int64_t index) {
    HeapCounters& counters = Counters();
    counters.refuseAt = index;
    counters.requests = 0;
    counters.refused = false;
}

int64_t HeapRequests() {
    return Counters().requests;
}

bool HeapRequestRefused() {
    return Counters().refused;
}

int64_t LiveHeapBlocks() {
    return Counters().live;
}

}  // namespace testing

}  // namespace vantir
