// Decimal text (an optional leading '-' then digits) to a signed 32-bit value.
// Anything else in the text makes the whole result 0.
#include <cstdint>

#include "vantir/textutil.h"

namespace vantir {
namespace {

constexpr uint32_t kDecimalBase = 10;

// Accumulated unsigned: values beyond the 32-bit range wrap to their two's
// complement remainder instead of overflowing a signed integer.
template <typename Unit>
int32_t DecimalValue(const Unit* text) {
    if (text == nullptr) return 0;
    const bool negative = text[0] == '-';
    uint32_t value = 0;
    for (const Unit* at = negative ? text + 1 : text; *at != 0; at++) {
        if (*at < '0' || *at > '9') return 0;
        value = value * kDecimalBase + static_cast<uint32_t>(*at - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t TextToInt(const char* text) {
    return DecimalValue(text);
}
int32_t WTextToInt(const char16_t* text) {
    return DecimalValue(text);
}

}  // namespace vantir
