// Signed 32-bit integers to byte or wide text in radix 2..36, lower-case digits.
// Digits are produced least significant first and the text is reversed at the end.
#include <cstdint>

#include "vantir/textutil.h"

namespace vantir {
namespace {

constexpr int32_t kMinRadix = 2;
constexpr int32_t kMaxRadix = 36;
constexpr uint32_t kDecimalDigits = 10;

template <typename Unit>
Unit DigitUnit(uint32_t digit) {
    return static_cast<Unit>(digit < kDecimalDigits ? '0' + digit : 'a' + (digit - kDecimalDigits));
}

template <typename Unit>
void ReverseUnits(Unit* first, Unit* last) {
    while (first < last) {
        const Unit kept = *first;
        *first++ = *last;
        *last-- = kept;
    }
}

// The magnitude is taken in unsigned arithmetic, so the most negative value
// prints in full. A radix outside 2..36 leaves the empty text: radix 1 would
// never reach a zero quotient and larger radixes have no digit letters.
template <typename Unit>
Unit* IntegerToText(int32_t value, Unit* destination, int32_t radix) {
    if (destination == nullptr) return nullptr;
    destination[0] = 0;
    if (radix < kMinRadix || radix > kMaxRadix) return destination;
    const uint32_t base = static_cast<uint32_t>(radix);
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    int32_t used = 0;
    do {
        destination[used++] = DigitUnit<Unit>(magnitude % base);
        magnitude /= base;
    } while (magnitude != 0);
    if (value < 0) destination[used++] = '-';
    destination[used] = 0;
    ReverseUnits(destination, destination + used - 1);
    return destination;
}

}  // namespace

char* IntToText(int32_t value, char* destination, int32_t radix) {
    return IntegerToText(value, destination, radix);
}

char16_t* IntToWText(int32_t value, char16_t* destination, int32_t radix) {
    return IntegerToText(value, destination, radix);
}

}  // namespace vantir
