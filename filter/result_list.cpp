// Delivering the result table: entries sorted by class, then arrival order, and
// written as a list of 0-terminated texts closed by an empty text.
#include "filter/result_list.h"

#include <algorithm>

#include "filter/session.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

namespace vantir {

int32_t CompareResults(const ResultEntry& a, const ResultEntry& b) {
    if (a.resultClass != b.resultClass) {
        return int32_t{a.resultClass} - int32_t{b.resultClass};
    }
    return a.arrivalOrder - b.arrivalOrder;
}

}  // namespace vantir

using namespace vantir;

extern "C" int32_t Vantir_GetFilterResult(FilterSession* session, char16_t* output,
                                          int32_t /*reserved1*/, int32_t /*reserved2*/,
                                          int32_t* count) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if (count == nullptr) return VANTIR_INVALID_ARGUMENT;
    if (*count < 0) return VANTIR_INVALID_ARGUMENT;
    if (*count > session->resultCount) *count = session->resultCount;
    const int32_t wanted = *count;

    ResultEntry* first = session->results;
    std::sort(first, first + session->resultCount,
              [](const ResultEntry& a, const ResultEntry& b) { return CompareResults(a, b) < 0; });

    int32_t total = 0;
    char16_t* at = output;
    if (at != nullptr) at[0] = 0;
    for (int32_t i = 0; i < wanted; ++i) {
        const int32_t length = WStrLen(session->results[i].text);
        if (at != nullptr) {
            WStrCopy(at, session->results[i].text);
            at += length + 1;
        }
        total += length + 1;
    }
    if (at != nullptr) at[0] = 0;
    return total + 1;
}
