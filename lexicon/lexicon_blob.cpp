// A lexicon's "WPB" blob: the structural check, attaching a stored blob in place,
// and building one from a word list.
#include "lexicon/lexicon_blob.h"

#include <cstring>

#include "lexicon/blob_layout.h"
#include "lexicon/lexicon_object.h"
#include "lexicon/lookup_index.h"
#include "lexicon/word_order.h"
#include "mempool/object_memory.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace vantir {

// Verification of a "WPB" blob before it is attached: every table and word is
// checked to lie inside the bytes held, so lookups on it stay in bounds.

namespace {

// Entry L of both tables begins at 0 and grows by L units per word of length L;
// the id table ends at the word count. Returns the unit count, or -1.
int64_t CheckOffsetTables(const unsigned char* blob, int32_t wordCount, int32_t maxLength) {
    const unsigned char* charOffsets = blob + kWpbCharOffsetsAt;
    const unsigned char* idOffsets = blob + WpbIdOffsetsAt(maxLength);
    if (LoadI32At(charOffsets, 0) != 0 || LoadI32At(idOffsets, 0) != 0) return -1;
    for (int32_t L = 1; L <= maxLength; L++) {
        const int64_t words = int64_t{LoadI32At(idOffsets, L)} - LoadI32At(idOffsets, L - 1);
        const int64_t units = int64_t{LoadI32At(charOffsets, L)} - LoadI32At(charOffsets, L - 1);
        if (words < 0 || units != words * L) return -1;
    }
    if (LoadI32At(idOffsets, maxLength) != wordCount) return -1;
    return LoadI32At(charOffsets, maxLength);
}

bool HoldsZeroUnit(const unsigned char* word, int32_t length) {
    for (int32_t i = 0; i < length; i++) {
        if (LoadStoredUnitAt(word, i) == 0) return true;
    }
    return false;
}

// Binary search in a bucket finds a word only when the bucket is strictly
// ascending; an unsorted or repeated bucket would lose words or ids.
bool BucketIsOrdered(const unsigned char* words, int64_t count, int32_t length) {
    const int64_t stride = kWpbUnitBytes * int64_t{length};
    for (int64_t k = 0; k < count; k++) {
        const unsigned char* word = words + k * stride;
        if (HoldsZeroUnit(word, length)) return false;
        if (k > 0 && CompareWordExactInline<LoadStoredUnitAt>(word - stride, word, length) >= 0)
            return false;
    }
    return true;
}

bool BucketsAreOrdered(const unsigned char* blob, int32_t maxLength) {
    const unsigned char* charOffsets = blob + kWpbCharOffsetsAt;
    const unsigned char* idOffsets = blob + WpbIdOffsetsAt(maxLength);
    const unsigned char* units = blob + WpbUnitsAt(maxLength);
    for (int32_t L = 1; L <= maxLength; L++) {
        const int64_t count = int64_t{LoadI32At(idOffsets, L)} - LoadI32At(idOffsets, L - 1);
        const unsigned char* words = units + kWpbUnitBytes * LoadI32At(charOffsets, L - 1);
        if (!BucketIsOrdered(words, count, L)) return false;
    }
    return true;
}

}  // namespace

bool LexiconBlobIsWellFormed(const unsigned char* blob, uint64_t size) {
    if (size < static_cast<uint64_t>(kWpbCharOffsetsAt)) return false;
    const int32_t wordCount = LoadI32(blob + kWpbWordCountAt);
    const int32_t maxLength = LoadI32(blob + kWpbMaxLengthAt);
    if (wordCount < 0 || maxLength < 0 || maxLength > kMaxStaticWordLength) return false;
    if (static_cast<uint64_t>(WpbUnitsAt(maxLength)) > size) return false;
    const int64_t totalUnits = CheckOffsetTables(blob, wordCount, maxLength);
    if (totalUnits < 0) return false;
    const uint64_t end = static_cast<uint64_t>(WpbUnitsAt(maxLength) + kWpbUnitBytes * totalUnits);
    if (end > size) return false;
    return BucketsAreOrdered(blob, maxLength);
}

