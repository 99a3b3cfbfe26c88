// Bisection in an ascending i32 array stored at any alignment; the pair setter
// uses it on one successor row at a time.
#include "bigram/score_edit.h"
#include "textutil/byte_order.h"

namespace vantir {

int32_t SearchSortedInts(const void* array, int32_t count, int32_t value) {
    int32_t lo = 0;
    int32_t hi = count - 1;
    while (lo <= hi) {
        int32_t mid = static_cast<int32_t>((static_cast<int64_t>(lo) + hi) >> 1);
        int32_t element = LoadI32At(array, mid);
        if (element > value) {
            hi = mid - 1;
        } else if (element == value) {
            return mid;
        } else {
            lo = mid + 1;
        }
    }
    return -1;
}

}  // namespace vantir
