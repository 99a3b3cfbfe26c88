// The UTF-8 side of a session: hypotheses as text or as words, the result
// count, and each result as UTF-8 in the host's buffer.
#include "filter/result_confidence.h"
#include "filter/session.h"
#include "mempool/heap.h"
#include "textutil/strict_utf8.h"
#include "vantir/host.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

// Units of a hypothesis converted on the stack; a longer one takes a heap
// array of its size. Recogniser hypotheses are far shorter.
constexpr int32_t kStackUnits = 512;
// Word ids of a hypothesis held on the stack, likewise.
constexpr int32_t kStackWords = 128;

// An array of n elements: the stack one when it is large enough, else one
// from the heap, freed with the holder. Null for a refused allocation.
template <class T, int32_t kStack>
struct WorkArray {
    T stack[kStack];
    T* heap = nullptr;
    T* Get(int32_t n) {
        if (n <= kStack) return stack;
        heap = static_cast<T*>(HeapAlloc(sizeof(T) * static_cast<size_t>(n)));
        return heap;
    }
    ~WorkArray() { HeapFree(heap); }
};

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

// The byte length of a text argument, or -41: a null text is the empty text
// only when its length says 0.
int32_t ByteLength(const char* text, int32_t length) {
    if (text == nullptr) return length == 0 ? 0 : VANTIR_INVALID_ARGUMENT;
    return length < 0 ? StrLen(text) : length;
}

// Decodes the text into `units` (room for `bytes` units, which UTF-8 never
// exceeds); the number of units, or -41.
int32_t Decode(const char* text, int32_t bytes, char16_t* units) {
    return DecodeUtf8Strict(text, bytes, units, bytes);
}

}  // namespace

}  // namespace vantir

using namespace vantir;

extern "C" {

int32_t Vantir_AddRecogTextUtf8(FilterSession* session, const char* text, int32_t length) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    const int32_t bytes = ByteLength(text, length);
    if (bytes < 0) return bytes;
    WorkArray<char16_t, kStackUnits> units;
    char16_t* at = units.Get(bytes);
    if (at == nullptr) return VANTIR_OUT_OF_MEMORY;
    const int32_t count = Decode(text, bytes, at);
    if (count < 0) return count;
    return Vantir_AddRecogText(session, at, count);
}

int32_t Vantir_AddRecogWordsUtf8(FilterSession* session, const char* words, int32_t length) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    const int32_t bytes = ByteLength(words, length);
    if (bytes < 0) return bytes;
    WorkArray<char16_t, kStackUnits> units;
    char16_t* text = units.Get(bytes);
    if (text == nullptr) return VANTIR_OUT_OF_MEMORY;
    const int32_t count = Decode(words, bytes, text);
    if (count < 0) return count;
    // Blanks are ASCII, so splitting the units splits the bytes; a word takes
    // at least one unit and a blank after it, so count / 2 + 1 ids suffice.
    WorkArray<WordId, kStackWords> idArray;
    WordId* ids = idArray.Get(count / 2 + 1);
    if (ids == nullptr) return VANTIR_OUT_OF_MEMORY;
    int32_t found = 0;
    for (int32_t at = 0; at < count;) {
        while (at < count && IsBlank(text[at]))
            ++at;
        const int32_t start = at;
        while (at < count && !IsBlank(text[at]))
            ++at;
        if (at == start) break;
        const WordId id = Lexicon_FindIdN(session->lexicon, text + start, at - start);
        if (id >= 0) ids[found++] = id;
    }
    return Vantir_AddRecogResult(session, ids, 0, 0, 0, found);
}

int32_t Vantir_GetResultCount(FilterSession* session) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    return session->resultCount;
}

int32_t Vantir_GetResultUtf8(FilterSession* session, int32_t index, char* buffer,
                             int32_t capacity) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if (capacity < 0 || (buffer == nullptr && capacity > 0)) return VANTIR_INVALID_ARGUMENT;
    if (index < 0 || index >= session->resultCount) return VANTIR_NOT_FOUND;
    DeliveryCache scratch;
    const Delivery delivery = DeliveryOf(session, &scratch);
    const char16_t* text = session->results[delivery.order[index]].text;
    const int32_t units = WStrLen(text);
    // Written only when the text and its NUL fit: the encoder writes nothing
    // unless its whole output fits in the room it is given.
    const int32_t length = EncodeUtf16AsUtf8(text, units, nullptr, 0);
    if (length >= 0 && length < capacity) {
        EncodeUtf16AsUtf8(text, units, buffer, length);
        buffer[length] = '\0';
    }
    return length;
}

}  // extern "C"