// Giving a lexicon a stored "WPB" blob: a header check and a few assignments;
// the blob stays the caller's, read in place (a big-endian host copies its words).

int32_t UseStaticPart(Lexicon* lexicon, const unsigned char* blob, int32_t wordCount,
                      int32_t maxLength) {
    ClearStaticPart(lexicon);
    const unsigned char* charOffsets = blob + kWpbCharOffsetsAt;
    const unsigned char* units = blob + WpbUnitsAt(maxLength);
    if constexpr (!kHostIsLittleEndian) {
        const int32_t unitCount = LoadI32At(charOffsets, maxLength);
        if (unitCount < 0) return VANTIR_BAD_BLOB;
        // One unit more than the words hold keeps the allocation non-empty.
        char16_t* copy = static_cast<char16_t*>(
            AllocArray(lexicon->pool, int64_t{unitCount} + 1, sizeof(char16_t)));
        if (copy == nullptr) return VANTIR_OUT_OF_MEMORY;
        LoadStoredUnits(copy, units, unitCount);
        lexicon->hostChars = copy;
        units = reinterpret_cast<const unsigned char*>(copy);
    }
    lexicon->staticCount = wordCount;
    lexicon->staticMaxLength = maxLength;
    lexicon->charOffsets = charOffsets;
    lexicon->idOffsets = blob + WpbIdOffsetsAt(maxLength);
    lexicon->staticChars = units;
    lexicon->nextId = wordCount;
    return VANTIR_OK;
}

void ClearStaticPart(Lexicon* lexicon) {
    NoteLexiconEdit(lexicon);  // also every attach and build, which clear first
    DropLookupIndex(lexicon);  // built over the words that leave now
    ObjectFree(lexicon->pool, lexicon->hostChars);
    lexicon->hostChars = nullptr;
    lexicon->staticCount = 0;
    lexicon->staticMaxLength = 0;
    lexicon->charOffsets = nullptr;
    lexicon->idOffsets = nullptr;
    lexicon->staticChars = nullptr;
    lexicon->nextId = 0;
}

}  // namespace vantir

using namespace vantir;

extern "C" {

// The blob should start at a 4-byte aligned address, as its format asks: the
// lexicon reads it byte by byte, but Lexicon_GetWord hands out pointers into it
// (into the host-order copy on a big-endian host, where attaching allocates).
int32_t Lexicon_AttachBlob(Lexicon* lexicon, const void* blob) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    if (blob == nullptr) return VANTIR_INVALID_ARGUMENT;
    if (HasAddedBuffers(lexicon)) return VANTIR_WRONG_STATE;
    if (!BlobHeaderMatches(blob, kLexiconBlobTag, kLexiconBlobVersion)) return VANTIR_BAD_BLOB;
    const unsigned char* bytes = static_cast<const unsigned char*>(blob);
    const int32_t wordCount = LoadI32(bytes + kWpbWordCountAt);
    const int32_t maxLength = LoadI32(bytes + kWpbMaxLengthAt);
    // No build writes counts outside these bounds; tables sized from such
    // counts would lie far outside any blob.
    if (wordCount < 0 || maxLength < 0 || maxLength > kMaxStaticWordLength) return VANTIR_BAD_BLOB;
    const int32_t status = UseStaticPart(lexicon, bytes, wordCount, maxLength);
    if (status != VANTIR_OK) return status;
    lexicon->userValue = BlobUserValue(blob);
    return wordCount;
}

}  // extern "C"

