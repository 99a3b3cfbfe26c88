// Sound-alike reading for text intake: the lexicon words whose toneless
// syllables a stretch of recognised text shares, and what reading them costs.
#ifndef VANTIR_SEGMENT_SOUND_ALIKE_H
#define VANTIR_SEGMENT_SOUND_ALIKE_H

#include <cstdint>

#include "segment/sound_blob.h"
#include "vantir/types.h"

namespace vantir {

// Score taken off a path for each character read as another of the same
// toneless syllable, and the extra for one that matches only across a merger
// of Taiwan Mandarin. Both are positive, so a word spelled exactly beats a
// sound-alike one of equal fit; together they stay below what leaving out a
// character costs (kUnknownUnitScore), since a misheard character is still
// evidence of the word.
constexpr int32_t kSoundAlikeUnitCost = 200;
constexpr int32_t kMergedSoundExtraCost = 120;
// Taken off a word read by sound when the model lists no pair of it with the
// word before it, so that the model's pairs choose among sound-alike words.
constexpr int32_t kUnlistedSoundPairCost = 250;
// Longest stretch of text read by sound, in units.
constexpr int32_t kMaxSoundSpanUnits = 16;
// Sound-alike words kept for one stretch of text, the cheapest first.
constexpr int32_t kMaxSoundSpanWords = 6;
// Entries of one sound key examined; a key shared by more words than this
// (only in very large lexicons) is read through its first ones.
constexpr uint32_t kMaxSoundKeyEntries = 64;

// Per unit of a text window: its readings and the rolled sound key before it.
struct SoundWindow {
    uint16_t* syllables;   // kMaxReadingsPerChar per unit
    int8_t* readingCount;  // per unit: readings; 0 for the second half of a
                           // surrogate pair; -1 for a unit without reading
    uint32_t* prefixKey;   // per position 0 .. capacity: key rolled up to it
    int32_t* prefixSyllables;
    int32_t* prefixUnread;  // units without reading before the position
    int32_t capacity;
    int32_t filled;  // units read by the last ReadWindowSounds
    void* block;
};

struct SoundCandidate {
    WordId word;
    int32_t cost;  // taken off the path's score
};

// The window's arrays in one heap block; false when it is refused.
bool AllocateSoundWindow(SoundWindow* window, int32_t capacity);
void FreeSoundWindow(SoundWindow* window);

// Looks up the readings of units[0 .. m-1] and rolls their sound keys.
void ReadWindowSounds(const SoundsView& view, const char16_t* units, int32_t m,
                      SoundWindow* window);

// A stretch of window text and what the search already knows about it.
struct SoundSpan {
    const char16_t* units;       // the window's units and their other spellings
    const char16_t* alternates;  // (variants), both indexed by window position
    int32_t start;
    int32_t end;
    const WordId* exact;  // words that spell the stretch exactly: never repeated
    int32_t exactCount;
};

// The words of the model (ids below `limit`) that read units[start .. end - 1]
// by sound, the cheapest first; at most kMaxSoundSpanWords. Numerals are never
// read by sound, on either side; a word of one character is read by sound only
// right after a numeral (where keys such as 號 and 巷 stand); at most half the
// characters (rounded up) may be misheard, and one must be.
int32_t SoundAlikeWords(const SoundsView& view, const Lexicon* lexicon, int64_t limit,
                        const SoundWindow& window, const SoundSpan& span, SoundCandidate* found);

}  // namespace vantir

#endif  // VANTIR_SEGMENT_SOUND_ALIKE_H
