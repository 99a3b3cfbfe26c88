// Strict UTF-8 to and from UTF-16 for the calls that take and give host text:
// malformed input is refused, never guessed at, and output is cut only between characters.
#ifndef VANTIR_TEXTUTIL_STRICT_UTF8_H
#define VANTIR_TEXTUTIL_STRICT_UTF8_H

#include <cstdint>

namespace vantir {

// Decodes `length` bytes of UTF-8 (a 0 byte is the character U+0000, not an
// end) and returns how many UTF-16 units they make, writing the first
// `capacity` of them to `out` (which may be null when capacity is 0). Bytes
// that are no UTF-8 give -41 (VANTIR_INVALID_ARGUMENT): a stray continuation
// byte, a lead byte that cannot start a sequence, a sequence cut short or
// broken by another lead, an overlong form, a surrogate code point, or a value
// above U+10FFFF. -41 also for a negative length, a negative capacity, or
// null bytes with length > 0. Characters above U+FFFF make surrogate pairs.
int32_t DecodeUtf8Strict(const char* bytes, int32_t length, char16_t* out, int32_t capacity);

// The longest text EncodeUtf16AsUtf8 takes: three bytes a unit must stay
// countable in an int32_t.
constexpr int32_t kMaxEncodableUnits = INT32_MAX / 3;

// Encodes `length` UTF-16 units as UTF-8 and returns how many bytes that takes;
// a lone surrogate becomes U+FFFD (3 bytes), a valid pair one 4-byte sequence.
// Writes only when the whole encoding fits in `capacity` bytes (no terminator is
// written); otherwise nothing. -41 for a negative length or capacity, null
// units with length > 0, or length above kMaxEncodableUnits.
int32_t EncodeUtf16AsUtf8(const char16_t* units, int32_t length, char* out, int32_t capacity);

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_STRICT_UTF8_H
