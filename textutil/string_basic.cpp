// Length, copy, bounded copy, append and duplicate for byte and wide strings.
// Both families share one template each so their behaviour cannot drift apart.
#include <cstring>

#include "mempool/heap.h"
#include "vantir/textutil.h"

namespace vantir {
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

}  // namespace vantir
