// Text to id (exact before case-insensitive, static before added) and id to
// text. Lookups only read the lexicon and never allocate.
#include <cstring>

#include "lexicon/added_lookup.h"
#include "lexicon/folded_search.h"
#include "lexicon/lexicon_object.h"
#include "lexicon/static_lookup.h"
#include "lexicon/word_order.h"
#include "textutil/ascii_case.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace {

// A case-insensitive match differs from the text only in the case of ASCII
// letters, so a text without letters has no match beyond an exact one.
bool HasAsciiLetter(const char16_t* text, int32_t n) {
    for (int32_t i = 0; i < n; i++) {
        if (vantir::UpperAsciiValue(text[i]) != vantir::LowerAsciiValue(text[i])) return true;
    }
    return false;
}

}  // namespace

using namespace vantir;

extern "C" {

WordId Lexicon_FindId(const Lexicon* lexicon, const char16_t* text) {
    return Lexicon_FindIdN(lexicon, text, WStrLen(text));
}

WordId Lexicon_FindIdN(const Lexicon* lexicon, const char16_t* text, int32_t n) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    if (text == nullptr || n <= 0) return VANTIR_NOT_FOUND;
    WordId id = FindStatic(lexicon, text, n, CompareWordExact);
    if (id >= 0) return id;
    id = FindAdded(lexicon, text, n, CompareWordExact);
    if (id >= 0) return id;
    if (!HasAsciiLetter(text, n)) return VANTIR_NOT_FOUND;
    id = FindStaticFolded(lexicon, text, n);
    if (id >= 0) return id;
    return FindAddedFolded(lexicon, text, n);
}

const char16_t* Lexicon_GetWord(const Lexicon* lexicon, WordId id, int32_t* length) {
    if (length != nullptr) *length = 0;
    if (lexicon == nullptr || id < 0) return nullptr;
    if (id < lexicon->staticCount) {
        // Static units sit 2-byte aligned whenever the blob does; a blob built
        // here, or attached at the 4-byte aligned address its format asks for, is.
        return reinterpret_cast<const char16_t*>(LocateStaticWord(lexicon, id, length));
    }
    if (id >= lexicon->nextId) return nullptr;
    return GetAddedWord(lexicon, id, length);
}

int32_t Lexicon_GetWordText(const Lexicon* lexicon, WordId id, char16_t* buffer) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    int32_t length = 0;
    const char16_t* word = Lexicon_GetWord(lexicon, id, &length);
    if (buffer != nullptr) {
        // Stored words hold no 0 unit, so a byte copy of `length` units is the
        // bounded string copy; it also reads a blob attached at an odd address.
        if (word != nullptr)
            std::memcpy(buffer, word, static_cast<size_t>(length) * sizeof(char16_t));
        buffer[length] = 0;
    }
    return length;
}

}  // extern "C"
