// Replacement of the library's two heap routines for this test program, so that
// allocation failures can be placed exactly and leaks counted.
#include "heap_failure.h"

#include <cstdlib>

#include "mempool/heap.h"

namespace vantir {

namespace {

int64_t failAt = -1;
int64_t requests = 0;
int64_t live = 0;

}  // namespace

void* HeapAlloc(size_t bytes) {
    const int64_t request = requests++;
    if (request == failAt) return nullptr;
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p != nullptr) live++;
    return p;
}

void HeapFree(void* p) {
    if (p == nullptr) return;
    live--;
    std::free(p);
}

namespace lexicon_test {

void FailHeapRequest(int64_t index) {
    failAt = index;
    requests = 0;
}

int64_t HeapRequestsSinceArmed() {
    return requests;
}

int64_t LiveHeapBlocks() {
    return live;
}

}  // namespace lexicon_test

}  // namespace vantir