// Building a "WPB" blob from a word list: split, sort into lexicon order, drop
// duplicates, count per length, then lay the words out bucket after bucket.
namespace vantir {

namespace {

constexpr int64_t kMaxBlobBytes = INT32_MAX;

// Running word and unit counts per length: entry L covers every stored word of
// at most L units, which is exactly what idOffsets and charOffsets hold.
struct StaticCounts {
    int64_t ids[kMaxStaticWordLength + 1];
    int64_t units[kMaxStaticWordLength + 1];
    int32_t wordCount;
    int32_t maxLength;
};

bool StoredLength(int32_t length) {
    return length >= 1 && length <= kMaxStaticWordLength;
}

void CountStaticWords(const char16_t* text, const int32_t* words, int32_t count,
                      StaticCounts* counts) {
    *counts = StaticCounts{};
    for (int32_t i = 0; i < count; i++) {
        const int32_t length = WStrLen(text + words[i]);
        if (!StoredLength(length)) continue;
        counts->ids[length]++;
        counts->units[length] += length;
        counts->wordCount++;
        if (counts->maxLength < length) counts->maxLength = length;
    }
    for (int32_t L = 1; L <= counts->maxLength; L++) {
        counts->ids[L] += counts->ids[L - 1];
        counts->units[L] += counts->units[L - 1];
    }
}

void FillBlob(unsigned char* blob, int64_t size, const StaticCounts& counts, const char16_t* text,
              const int32_t* words, int32_t count) {
    const int32_t maxLength = counts.maxLength;
    MemFill(blob, 0, static_cast<int32_t>(size));
    WriteBlobHeader(blob, static_cast<uint32_t>(size), kLexiconBlobTag, kLexiconBlobVersion);
    StoreI32(blob + kWpbWordCountAt, counts.wordCount);
    StoreI32(blob + kWpbMaxLengthAt, maxLength);
    unsigned char* charOffsets = blob + kWpbCharOffsetsAt;
    unsigned char* idOffsets = blob + WpbIdOffsetsAt(maxLength);
    for (int32_t L = 0; L <= maxLength; L++) {
        StoreI32(charOffsets + kWpbFieldBytes * L, static_cast<int32_t>(counts.units[L]));
        StoreI32(idOffsets + kWpbFieldBytes * L, static_cast<int32_t>(counts.ids[L]));
    }
    // The words are sorted by length first, so storage order is bucket order.
    unsigned char* units = blob + WpbUnitsAt(maxLength);
    for (int32_t i = 0; i < count; i++) {
        const int32_t length = WStrLen(text + words[i]);
        if (!StoredLength(length)) continue;
        for (int32_t u = 0; u < length; u++) {
            StoreU16(units, static_cast<uint16_t>(text[words[i] + u]));
            units += kWpbUnitBytes;
        }
    }
}

}  // namespace

}  // namespace vantir

extern "C" {

void* Lexicon_BuildBlob(Lexicon* lexicon, char16_t* wordList, int32_t* outSize) {
    if (outSize != nullptr) *outSize = 0;
    if (lexicon == nullptr || lexicon->ownBlob != nullptr || HasAddedBuffers(lexicon)) {
        return nullptr;
    }
    MemPool* pool = lexicon->pool;
    int32_t count = SplitWordList(wordList);
    int32_t* words = nullptr;
    if (count > 0) {
        words = NewWordArray(pool, wordList, &count);
        if (words == nullptr) return nullptr;
    }
    count = SortUniqueWords(wordList, words, count);

    StaticCounts counts;
    CountStaticWords(wordList, words, count, &counts);
    const int64_t size = WpbBlobSize(counts.maxLength, counts.units[counts.maxLength]);
    void* blob = size <= kMaxBlobBytes ? ObjectAlloc(pool, static_cast<size_t>(size)) : nullptr;
    if (blob == nullptr) {
        ObjectFree(pool, words);
        ClearStaticPart(lexicon);
        return nullptr;
    }
    FillBlob(static_cast<unsigned char*>(blob), size, counts, wordList, words, count);
    ObjectFree(pool, words);
    if (UseStaticPart(lexicon, static_cast<const unsigned char*>(blob), counts.wordCount,
                      counts.maxLength) != VANTIR_OK) {
        ObjectFree(pool, blob);
        return nullptr;
    }
    lexicon->ownBlob = blob;
    if (outSize != nullptr) *outSize = static_cast<int32_t>(size);
    return blob;
}

}  // extern "C"
