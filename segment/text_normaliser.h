// Text intake's normalisation of recognised text into a window of units that
// the segmenter's lattice searches: one reader over the text, one window.
#ifndef VANTIR_SEGMENT_TEXT_NORMALISER_H
#define VANTIR_SEGMENT_TEXT_NORMALISER_H

#include <cstdint>

#include "vantir/types.h"

namespace vantir {

struct TextReader {
    const char16_t* text;
    int32_t length;
    int32_t at;        // first unit not yet read
    int32_t runEnd;    // end of the digit run being read digit by digit, or -1
    int32_t spokenAt;  // window index where the current run of numeral characters
                       // started, or -1 outside such a run
};

// The window's arrays, owned by the segmenter; `capacity` units of room.
struct NormalisedWindow {
    char16_t* units;       // the text as searched
    char16_t* alternates;  // another spelling of each unit, or 0
    int32_t* numberStart;  // first unit of the number (digit run) holding the unit, or -1
    int32_t* sourceAt;     // index in the text of the unit (of its digit run's start)
    int32_t capacity;
};

// Normalises text from reader->at into the window until the text ends or the
// window is full, and returns the units written. Blanks and punctuation are
// left out; 台 and other variants, full-width forms, 幺 and 〇 are folded; a
// digit run is spelled as one number when it has at most four digits and no
// leading zero, and otherwise digit by digit; numerals said digit by digit
// before a number key are spelled as the number they read. The units of one
// number share a numberStart, so the search keeps or leaves out all of them.
//
// With `names`, a digit run that no number key follows is written digit by
// digit (一零一) when so written it ends a word of the lexicon that starts in
// the units before it (臺北101 is the landmark 臺北一零一, not 臺北 and 101).
struct DigitNames {
    const Lexicon* lexicon;
    int64_t limit;        // ids below it are the model's words
    int32_t longestWord;  // units of the longest word looked up
};
//
// With `aliases`, a stretch that an alias of the lexicon writes otherwise is
// put as the lexicon's form (segment/text_aliases.h): a whole old name as
// today's, one character as the other spelling of its unit.
struct TextAliases;
int32_t FillWindow(TextReader* reader, NormalisedWindow* window, const DigitNames* names = nullptr,
                   const TextAliases* aliases = nullptr);

}  // namespace vantir

#endif  // VANTIR_SEGMENT_TEXT_NORMALISER_H
