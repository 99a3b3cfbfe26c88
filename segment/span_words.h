// The model's words that spell a stretch of normalised text, every spelling
// of its variant characters tried: the look-up the segmenter's lattice uses.
#ifndef VANTIR_SEGMENT_SPAN_WORDS_H
#define VANTIR_SEGMENT_SPAN_WORDS_H

#include <cstdint>

#include "segment/text_segmenter.h"
#include "vantir/types.h"

namespace vantir {

// Distinct words one stretch matches through its spellings.
constexpr int32_t kMaxSpanWords = 4;

// Ids of the model's words (ids below `limit`) that spell units[0 .. n-1],
// where unit i may also be alternates[i] (0: none); at most kMaxSpanWords of
// them, each once. n is at most kMaxSegmentWordUnits.
int32_t SpanWords(const Lexicon* lexicon, int64_t limit, const char16_t* units,
                  const char16_t* alternates, int32_t n, WordId* found);

}  // namespace vantir

#endif  // VANTIR_SEGMENT_SPAN_WORDS_H
