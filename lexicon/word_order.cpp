// Comparisons that define lexicon order and drive the binary searches. Case
// folding is ASCII only, so 'A' sorts before 'a' and both before 'B'.
#include "lexicon/word_order.h"

#include "textutil/byte_order.h"
#include "vantir/textutil.h"

namespace vantir {

int32_t CompareWordExact(const void* a, const void* b, int32_t n) {
    for (int32_t i = 0; i < n; i++) {
        const int32_t rawA = LoadUnitAt(a, i);
        const int32_t rawB = LoadUnitAt(b, i);
        const int32_t foldedA = ToUpperAscii(rawA);
        const int32_t foldedB = ToUpperAscii(rawB);
        if (foldedA != foldedB) return foldedA - foldedB;
        if (rawA != rawB) return rawA - rawB;
    }
    return 0;
}

int32_t CompareWordFolded(const void* a, const void* b, int32_t n) {
    for (int32_t i = 0; i < n; i++) {
        const int32_t foldedA = ToUpperAscii(LoadUnitAt(a, i));
        const int32_t foldedB = ToUpperAscii(LoadUnitAt(b, i));
        if (foldedA != foldedB) return foldedA - foldedB;
    }
    return 0;
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
