// Comparisons that define lexicon order and drive the binary searches. Case
// folding is ASCII only, so 'A' sorts before 'a' and both before 'B'.
#include "lexicon/word_order.h"

#include "textutil/byte_order.h"
#include "vantir/textutil.h"

namespace vantir {

int32_t CompareWordExact(const void* a, const void* b, int32_t n) {
    return CompareWordExactInline(a, b, n);
}

int32_t CompareWordFolded(const void* a, const void* b, int32_t n) {
    return CompareWordFoldedInline(a, b, n);
}

int32_t CompareWordOrder(const char16_t* a, const char16_t* b) {
    const int32_t lengthA = WStrLen(a);
    const int32_t lengthB = WStrLen(b);
    if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
    return CompareWordExact(a, b, lengthA);
}

int32_t CompareEntryOrder(const Lexicon* lexicon, const AddedEntry& p, const AddedEntry& q) {
    return CompareWordOrder(EntryText(lexicon, p), EntryText(lexicon, q));
}

uint32_t UnitOrderKey(uint32_t unit) {
    return static_cast<uint32_t>(ToUpperAscii(static_cast<int32_t>(unit))) << 16 | unit;
}

}  // namespace vantir
