// Region names of the address database as lexicon words: a name to its word id,
// and a word's text to the first region pair whose lower name spells it.
#include "address/region_completion.h"
#include "address/word_pairs.h"
#include "textutil/byte_order.h"

namespace vantir {

WordId RegionNameWordId(const FilterSession* session, const Lexicon* lexicon,
                        const BigramModel* model, RegionSide side, uint32_t pair) {
    // The blob may lie at any alignment, so the name is read into an aligned
    // buffer before the lexicon sees it.
    char16_t name[kRegionNameCapacity];
    if (CopyRegionName(session->addressView, side, pair, name, kRegionNameCapacity) < 0) {
        return -1;
    }
    const WordId word = Lexicon_FindId(lexicon, name);
    // An id the model has no row for must never reach its scorers.
    return IsModelWord(ModelWordLimit(model), word) ? word : -1;
}

int64_t FindLowerNameOfWord(const FilterSession* session, const Lexicon* lexicon, WordId word) {
    int32_t length = 0;
    const char16_t* text = Lexicon_GetWord(lexicon, word, &length);
    // The text ends at its first 0 unit, as a copied text would; a word that
    // is no word has the empty text. Its units are loaded byte-wise: a lexicon
    // blob attached at an odd address hands out unaligned words.
    int32_t units = 0;
    while (text != nullptr && units < length && LoadUnitAt(text, units) != 0)
        ++units;

    const AddressDbView& view = session->addressView;
    for (uint32_t pair = 0; pair < view.regionPairCount; ++pair) {
        const unsigned char* name = RegionNameStart(view, RegionSide::kLower, pair);
        int32_t i = 0;
        while (i < units && LoadUnitAt(name, i) == LoadUnitAt(text, i))
            ++i;
        if (i == units && LoadUnitAt(name, i) == 0) return pair;
    }
    return -1;
}

}  // namespace vantir
