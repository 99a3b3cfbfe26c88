// Allocation traces of the library: while a trace is open, every heap block the
// library takes or gives back through its heap door is written down in order.
#ifndef VANTIR_BENCH_RECORDING_HEAP_H
#define VANTIR_BENCH_RECORDING_HEAP_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantir::bench {

// One heap call: an allocation of `bytes` into `slot`, or the release of the
// block that allocation `slot` made.
struct TraceStep {
    bool allocate;
    uint32_t slot;
    uint32_t bytes;
};

struct AllocationTrace {
    std::vector<TraceStep> steps;
    uint32_t slots = 0;  // allocations made
};

// Records into `trace` until StopRecording; blocks allocated before the start
// and released during it are not in the trace.
void StartRecording(AllocationTrace* trace);
void StopRecording();

}  // namespace vantir::bench

#endif  // VANTIR_BENCH_RECORDING_HEAP_H
