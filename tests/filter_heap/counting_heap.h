// A replacement of the library's heap door for this test executable: it counts
// allocations and releases and can refuse the n-th allocation.
#ifndef VANTIR_TESTS_FILTER_HEAP_COUNTING_HEAP_H
#define VANTIR_TESTS_FILTER_HEAP_COUNTING_HEAP_H

#include <cstddef>

namespace vantir::testing {

constexpr int kMaxLoggedAllocations = 16;

struct HeapLog {
    bool recording = false;
    int allocations = 0;  // calls while recording, refused ones included
    int releases = 0;     // non-null releases while recording
    int refuseAt = -1;    // 0-based index of the allocation to refuse
    size_t sizes[kMaxLoggedAllocations] = {};
};

HeapLog& Heap();

// Starts recording afresh; the allocation numbered `refuseAt` returns null.
void StartHeapLog(int refuseAt = -1);
void StopHeapLog();

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_FILTER_HEAP_COUNTING_HEAP_H
