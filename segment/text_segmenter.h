// Segmentation of recognised text into lexicon words: the most likely split
// under the bigram model, found by a Viterbi search over the word lattice.
#ifndef VANTIR_SEGMENT_TEXT_SEGMENTER_H
#define VANTIR_SEGMENT_TEXT_SEGMENTER_H

#include <cstdint>

#include "vantir/types.h"

namespace vantir {

// Normalised units searched at once. A longer text is searched window by
// window: a window's words are kept up to the last word boundary of its best
// path that lies kMaxSegmentWordUnits or more before its end, the next window
// starts there, and its first word is scored after the last word kept.
constexpr int32_t kSegmentWindowUnits = 512;
// Words longer than this are never matched in text.
constexpr int32_t kMaxSegmentWordUnits = 32;
// Best partial paths kept per lattice position, one per last word.
constexpr int32_t kMaxPathsPerPosition = 8;
// Spellings of one span tried: every mix of variant forms when the span holds
// at most this many units with a variant, else only the two uniform ones.
constexpr int32_t kMaxMixedVariantUnits = 4;
// Score of one unit that no word covers: below any word's score in back-off
// mode (-510 at worst), so the search leaves a unit out only when no word fits.
constexpr int32_t kUnknownUnitScore = -600;
// Taken off a path for a word inside a number that touches neither of its
// ends: a number split into three words or more (一百 二十 六) gives no house
// number in the grammar, so a split into two (一百 二十六) is preferred where
// the lexicon has one, even when the model's pairs favour the longer split.
constexpr int32_t kInnerNumberWordCost = 250;

// Where the words go: the first `capacity` ids into `ids`; all are counted.
// With `bySound`, an entry per id kept says whether it was read by sound.
struct WordSink {
    WordId* ids;
    int32_t capacity;
    int64_t count;
    bool* bySound = nullptr;
};

struct SoundsView;
struct RoadStemReading;

// Splits text[0 .. length - 1] and appends the word ids to the sink. Blanks
// and punctuation separate nothing and are dropped; digit runs are read as
// numbers spelled in numerals; a unit no word covers is left out and the word
// after it is scored as if it opened the text. Scores in back-off mode through
// read-only calls, so the model may be shared. Only words with a row in the
// model are used. With `sounds`, a stretch may also be read as a word that
// sounds the same (segment/sound_alike.h). With `stems`, a stretch after a
// region word may also be read as the one road of that region it names
// without its suffix (segment/road_stems.h). 0, or VANTIR_OUT_OF_MEMORY (the
// sink may then hold part).
int32_t SegmentText(const Lexicon* lexicon, const BigramModel* model, const char16_t* text,
                    int32_t length, WordSink* sink, const SoundsView* sounds = nullptr,
                    const RoadStemReading* stems = nullptr);

}  // namespace vantir

#endif  // VANTIR_SEGMENT_TEXT_SEGMENTER_H
