// Reading and checking the "SND" sounds blob in place: the counts, the tables'
// order, and the look-ups of a character's readings and of a syllable's class.
#include "segment/sound_blob.h"

#include "textutil/blob_header.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

constexpr uint32_t kSyllableMask = kMaxSyllables - 1;

bool IsPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

void PlaceTables(const unsigned char* blob, SoundsView* view) {
    view->blob = blob;
    view->wordCount = LoadU32(blob + kSndWordCountAt);
    view->syllableCount = LoadU32(blob + kSndSyllableCountAt);
    view->readingCount = LoadU32(blob + kSndReadingCountAt);
    view->bucketCount = LoadU32(blob + kSndBucketCountAt);
    view->entryCount = LoadU32(blob + kSndEntryCountAt);
    view->syllables = blob + kSndSyllablesAt;
    view->readings = view->syllables + uint64_t{view->syllableCount} * kSndSyllableBytes;
    view->buckets = view->readings + uint64_t{view->readingCount} * kSndReadingBytes;
    view->entries = view->buckets + (uint64_t{view->bucketCount} + 1) * kSndBucketBytes;
}

bool CountsAreSound(const SoundsView& view) {
    return view.syllableCount <= kMaxSyllables && view.readingCount <= kMaxSndRecords &&
           view.entryCount <= kMaxSndRecords && view.bucketCount <= kMaxSndRecords &&
           IsPowerOfTwo(view.bucketCount);
}

bool SyllablesAreSound(const SoundsView& view) {
    for (uint32_t s = 0; s < view.syllableCount; ++s) {
        const unsigned char* record = view.syllables + uint64_t{s} * kSndSyllableBytes;
        bool ended = false;
        for (uint32_t k = 0; k < kSndSpellingBytes; ++k) {
            const unsigned char letter = record[k];
            if (letter == 0) {
                if (k == 0) return false;  // a syllable is spelled
                ended = true;
            } else if (ended || letter < 'a' || letter > 'z') {
                return false;
            }
        }
        if (LoadU16(record + kSndClassAt) > s) return false;  // a class is its first member
    }
    return true;
}

bool ReadingsAreSound(const SoundsView& view) {
    uint32_t previous = 0;
    for (uint32_t r = 0; r < view.readingCount; ++r) {
        const uint32_t reading = LoadU32(view.readings + uint64_t{r} * kSndReadingBytes);
        if ((reading & kSyllableMask) >= view.syllableCount) return false;
        if ((reading >> kSndSyllableBits) > kMaxCodePoint) return false;
        if (r > 0 && reading <= previous) return false;
        previous = reading;
    }
    return true;
}

bool IndexIsSound(const SoundsView& view) {
    if (BucketStart(view, 0) != 0 || BucketStart(view, view.bucketCount) != view.entryCount) {
        return false;
    }
    for (uint32_t b = 0; b < view.bucketCount; ++b) {
        const uint32_t start = BucketStart(view, b);
        const uint32_t end = BucketStart(view, b + 1);
        if (end < start || end > view.entryCount) return false;
        for (uint32_t e = start; e < end; ++e) {
            const SoundEntry entry = EntryAt(view, e);
            if ((entry.key & (view.bucketCount - 1)) != b) return false;
            if (entry.word >= view.wordCount) return false;
            if (e > start && entry.key < EntryAt(view, e - 1).key) return false;
        }
    }
    return true;
}

}  // namespace

uint64_t SoundsBlobBytes(uint32_t syllables, uint32_t readings, uint32_t buckets,
                         uint32_t entries) {
    return uint64_t{kSndSyllablesAt} + uint64_t{syllables} * kSndSyllableBytes +
           uint64_t{readings} * kSndReadingBytes + (uint64_t{buckets} + 1) * kSndBucketBytes +
           uint64_t{entries} * kSndEntryBytes;
}

