// Unit access shared by the string routines and the lexicon's searches: the
// arithmetic of ASCII case folding, unsigned and folded unit values, width-exact matching.
#ifndef VANTIR_TEXTUTIL_TEXT_UNITS_H
#define VANTIR_TEXTUTIL_TEXT_UNITS_H

#include <cstdint>

#include "vantir/textutil.h"

namespace vantir {

// The arithmetic of ASCII case folding, shared by ToUpperAscii/ToLowerAscii and
// by search loops that fold units inline instead of calling them.

inline constexpr int32_t kAsciiCaseDistance = 'a' - 'A';

// Only 'a'..'z' and 'A'..'Z' change; every other value is returned as it is.
inline int32_t UpperAsciiValue(int32_t value) {
    return (value >= 'a' && value <= 'z') ? value - kAsciiCaseDistance : value;
}

inline int32_t LowerAsciiValue(int32_t value) {
    return (value >= 'A' && value <= 'Z') ? value + kAsciiCaseDistance : value;
}

// Unit access shared by the byte and wide string routines: the unsigned value of
// a unit, its ASCII-folded value, and width-exact matching against an int32 unit.

// Units order as unsigned values, so bytes 0x80..0xFF sort above ASCII.
inline uint32_t UnitValue(char unit) {
    return static_cast<unsigned char>(unit);
}
inline uint32_t UnitValue(char16_t unit) {
    return unit;
}

// Bytes are sign-extended before folding, so only 'A'..'Z' ever change; the
// folded byte is then taken back to its unsigned 8-bit value.
inline uint32_t FoldedUnitValue(char unit) {
    int32_t folded = ToLowerAscii(static_cast<signed char>(unit));
    return static_cast<unsigned char>(folded);
}
inline uint32_t FoldedUnitValue(char16_t unit) {
    return static_cast<uint32_t>(ToLowerAscii(unit)) & 0xFFFFu;
}

// Unit views for the comparing templates: raw or ASCII-folded unsigned values.
struct ExactUnits {
    template <typename Unit>
    static uint32_t Value(Unit unit) {
        return UnitValue(unit);
    }
};

struct FoldedUnits {
    template <typename Unit>
    static uint32_t Value(Unit unit) {
        return FoldedUnitValue(unit);
    }
};

// A unit given as int32 is matched at the family's width (8 or 16 bits).
inline bool UnitMatches(char unit, int32_t wanted) {
    return static_cast<unsigned char>(unit) == (static_cast<uint32_t>(wanted) & 0xFFu);
}
inline bool UnitMatches(char16_t unit, int32_t wanted) {
    return unit == (static_cast<uint32_t>(wanted) & 0xFFFFu);
}

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_TEXT_UNITS_H
