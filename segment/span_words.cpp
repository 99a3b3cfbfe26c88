// Look-up of the words that spell a stretch of text: each mix of the variant
// spellings of its units when few units have one, else the two uniform ones.
#include "segment/span_words.h"

#include "bigram/scorers.h"
#include "vantir/lexicon.h"

namespace vantir {

int32_t SpanWords(const Lexicon* lexicon, int64_t limit, const char16_t* units,
                  const char16_t* alternates, int32_t n, WordId* found) {
    int32_t variantAt[kMaxSegmentWordUnits];
    int32_t variants = 0;
    char16_t key[kMaxSegmentWordUnits];
    for (int32_t i = 0; i < n; ++i) {
        key[i] = units[i];
        if (alternates[i] != 0) variantAt[variants++] = i;
    }
    const bool mixed = variants <= kMaxMixedVariantUnits;
    const int32_t spellings = mixed ? 1 << variants : 2;
    int32_t count = 0;
    for (int32_t spelling = 0; spelling < spellings; ++spelling) {
        for (int32_t v = 0; v < variants; ++v) {
            const bool other = mixed ? ((spelling >> v) & 1) != 0 : spelling == 1;
            const int32_t at = variantAt[v];
            key[at] = other ? alternates[at] : units[at];
        }
        const WordId id = Lexicon_FindIdN(lexicon, key, n);
        // -1 is the model's text boundary, no word of the text.
        if (!IsModelWord(limit, id) || id < 0) continue;
        bool seen = false;
        for (int32_t k = 0; k < count; ++k)
            seen = seen || found[k] == id;
        if (!seen && count < kMaxSpanWords) found[count++] = id;
    }
    return count;
}

}  // namespace vantir
