// The benchmark's heap door, linked instead of the library's own: malloc and free,
// and while a trace is open a record of each call (else one pointer test per call).
#include "bench/recording_heap.h"

#include <cstdlib>
#include <unordered_map>

#include "mempool/heap.h"

namespace vantir::bench {

namespace {

struct Recorder {
    AllocationTrace* trace = nullptr;
    std::unordered_map<void*, uint32_t> slotOf;
};

Recorder& TheRecorder() {
    static Recorder recorder;
    return recorder;
}

}  // namespace

void StartRecording(AllocationTrace* trace) {
    TheRecorder().slotOf.clear();
    TheRecorder().trace = trace;
}

void StopRecording() {
    TheRecorder().trace = nullptr;
}

}  // namespace vantir::bench

namespace vantir {

void* HeapAlloc(size_t bytes) {
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    bench::Recorder& recorder = bench::TheRecorder();
    if (recorder.trace != nullptr && p != nullptr) {
        const uint32_t slot = recorder.trace->slots++;
        recorder.trace->steps.push_back({true, slot, static_cast<uint32_t>(bytes)});
        recorder.slotOf[p] = slot;
    }
    return p;
}

void HeapFree(void* p) {
    bench::Recorder& recorder = bench::TheRecorder();
    if (recorder.trace != nullptr && p != nullptr) {
        auto at = recorder.slotOf.find(p);
        if (at != recorder.slotOf.end()) {
            recorder.trace->steps.push_back({false, at->second, 0});
            recorder.slotOf.erase(at);
        }
    }
    std::free(p);
}

}  // namespace vantir
