// The fake heap door of the test and benchmark programs: linked instead of the
// library's heap.cpp, it counts requests, can refuse a chosen one, and records.
#ifndef VANTIR_TESTS_SUPPORT_FAKE_HEAP_H
#define VANTIR_TESTS_SUPPORT_FAKE_HEAP_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantir::testing {

// Requests whose sizes are kept per arming; later ones are only counted.
constexpr int64_t kRecordedRequestSizes = 16;

// What the heap saw since it was last armed. One program, one thread: the
// counters are plain.
struct HeapLog {
    int64_t requests = 0;                      // refused one included
    int64_t releases = 0;                      // of non-null blocks
    bool refused = false;                      // the chosen request was made (and refused)
    size_t sizes[kRecordedRequestSizes] = {};  // bytes asked for by the first requests
};

// Refuses the heap request numbered `index` counted from this call (0 = the
// next one); a negative index refuses nothing. Either way the log restarts.
void RefuseHeapRequest(int64_t index);
const HeapLog& HeapSinceArmed();
// Requests made since the last RefuseHeapRequest, the refused one included.
inline int64_t HeapRequests() {
    return HeapSinceArmed().requests;
}
// True once the chosen request has been made (and refused).
inline bool HeapRequestRefused() {
    return HeapSinceArmed().refused;
}
// Blocks handed out by the heap and not yet given back, over the whole program.
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

// One heap call of a trace: an allocation of `bytes` into `slot`, or the
// release of the block that allocation `slot` made.
struct TraceStep {
    bool allocate;
    uint32_t slot;
    uint32_t bytes;
};

struct AllocationTrace {
    std::vector<TraceStep> steps;
    uint32_t slots = 0;  // allocations made
};

// Writes every granted request and release into `trace` until StopTrace; blocks
// allocated before the start and released during it are not in the trace.
void StartTrace(AllocationTrace* trace);
void StopTrace();

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_SUPPORT_FAKE_HEAP_H
