// Layout of the "SND" sounds blob (toneless syllables, the readings of characters
// and the sound-key index of the lexicon's words), its reader and its check.
#ifndef VANTIR_SEGMENT_SOUND_BLOB_H
#define VANTIR_SEGMENT_SOUND_BLOB_H

#include <cstdint>

#include "textutil/byte_order.h"
#include "vantir/blob_format.h"

namespace vantir {

// After the 64-byte common header (whose user field holds the set identity of
// the build), every field little-endian:
//   64  u32 word count of the lexicon the blob was built for
//   68  u32 syllable count S
//   72  u32 reading count R
//   76  u32 bucket count B, a power of two
//   80  u32 entry count E
//   84  12 bytes of zeros
//   96  S syllables of 8 bytes: the toneless spelling in ASCII (a-z, 'v' for u
//       with umlaut), NUL-padded to 6 bytes, then the u16 merged class: the
//       index of the first syllable that the mergers of Taiwan Mandarin
//       (zh/z, ch/c, sh/s, n/l, in/ing, en/eng) make it equal to
//       R u32 readings, strictly ascending: code point << 11 | syllable
//       B + 1 u32 bucket starts into the entries, from 0 to E, non-decreasing
//       E entries of 8 bytes: u32 sound key, u32 word id; a bucket's entries
//       lie in ascending key order and their keys select that bucket
constexpr char kSoundsBlobTag[] = VANTIR_SOUNDS_BLOB_TAG;
constexpr uint16_t kSoundsBlobVersion = VANTIR_SOUNDS_BLOB_VERSION;
constexpr uint32_t kSndWordCountAt = 64;
constexpr uint32_t kSndSyllableCountAt = 68;
constexpr uint32_t kSndReadingCountAt = 72;
constexpr uint32_t kSndBucketCountAt = 76;
constexpr uint32_t kSndEntryCountAt = 80;
constexpr uint32_t kSndSyllablesAt = 96;
constexpr uint32_t kSndSyllableBytes = 8;
constexpr uint32_t kSndSpellingBytes = 6;  // "zhuang", the longest syllable
constexpr uint32_t kSndClassAt = 6;        // within a syllable record
constexpr uint32_t kSndReadingBytes = 4;
constexpr uint32_t kSndBucketBytes = 4;
constexpr uint32_t kSndEntryBytes = 8;
// A reading packs the syllable into its low bits, the code point above them.
constexpr uint32_t kSndSyllableBits = 11;
constexpr uint32_t kMaxSyllables = 1u << kSndSyllableBits;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
// Readings kept of one character: the common one and, where it differs, the
// one used in Taiwan.
constexpr int32_t kMaxReadingsPerChar = 2;
// Word ids, readings and entries all fit 32-bit offsets well below 4 GB.
constexpr uint32_t kMaxSndRecords = 1u << 26;

// The counts and the places of the tables of a checked blob, read in place.
struct SoundsView {
    const unsigned char* blob;
    uint32_t wordCount;
    uint32_t syllableCount;
    uint32_t readingCount;
    uint32_t bucketCount;
    uint32_t entryCount;
    const unsigned char* syllables;
    const unsigned char* readings;
    const unsigned char* buckets;
    const unsigned char* entries;
};

// Bytes of a blob with these counts; the tables follow each other unpadded.
uint64_t SoundsBlobBytes(uint32_t syllables, uint32_t readings, uint32_t buckets, uint32_t entries);

struct SoundEntry {
    uint32_t key;
    uint32_t word;
};

// One syllable as the blob stores it: its spelling, NUL-padded, and the index
// of the first syllable its mergers make it equal to.
struct SoundSyllable {
    char spelling[kSndSpellingBytes];
    uint16_t mergedClass;
};

// What a sounds blob holds, ready to be laid out by WriteSoundsBlob.
struct SoundsBlobContent {
    uint32_t wordCount;  // of the lexicon the blob is built for
    const SoundSyllable* syllables;
    uint32_t syllableCount;
    const uint32_t* readings;  // code point << kSndSyllableBits | syllable, ascending
    uint32_t readingCount;
    // Ascending by bucket (key & (bucketCount - 1)), then by key.
    const SoundEntry* entries;
    uint32_t entryCount;
    uint32_t bucketCount;  // a power of two
};

// Lays the content out as a blob in `blob`, which holds SoundsBlobBytes of its
// counts; the set identity in the header's user field is left 0 for the
// build to stamp.
void WriteSoundsBlob(const SoundsBlobContent& content, unsigned char* blob);

// Header and every table against the `size` bytes held: 0 reads past them.
bool SoundsBlobIsWellFormed(const unsigned char* blob, uint64_t size);

// The view of a blob whose header is "SND" of this version, trusting its
// counts as Vantir_AttachSounds does (hosts verify stored blobs first). False
// for another kind of blob or a bucket count that is no power of two.
bool ReadSoundsBlob(const void* blob, SoundsView* view);

// Syllables of a code point (at most kMaxReadingsPerChar); 0 when it has none.
int32_t ReadingsOf(const SoundsView& view, uint32_t codePoint, uint16_t* syllables);

uint16_t MergedClassOf(const SoundsView& view, uint16_t syllable);

// The spelling of a syllable, NUL-terminated, into kSndSpellingBytes + 1 chars.
void SpellingOf(const SoundsView& view, uint16_t syllable, char* spelling);

// The index is read in the segmenter's inner loop: these stay inline.
inline SoundEntry EntryAt(const SoundsView& view, uint32_t index) {
    const unsigned char* at = view.entries + uint64_t{index} * kSndEntryBytes;
    return SoundEntry{LoadU32(at), LoadU32(at + 4)};
}
inline uint32_t BucketStart(const SoundsView& view, uint32_t bucket) {
    return LoadU32(view.buckets + uint64_t{bucket} * kSndBucketBytes);
}

// The sound key of a sequence of merged classes: a polynomial over class + 1,
// so that it can be rolled over the prefixes of a text, then mixed.
constexpr uint32_t kSoundKeyBase = 0x01000193u;
constexpr uint32_t ExtendSoundKey(uint32_t rolled, uint16_t mergedClass) {
    return rolled * kSoundKeyBase + (uint32_t{mergedClass} + 1u);
}
constexpr uint32_t FinishSoundKey(uint32_t rolled) {
    rolled ^= rolled >> 16;
    rolled *= 0x85EBCA6Bu;
    rolled ^= rolled >> 13;
    rolled *= 0xC2B2AE35u;
    return rolled ^ (rolled >> 16);
}

}  // namespace vantir

#endif  // VANTIR_SEGMENT_SOUND_BLOB_H
