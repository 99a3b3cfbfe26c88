// Vantir_SegmentTextUtf8: the text decoded strictly, split by Vantir_SegmentText,
// and its words' spellings encoded back, blank-separated, into the host's buffer.
#include "host/host_segment.h"

#include "filter/session.h"
#include "mempool/heap.h"
#include "textutil/strict_utf8.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

namespace vantir {

namespace {

// Heap arrays freed with their holder; the counts here are the text's own, so
// no stack size fits every call.
template <class T>
struct HeapArray {
    T* at = nullptr;
    bool Make(int32_t n) {
        at = static_cast<T*>(HeapAlloc(sizeof(T) * static_cast<size_t>(n > 0 ? n : 1)));
        return at != nullptr;
    }
    ~HeapArray() { HeapFree(at); }
};

// Bytes of the words' spellings with one blank between each two, or -41 when a
// sum would pass INT32_MAX. Writes them to `out` when it is not null.
int32_t WriteWords(const Lexicon* lexicon, const WordId* ids, int32_t count, char* out) {
    int64_t total = 0;
    for (int32_t k = 0; k < count; ++k) {
        int32_t units = 0;
        const char16_t* word = Lexicon_GetWord(lexicon, ids[k], &units);
        const int32_t bytes = EncodeUtf16AsUtf8(word, units, nullptr, 0);
        if (word == nullptr || bytes < 0) return VANTIR_INVALID_ARGUMENT;
        if (k > 0) {
            if (out != nullptr) out[total] = ' ';
            ++total;
        }
        if (out != nullptr) EncodeUtf16AsUtf8(word, units, out + total, bytes);
        total += bytes;
        if (total > INT32_MAX) return VANTIR_INVALID_ARGUMENT;
    }
    return static_cast<int32_t>(total);
}

}  // namespace

}  // namespace vantir

using namespace vantir;

extern "C" int32_t Vantir_SegmentTextUtf8(FilterSession* session, const char* text, int32_t length,
                                          char* buffer, int32_t capacity) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if (capacity < 0 || (buffer == nullptr && capacity > 0)) return VANTIR_INVALID_ARGUMENT;
    if (text == nullptr && length != 0) return VANTIR_INVALID_ARGUMENT;
    const int32_t bytes = text == nullptr ? 0 : (length < 0 ? StrLen(text) : length);
    // UTF-8 never makes more UTF-16 units than it has bytes.
    HeapArray<char16_t> units;
    if (!units.Make(bytes)) return VANTIR_OUT_OF_MEMORY;
    const int32_t count = DecodeUtf8Strict(text, bytes, units.at, bytes);
    if (count < 0) return count;
    const int32_t words = Vantir_SegmentText(session, units.at, count, nullptr, 0);
    if (words < 0) return words;
    HeapArray<WordId> ids;
    if (!ids.Make(words)) return VANTIR_OUT_OF_MEMORY;
    const int32_t found = Vantir_SegmentText(session, units.at, count, ids.at, words);
    if (found < 0) return found;
    const int32_t written = WriteWords(session->lexicon, ids.at, found, nullptr);
    if (written >= 0 && written < capacity) {
        WriteWords(session->lexicon, ids.at, found, buffer);
        buffer[written] = '\0';
    }
    return written;
}
