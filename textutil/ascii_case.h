// The arithmetic of ASCII case folding, shared by ToUpperAscii/ToLowerAscii and
// by search loops that fold units inline instead of calling them.
#ifndef VANTIR_TEXTUTIL_ASCII_CASE_H
#define VANTIR_TEXTUTIL_ASCII_CASE_H

#include <cstdint>

namespace vantir {

inline constexpr int32_t kAsciiCaseDistance = 'a' - 'A';

// Only 'a'..'z' and 'A'..'Z' change; every other value is returned as it is.
inline int32_t UpperAsciiValue(int32_t value) {
    return (value >= 'a' && value <= 'z') ? value - kAsciiCaseDistance : value;
}

inline int32_t LowerAsciiValue(int32_t value) {
    return (value >= 'A' && value <= 'Z') ? value + kAsciiCaseDistance : value;
}

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_ASCII_CASE_H
