// Byte and wide string basics: length, copy, append, duplicate, ASCII case
// folding, the eight comparisons, and raw memory fill and copy.
#include <cstring>

#include "mempool/heap.h"
#include "textutil/text_units.h"
#include "vantir/textutil.h"

namespace vantir {

// Length, copy, bounded copy, append and duplicate for byte and wide strings.
// Both families share one template each so their behaviour cannot drift apart.
namespace {

template <typename Unit>
int32_t LengthOf(const Unit* text) {
    if (text == nullptr) return 0;
    int32_t length = 0;
    while (text[length] != 0)
        length++;
    return length;
}

// The source is measured after destination[0] is cleared and then moved as one
// block, so a source that overlaps the destination cannot make the copy run on
// past its terminator.
template <typename Unit>
void CopyText(Unit* destination, const Unit* source) {
    if (destination == nullptr || destination == source) return;
    destination[0] = 0;
    if (source == nullptr) return;
    const int32_t length = LengthOf(source);
    std::memmove(destination, source, (static_cast<size_t>(length) + 1) * sizeof(Unit));
}

// Leaves the destination unterminated when n units pass without a 0.
template <typename Unit>
void CopyTextN(Unit* destination, const Unit* source, int32_t n) {
    if (destination == nullptr || destination == source) return;
    destination[0] = 0;
    if (source == nullptr) return;
    for (int32_t i = 0; i < n; i++) {
        destination[i] = source[i];
        if (source[i] == 0) return;
    }
}

// Measured first and moved as a block: appending a text to itself (or a part of
// itself) copies the source as it was, instead of chasing its own terminator.
template <typename Unit>
void AppendText(Unit* destination, const Unit* source) {
    if (destination == nullptr || source == nullptr) return;
    Unit* end = destination + LengthOf(destination);
    const int32_t length = LengthOf(source);
    std::memmove(end, source, (static_cast<size_t>(length) + 1) * sizeof(Unit));
}

template <typename Unit>
Unit* DuplicateText(const Unit* text) {
    if (text == nullptr) return nullptr;
    const size_t units = static_cast<size_t>(LengthOf(text)) + 1;
    Unit* copy = static_cast<Unit*>(HeapAlloc(units * sizeof(Unit)));
    if (copy == nullptr) return nullptr;
    std::memcpy(copy, text, units * sizeof(Unit));
    return copy;
}

}  // namespace

int32_t StrLen(const char* text) {
    return LengthOf(text);
}
int32_t WStrLen(const char16_t* text) {
    return LengthOf(text);
}

void StrCopy(char* destination, const char* source) {
    CopyText(destination, source);
}
void WStrCopy(char16_t* destination, const char16_t* source) {
    CopyText(destination, source);
}

void StrCopyN(char* destination, const char* source, int32_t n) {
    CopyTextN(destination, source, n);
}
void WStrCopyN(char16_t* destination, const char16_t* source, int32_t n) {
    CopyTextN(destination, source, n);
}

void StrAppend(char* destination, const char* source) {
    AppendText(destination, source);
}
void WStrAppend(char16_t* destination, const char16_t* source) {
    AppendText(destination, source);
}

char* StrDup(const char* text) {
    return DuplicateText(text);
}
char16_t* WStrDup(const char16_t* text) {
    return DuplicateText(text);
}

// ASCII-only case folding of single values and of whole strings in place.
// Values outside 'A'..'Z' and 'a'..'z' (CJK units, bytes above 0x7F) never change.
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

// The eight string comparisons. Each returns 0 for equal, else the index of the
// first difference plus one, negated when the first argument is the smaller.
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

// Raw memory fill and forward unit copies with null and count guards.
// The wide copy keeps its source-first argument order.

void MemFill(void* buffer, int32_t value, int32_t count) {
    if (buffer == nullptr || count <= 0) return;
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    const unsigned char low = static_cast<unsigned char>(value & 0xFF);
    for (int32_t i = 0; i < count; i++)
        bytes[i] = low;
}

// Forward, one unit at a time: a copy towards lower addresses within one buffer
// is therefore safe, which is how callers compact their arrays.
void MemCopyN(void* destination, const void* source, int32_t count) {
    if (destination == nullptr || source == nullptr || count <= 0) return;
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (int32_t i = 0; i < count; i++)
        to[i] = from[i];
}

void WMemCopyN(const char16_t* source, char16_t* destination, int32_t count) {
    if (destination == nullptr || source == nullptr || count <= 0) return;
    for (int32_t i = 0; i < count; i++)
        destination[i] = source[i];
}

}  // namespace vantir