bool SoundsBlobIsWellFormed(const unsigned char* blob, uint64_t size) {
    if (size < kSndSyllablesAt) return false;
    if (!BlobHeaderMatches(blob, kSoundsBlobTag, kSoundsBlobVersion)) return false;
    SoundsView view;
    PlaceTables(blob, &view);
    if (!CountsAreSound(view)) return false;
    const uint64_t bytes =
        SoundsBlobBytes(view.syllableCount, view.readingCount, view.bucketCount, view.entryCount);
    if (bytes > size) return false;
    for (uint32_t at = kSndEntryCountAt + 4; at < kSndSyllablesAt; ++at) {
        if (blob[at] != 0) return false;
    }
    return SyllablesAreSound(view) && ReadingsAreSound(view) && IndexIsSound(view);
}

bool ReadSoundsBlob(const void* blob, SoundsView* view) {
    if (blob == nullptr || !BlobHeaderMatches(blob, kSoundsBlobTag, kSoundsBlobVersion)) {
        return false;
    }
    PlaceTables(static_cast<const unsigned char*>(blob), view);
    return CountsAreSound(*view);
}

int32_t ReadingsOf(const SoundsView& view, uint32_t codePoint, uint16_t* syllables) {
    // The first reading of the code point is the first packed value not below
    // codePoint << 11; its other one follows it.
    const uint32_t lowest = codePoint << kSndSyllableBits;
    uint32_t low = 0;
    uint32_t high = view.readingCount;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        if (LoadU32(view.readings + uint64_t{mid} * kSndReadingBytes) < lowest) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    int32_t count = 0;
    for (uint32_t r = low; r < view.readingCount && count < kMaxReadingsPerChar; ++r) {
        const uint32_t reading = LoadU32(view.readings + uint64_t{r} * kSndReadingBytes);
        if ((reading >> kSndSyllableBits) != codePoint) break;
        syllables[count++] = static_cast<uint16_t>(reading & kSyllableMask);
    }
    return count;
}

uint16_t MergedClassOf(const SoundsView& view, uint16_t syllable) {
    return LoadU16(view.syllables + uint64_t{syllable} * kSndSyllableBytes + kSndClassAt);
}

void SpellingOf(const SoundsView& view, uint16_t syllable, char* spelling) {
    const unsigned char* record = view.syllables + uint64_t{syllable} * kSndSyllableBytes;
    for (uint32_t k = 0; k < kSndSpellingBytes; ++k)
        spelling[k] = static_cast<char>(record[k]);
    spelling[kSndSpellingBytes] = 0;
}

void WriteSoundsBlob(const SoundsBlobContent& content, unsigned char* blob) {
    const uint64_t size = SoundsBlobBytes(content.syllableCount, content.readingCount,
                                          content.bucketCount, content.entryCount);
    for (uint64_t at = 0; at < size; ++at)
        blob[at] = 0;
    WriteBlobHeader(blob, static_cast<uint32_t>(size), kSoundsBlobTag, kSoundsBlobVersion);
    StoreU32(blob + kSndWordCountAt, content.wordCount);
    StoreU32(blob + kSndSyllableCountAt, content.syllableCount);
    StoreU32(blob + kSndReadingCountAt, content.readingCount);
    StoreU32(blob + kSndBucketCountAt, content.bucketCount);
    StoreU32(blob + kSndEntryCountAt, content.entryCount);
    uint64_t at = kSndSyllablesAt;
    for (uint32_t s = 0; s < content.syllableCount; ++s, at += kSndSyllableBytes) {
        for (uint32_t k = 0; k < kSndSpellingBytes; ++k)
            blob[at + k] = static_cast<unsigned char>(content.syllables[s].spelling[k]);
        StoreU16(blob + at + kSndClassAt, content.syllables[s].mergedClass);
    }
    for (uint32_t r = 0; r < content.readingCount; ++r, at += kSndReadingBytes)
        StoreU32(blob + at, content.readings[r]);
    // Bucket b starts at the first entry whose bucket is b or more.
    const uint32_t mask = content.bucketCount - 1;
    uint32_t entry = 0;
    for (uint32_t b = 0; b <= content.bucketCount; ++b, at += kSndBucketBytes) {
        while (entry < content.entryCount && (content.entries[entry].key & mask) < b)
            ++entry;
        StoreU32(blob + at, entry);
    }
    for (uint32_t e = 0; e < content.entryCount; ++e, at += kSndEntryBytes) {
        StoreU32(blob + at, content.entries[e].key);
        StoreU32(blob + at + 4, content.entries[e].word);
    }
}

}  // namespace vantir
