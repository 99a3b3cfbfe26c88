// Ordering of result entries for delivery: class first, then arrival order.
// Arrival orders are distinct, so the order is total.
#ifndef VANTIR_FILTER_RESULT_LIST_H
#define VANTIR_FILTER_RESULT_LIST_H

#include <cstdint>

#include "filter/session.h"

namespace vantir {

// Negative when a is listed first, positive when b is, 0 only for equal keys.
int32_t CompareResults(const ResultEntry& a, const ResultEntry& b);

}  // namespace vantir

#endif  // VANTIR_FILTER_RESULT_LIST_H
