// Sound-alike candidates for the segmenter's lattice.
//
// Recognisers that write text mostly err by writing a character of the same
// sound (中 for 忠, 鹿 for 路). The sounds blob gives every character its
// toneless syllables, every syllable its merged class (the syllable it becomes
// under zh/z, ch/c, sh/s, n/l, in/ing, en/eng), and indexes every lexicon word
// under the sound key of its merged classes (a word with two-reading
// characters under each mix of them).
//
// Per window, each unit's readings are looked up once and the key of its first
// reading's class is rolled into prefix keys, so the key of any stretch is two
// prefix keys and a power: the lookup of one stretch is one bucket of the
// index, whatever its length. A word found there is then checked character by
// character against the text: a character equal to the word's (or to its
// variant) costs nothing; one that shares a toneless syllable with it costs
// kSoundAlikeUnitCost, one that shares only the merged class that and
// kMergedSoundExtraCost more; anything else rejects the word. Numerals must be
// equal on both sides, so a sound-alike never makes or loses a number.
//
// The segmenter adds each candidate beside the words that spell the stretch,
// its pair score lowered by the cost; the bigram model (which holds the pairs
// the address grammar tests: district and road, number and key) then decides,
// so a sound-alike road is read where its district fits and a key heard as a
// homophone after a number is read as the key.
#include "segment/sound_alike.h"

#include <cstddef>

#include "mempool/heap.h"
#include "textutil/chinese_numerals.h"
#include "vantir/lexicon.h"

