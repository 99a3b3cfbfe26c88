// ASCII-only case folding of single values and of whole strings in place.
// Values outside 'A'..'Z' and 'a'..'z' (CJK units, bytes above 0x7F) never change.
#include "textutil/ascii_case.h"
#include "vantir/textutil.h"

namespace vantir {
namespace {

template <typename Unit>
Unit* UpperInPlace(Unit* text) {
    if (text == nullptr) return nullptr;
    for (Unit* at = text; *at != 0; at++)
        *at = static_cast<Unit>(ToUpperAscii(*at));
    return text;
}

template <typename Unit>
Unit* LowerInPlace(Unit* text) {
    if (text == nullptr) return nullptr;
    for (Unit* at = text; *at != 0; at++)
        *at = static_cast<Unit>(ToLowerAscii(*at));
    return text;
}

}  // namespace

int32_t ToUpperAscii(int32_t value) {
    return UpperAsciiValue(value);
}

int32_t ToLowerAscii(int32_t value) {
    return LowerAsciiValue(value);
}

char* StrToUpper(char* text) {
    return UpperInPlace(text);
}
char16_t* WStrToUpper(char16_t* text) {
    return UpperInPlace(text);
}
char* StrToLower(char* text) {
    return LowerInPlace(text);
}
char16_t* WStrToLower(char16_t* text) {
    return LowerInPlace(text);
}

}  // namespace vantir
