// Printable escaped form of wide text: units 0x20..0x7E as themselves, every
// other unit as "&(0x" + lower-case hexadecimal + ")".
#include "vantir/textutil.h"

namespace vantir {
namespace {

constexpr int32_t kFirstPrintable = 0x20;
constexpr int32_t kLastPrintable = 0x7E;
constexpr int32_t kHexRadix = 16;
constexpr char kEscapeOpen[] = "&(0x";
constexpr char kEscapeClose[] = ")";
constexpr int32_t kEscapeOpenLength = sizeof kEscapeOpen - 1;
constexpr int32_t kEscapeCloseLength = sizeof kEscapeClose - 1;
constexpr int32_t kHexDigitsRoom = 8;  // a 16-bit unit needs at most 4

// Returned for a null destination; never written through.
constexpr char kEmptyText[] = "";

bool IsPrintable(int32_t unit) {
    return unit >= kFirstPrintable && unit <= kLastPrintable;
}

}  // namespace

// Stops at the first unit that does not fit whole, so the result never ends in
// a partial escape. With no room at all the destination is left untouched.
char* WideToEscapedStr(const char16_t* source, char* destination, int32_t capacity) {
    if (destination == nullptr) return const_cast<char*>(kEmptyText);
    if (capacity <= 0) return destination;
    destination[0] = 0;
    if (source == nullptr) return destination;
    int32_t used = 0;
    for (const char16_t* at = source; *at != 0; at++) {
        const int32_t unit = *at;
        if (IsPrintable(unit)) {
            if (used + 1 >= capacity) break;
            destination[used++] = static_cast<char>(unit);
            continue;
        }
        char hex[kHexDigitsRoom];
        IntToText(unit, hex, kHexRadix);
        const int32_t hexLength = StrLen(hex);
        const int32_t escapeLength = kEscapeOpenLength + hexLength + kEscapeCloseLength;
        if (used + escapeLength >= capacity) break;
        MemCopyN(destination + used, kEscapeOpen, kEscapeOpenLength);
        MemCopyN(destination + used + kEscapeOpenLength, hex, hexLength);
        MemCopyN(destination + used + kEscapeOpenLength + hexLength, kEscapeClose,
                 kEscapeCloseLength);
        used += escapeLength;
    }
    destination[used] = 0;
    return destination;
}

}  // namespace vantir
