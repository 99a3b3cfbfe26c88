// Builds the address database blob: word tags at lexicon ids, region pairs in
// source order, through the address database writer.
#include "address/address_db_writer.h"
#include "tools/compile/blob_builders.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

std::vector<uint8_t> BuildAddressBlob(const Vocabulary& vocabulary, const WordNumbering& numbering,
                                      const RegionSource& regions) {
    AddressDbSource source;
    source.wordTags.resize(static_cast<size_t>(numbering.wordCount));
    for (const VocabularyEntry& entry : vocabulary.entries) {
        source.wordTags[static_cast<size_t>(numbering.ids.at(entry.word))] = entry.tags;
    }
    for (const RegionSourcePair& pair : regions.pairs) {
        source.regionPairs.push_back({ToUtf16(pair.upper).value(), ToUtf16(pair.lower).value()});
    }
    // The value at offset 68 is unused by the filter; it records the word count.
    source.unusedValue = static_cast<uint32_t>(numbering.wordCount);
    return WriteAddressDb(source);
}

}  // namespace vantir::tools
