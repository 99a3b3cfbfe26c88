// Test control over the library's heap: this test program links its own
// HeapAlloc/HeapFree, which count live blocks and can refuse a chosen request.
#ifndef VANTIR_TESTS_LEXICON_HEAP_FAILURE_H
#define VANTIR_TESTS_LEXICON_HEAP_FAILURE_H

#include <cstdint>

namespace vantir::lexicon_test {

// The request `index` places after this call (0 = the next one) is refused;
// a negative index lets every request through again.
void FailHeapRequest(int64_t index);
// Requests made since the last FailHeapRequest.
int64_t HeapRequestsSinceArmed();
// Blocks handed out and not yet released.
int64_t LiveHeapBlocks();

}  // namespace vantir::lexicon_test

#endif  // VANTIR_TESTS_LEXICON_HEAP_FAILURE_H
