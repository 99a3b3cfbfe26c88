// The eight string comparisons. Each returns 0 for equal, else the index of the
// first difference plus one, negated when the first argument is the smaller.
#include "textutil/text_units.h"
#include "vantir/textutil.h"

namespace vantir {
namespace {

constexpr int32_t kUnbounded = -1;

// Null and identical arguments are settled before any unit is read; a null
// string sorts before every other. A limit of kUnbounded compares to the end.
template <typename Units, typename Unit>
int32_t CompareUnits(const Unit* first, const Unit* second, int32_t limit) {
    if (first == second) return 0;
    if (first == nullptr) return -1;
    if (second == nullptr) return 1;
    for (int32_t i = 0; limit == kUnbounded || i < limit; i++) {
        const uint32_t a = Units::Value(first[i]);
        const uint32_t b = Units::Value(second[i]);
        if (a != b) return a > b ? i + 1 : -(i + 1);
        if (a == 0) return 0;
    }
    return 0;
}

// Any n at or below 0 compares nothing; it must not turn into "unbounded".
template <typename Units, typename Unit>
int32_t CompareUnitsN(const Unit* first, const Unit* second, int32_t n) {
    return CompareUnits<Units>(first, second, n < 0 ? 0 : n);
}

}  // namespace

int32_t StrCompareN(const char* first, const char* second, int32_t n) {
    return CompareUnitsN<ExactUnits>(first, second, n);
}
int32_t WStrCompareN(const char16_t* first, const char16_t* second, int32_t n) {
    return CompareUnitsN<ExactUnits>(first, second, n);
}
int32_t StrCompareNoCaseN(const char* first, const char* second, int32_t n) {
    return CompareUnitsN<FoldedUnits>(first, second, n);
}
int32_t WStrCompareNoCaseN(const char16_t* first, const char16_t* second, int32_t n) {
    return CompareUnitsN<FoldedUnits>(first, second, n);
}

int32_t StrCompare(const char* first, const char* second) {
    return CompareUnits<ExactUnits>(first, second, kUnbounded);
}
int32_t WStrCompare(const char16_t* first, const char16_t* second) {
    return CompareUnits<ExactUnits>(first, second, kUnbounded);
}
int32_t StrCompareNoCase(const char* first, const char* second) {
    return CompareUnits<FoldedUnits>(first, second, kUnbounded);
}
int32_t WStrCompareNoCase(const char16_t* first, const char16_t* second) {
    return CompareUnits<FoldedUnits>(first, second, kUnbounded);
}

}  // namespace vantir
