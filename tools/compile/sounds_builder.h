// Compiling the "SND" sounds blob: the syllables and character readings of
// Unihan, and the sound-key index of the built lexicon's words.
#ifndef VANTIR_TOOLS_SOUNDS_BUILDER_H
#define VANTIR_TOOLS_SOUNDS_BUILDER_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/compile/blob_builders.h"
#include "tools/compile/unihan_readings.h"

namespace vantir::tools {

// Sound keys one word is indexed under at most: one per mix of the readings
// of its characters that have two.
constexpr size_t kMaxSoundKeysPerWord = 4;

struct SoundsBlob {
    std::vector<uint8_t> bytes;
    size_t syllables = 0;
    size_t readings = 0;      // characters read
    size_t indexedWords = 0;  // lexicon words every character of which has a reading
};

// The merged spelling of a toneless syllable under the mergers of Taiwan
// Mandarin: zh/ch/sh as z/c/s, n as l before a vowel, ing as in, eng as en.
std::string MergedSyllable(const std::string& syllable);

// Builds the blob for the lexicon numbered by `numbering`. Words longer than
// the segmenter reads by sound, words of numerals only and words with a
// character without reading are left out of the index.
SoundsBlob BuildSoundsBlob(const CharReadings& readings, const WordNumbering& numbering);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_SOUNDS_BUILDER_H
