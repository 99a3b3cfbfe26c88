// Look-up of a word pair in the extra pair table: hash to one bucket, then
// compare its eight entries in order.
#include "bigram/extra_pairs.h"

#include "bigram/score_codes.h"

namespace vantir {

int32_t LookupExtraPair(const void* table, WordId first, WordId second) {
    int32_t entryIndex = ExtraPairBucket(first, second) * kExtraEntriesPerBucket;
    for (int32_t e = 0; e < kExtraEntriesPerBucket; ++e, ++entryIndex) {
        const uint8_t* entry = ExtraEntryAt(table, entryIndex);
        if (LoadI32(entry + kExtraFirstWordField) != first) continue;
        if (LoadI32(entry + kExtraSecondWordField) != second) continue;
        return ReadExtraEntry(table, entryIndex).score;
    }
    return kNotListedScore;
}

}  // namespace vantir
