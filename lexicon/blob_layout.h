// Layout of the "WPB" lexicon blob: header, the two counts, the two offset
// tables and the words' units, all little-endian and free of pointers.
#ifndef VANTIR_LEXICON_BLOB_LAYOUT_H
#define VANTIR_LEXICON_BLOB_LAYOUT_H

#include <cstdint>

#include "vantir/blob_format.h"

namespace vantir {

constexpr char kLexiconBlobTag[] = VANTIR_LEXICON_BLOB_TAG;
constexpr uint16_t kLexiconBlobVersion = VANTIR_LEXICON_BLOB_VERSION;
constexpr int64_t kWpbWordCountAt = 64;
constexpr int64_t kWpbMaxLengthAt = 68;
constexpr int64_t kWpbCharOffsetsAt = 72;
// Header, both counts and the two 0 entries that begin the offset tables.
constexpr int64_t kWpbFixedBytes = 80;
constexpr int64_t kWpbSizeGranule = 4;
// Bytes of one count or offset-table entry, and of one code unit.
constexpr int64_t kWpbFieldBytes = 4;
constexpr int64_t kWpbUnitBytes = 2;
// Longest word a blob stores; longer lines of a word list are left out.
constexpr int32_t kMaxStaticWordLength = 256;

inline int64_t WpbIdOffsetsAt(int32_t maxLength) {
    return kWpbCharOffsetsAt + kWpbFieldBytes * (int64_t{maxLength} + 1);
}
inline int64_t WpbUnitsAt(int32_t maxLength) {
    return kWpbFixedBytes + 2 * kWpbFieldBytes * int64_t{maxLength};
}

// Total bytes of a blob whose words have totalUnits units, padded to the granule.
inline int64_t WpbBlobSize(int32_t maxLength, int64_t totalUnits) {
    const int64_t size = WpbUnitsAt(maxLength) + kWpbUnitBytes * totalUnits;
    return (size + kWpbSizeGranule - 1) / kWpbSizeGranule * kWpbSizeGranule;
}

}  // namespace vantir

#endif  // VANTIR_LEXICON_BLOB_LAYOUT_H
