// A failing allocator for tests: a test program that links failing_heap.cpp
// replaces the library's heap door (HeapAlloc/HeapFree) with one that counts
// requests and live blocks and refuses the request chosen by the test.
#ifndef VANTIR_TESTS_SUPPORT_FAILING_HEAP_H
#define VANTIR_TESTS_SUPPORT_FAILING_HEAP_H

#include <cstdint>

namespace vantir::testing {

// Refuses the heap request numbered `index` counted from this call (0 = the
// next one); a negative index refuses nothing. Either way counting restarts.
void RefuseHeapRequest(int64_t index);
// Requests made since the last RefuseHeapRequest, the refused one included.
int64_t HeapRequests();
// True once the chosen request has been made (and refused).
bool HeapRequestRefused();
// Blocks handed out by the library and not yet given back.
int64_t LiveHeapBlocks();

// Refuses request `index` of everything run while it exists.
class ScopedHeapRefusal {
  public:
    explicit ScopedHeapRefusal(int64_t index) { RefuseHeapRequest(index); }
    ~ScopedHeapRefusal() { RefuseHeapRequest(-1); }
    ScopedHeapRefusal(const ScopedHeapRefusal&) = delete;
    ScopedHeapRefusal& operator=(const ScopedHeapRefusal&) = delete;
};

// Runs `scenario(k)` for k = 0, 1, ... where the scenario arms request k of the
// operation it tests (with ScopedHeapRefusal) and returns whether that request
// was reached. Stops after the first run that got through without a refusal and
// returns the number of refusal runs, i.e. the operation's heap requests.
template <typename Scenario>
int64_t ForEachHeapRefusal(Scenario scenario) {
    constexpr int64_t kMaxRequests = 1 << 20;
    for (int64_t k = 0; k < kMaxRequests; k++) {
        if (!scenario(k)) return k;
    }
    return kMaxRequests;
}

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_SUPPORT_FAILING_HEAP_H