namespace vantir {

namespace {

constexpr int8_t kNoReading = -1;
constexpr int8_t kPairSecondHalf = 0;

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
uint32_t CodePointOf(char16_t high, char16_t low) {
    return 0x10000u + ((uint32_t{high} - 0xD800u) << 10) + (uint32_t{low} - 0xDC00u);
}

// kSoundKeyBase to the power n, for the key of a stretch of n syllables.
struct KeyBasePowers {
    uint32_t of[kMaxSoundSpanUnits + 1];
    constexpr KeyBasePowers() : of{} {
        of[0] = 1;
        for (int32_t n = 1; n <= kMaxSoundSpanUnits; ++n)
            of[n] = of[n - 1] * kSoundKeyBase;
    }
};
constexpr KeyBasePowers kKeyBasePowers;

bool IsNumeral(uint32_t codePoint) {
    return codePoint <= 0xFFFF && NumeralValue(static_cast<char16_t>(codePoint)) >= 0;
}

// One character of the word against one of the text.
enum class Likeness { kSame, kSoundAlike, kMerged, kOther };

struct TextChar {
    uint32_t codePoint;
    uint32_t alternate;  // another spelling of it, or 0
    const uint16_t* syllables;
    int32_t readings;
};

Likeness Compare(const SoundsView& view, const TextChar& text, uint32_t wordChar) {
    if (wordChar == text.codePoint || (text.alternate != 0 && wordChar == text.alternate)) {
        return Likeness::kSame;
    }
    if (IsNumeral(text.codePoint) || IsNumeral(wordChar)) return Likeness::kOther;
    uint16_t wordSyllables[kMaxReadingsPerChar];
    const int32_t wordReadings = ReadingsOf(view, wordChar, wordSyllables);
    Likeness best = Likeness::kOther;
    for (int32_t w = 0; w < wordReadings; ++w) {
        for (int32_t t = 0; t < text.readings; ++t) {
            if (wordSyllables[w] == text.syllables[t]) return Likeness::kSoundAlike;
            if (MergedClassOf(view, wordSyllables[w]) == MergedClassOf(view, text.syllables[t])) {
                best = Likeness::kMerged;
            }
        }
    }
    return best;
}

// The cost of reading the stretch as the word, or -1 when it may not be.
int32_t SoundAlikeCost(const SoundsView& view, const SoundWindow& window, const SoundSpan& span,
                       const char16_t* word, int32_t wordLength) {
    int32_t misheard = 0;
    int32_t merged = 0;
    int32_t syllables = 0;
    int32_t w = 0;
    for (int32_t k = span.start; k < span.end; ++k) {
        if (window.readingCount[k] == kPairSecondHalf) continue;
        if (w >= wordLength) return -1;
        TextChar text{span.units[k], span.alternates[k],
                      window.syllables + static_cast<size_t>(k) * kMaxReadingsPerChar,
                      window.readingCount[k]};
        if (IsHighSurrogate(span.units[k])) {
            text.codePoint = CodePointOf(span.units[k], span.units[k + 1]);
            text.alternate = 0;
        }
        uint32_t wordChar = word[w++];
        if (IsHighSurrogate(static_cast<char16_t>(wordChar)) && w < wordLength &&
            IsLowSurrogate(word[w])) {
            wordChar = CodePointOf(static_cast<char16_t>(wordChar), word[w++]);
        }
        ++syllables;
        switch (Compare(view, text, wordChar)) {
            case Likeness::kSame:
                break;
            case Likeness::kSoundAlike:
                ++misheard;
                break;
            case Likeness::kMerged:
                ++misheard;
                ++merged;
                break;
            case Likeness::kOther:
                return -1;
        }
    }
    if (w != wordLength || misheard == 0 || misheard > (syllables + 1) / 2) return -1;
    return misheard * kSoundAlikeUnitCost + merged * kMergedSoundExtraCost;
}

// Keeps the candidate among the kMaxSoundSpanWords cheapest, in cost order.
void KeepCandidate(SoundCandidate candidate, SoundCandidate* found, int32_t* count) {
    if (*count == kMaxSoundSpanWords && found[*count - 1].cost <= candidate.cost) return;
    int32_t at = *count < kMaxSoundSpanWords ? (*count)++ : kMaxSoundSpanWords - 1;
    while (at > 0 && found[at - 1].cost > candidate.cost) {
        found[at] = found[at - 1];
        --at;
    }
    found[at] = candidate;
}

}  // namespace

bool AllocateSoundWindow(SoundWindow* window, int32_t capacity) {
    const size_t units = static_cast<size_t>(capacity);
    const size_t positions = units + 1;
    const size_t prefixBytes = positions * (sizeof(uint32_t) + 2 * sizeof(int32_t));
    const size_t syllableBytes = units * kMaxReadingsPerChar * sizeof(uint16_t);
    auto* block = static_cast<unsigned char*>(HeapAlloc(prefixBytes + syllableBytes + units));
    if (block == nullptr) return false;
    window->block = block;
    window->prefixKey = reinterpret_cast<uint32_t*>(block);
    window->prefixSyllables = reinterpret_cast<int32_t*>(window->prefixKey + positions);
    window->prefixUnread = window->prefixSyllables + positions;
    window->syllables = reinterpret_cast<uint16_t*>(block + prefixBytes);
    window->readingCount = reinterpret_cast<int8_t*>(block + prefixBytes + syllableBytes);
    window->capacity = capacity;
    return true;
}

void FreeSoundWindow(SoundWindow* window) {
    HeapFree(window->block);
    window->block = nullptr;
}

void ReadWindowSounds(const SoundsView& view, const char16_t* units, int32_t m,
                      SoundWindow* window) {
    window->prefixKey[0] = 0;
    window->prefixSyllables[0] = 0;
    window->prefixUnread[0] = 0;
    window->filled = m;
    for (int32_t k = 0; k < m; ++k) {
        uint16_t* syllables = window->syllables + static_cast<size_t>(k) * kMaxReadingsPerChar;
        int32_t readings = 0;
        const bool secondHalf = k > 0 && IsLowSurrogate(units[k]) &&
                                IsHighSurrogate(units[k - 1]) && window->readingCount[k - 1] > 0;
        if (secondHalf) {
            readings = kPairSecondHalf;
        } else if (IsHighSurrogate(units[k])) {
            if (k + 1 < m && IsLowSurrogate(units[k + 1])) {
                readings = ReadingsOf(view, CodePointOf(units[k], units[k + 1]), syllables);
            }
        } else if (!IsLowSurrogate(units[k])) {
            readings = ReadingsOf(view, units[k], syllables);
        }
        window->readingCount[k] =
            static_cast<int8_t>(readings == 0 && !secondHalf ? kNoReading : readings);
        const bool read = readings > 0;
        window->prefixKey[k + 1] =
            read ? ExtendSoundKey(window->prefixKey[k], MergedClassOf(view, syllables[0]))
                 : window->prefixKey[k];
        window->prefixSyllables[k + 1] = window->prefixSyllables[k] + (read ? 1 : 0);
        window->prefixUnread[k + 1] =
            window->prefixUnread[k] + (window->readingCount[k] == kNoReading ? 1 : 0);
    }
}

int32_t SoundAlikeWords(const SoundsView& view, const Lexicon* lexicon, int64_t limit,
                        const SoundWindow& window, const SoundSpan& span, SoundCandidate* found) {
    const int32_t start = span.start;
    const int32_t end = span.end;
    if (end - start > kMaxSoundSpanUnits || view.entryCount == 0) return 0;
    if (window.prefixUnread[end] != window.prefixUnread[start]) return 0;
    // A stretch neither starts nor ends inside a surrogate pair.
    if (window.readingCount[start] == kPairSecondHalf) return 0;
    if (end < window.filled && window.readingCount[end] == kPairSecondHalf) return 0;
    const int32_t syllables = window.prefixSyllables[end] - window.prefixSyllables[start];
    if (syllables == 1 && (start == 0 || NumeralValue(span.units[start - 1]) < 0)) return 0;
    const uint32_t rolled =
        window.prefixKey[end] - window.prefixKey[start] * kKeyBasePowers.of[syllables];
    const uint32_t key = FinishSoundKey(rolled);
    const uint32_t bucket = key & (view.bucketCount - 1);
    const uint32_t first = BucketStart(view, bucket);
    const uint32_t last = BucketStart(view, bucket + 1);
    int32_t count = 0;
    for (uint32_t e = first; e < last && e - first < kMaxSoundKeyEntries; ++e) {
        const SoundEntry entry = EntryAt(view, e);
        if (entry.key > key) break;
        if (entry.key != key) continue;
        const auto word = static_cast<WordId>(entry.word);
        if (word >= limit) continue;
        bool known = false;
        for (int32_t k = 0; k < span.exactCount; ++k)
            known = known || span.exact[k] == word;
        for (int32_t k = 0; k < count; ++k)
            known = known || found[k].word == word;
        if (known) continue;
        int32_t length = 0;
        const char16_t* text = Lexicon_GetWord(lexicon, word, &length);
        if (text == nullptr) continue;
        const int32_t cost = SoundAlikeCost(view, window, span, text, length);
        if (cost >= 0) KeepCandidate(SoundCandidate{word, cost}, found, &count);
    }
    return count;
}

}  // namespace vantir
