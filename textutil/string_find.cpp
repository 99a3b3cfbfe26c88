// Searching byte and wide strings for a unit or a pattern (exactly or up to
// ASCII case), and tokenising them in place.
#include "textutil/text_units.h"
#include "vantir/textutil.h"

namespace vantir {

// Searching byte and wide strings for a unit or a pattern, exactly or with
// ASCII case folding. Every finder answers null for null input.
namespace {

// Searching for 0 gives null: the terminator is never a hit.
template <typename Unit>
const Unit* FindUnit(const Unit* text, int32_t unit) {
    if (text == nullptr) return nullptr;
    for (const Unit* at = text; *at != 0; at++) {
        if (UnitMatches(*at, unit)) return at;
    }
    return nullptr;
}

// Compares the pattern at each start in turn. When the text ends inside a
// comparison, every later start is shorter than the pattern, so the search ends
// there; the text is never read past its terminator.
template <typename Units, typename Unit>
const Unit* FindPattern(const Unit* text, const Unit* pattern) {
    if (text == nullptr || pattern == nullptr || text[0] == 0) return nullptr;
    for (const Unit* start = text;; start++) {
        int32_t i = 0;
        while (pattern[i] != 0 && Units::Value(start[i]) == Units::Value(pattern[i]))
            i++;
        if (pattern[i] == 0) return start;
        if (start[i] == 0) return nullptr;
    }
}

}  // namespace

const char* StrFindChar(const char* text, int32_t unit) {
    return FindUnit(text, unit);
}
char* StrFindChar(char* text, int32_t unit) {
    return const_cast<char*>(FindUnit<char>(text, unit));
}
const char16_t* WStrFindChar(const char16_t* text, int32_t unit) {
    return FindUnit(text, unit);
}
char16_t* WStrFindChar(char16_t* text, int32_t unit) {
    return const_cast<char16_t*>(FindUnit<char16_t>(text, unit));
}

const char* StrFind(const char* text, const char* pattern) {
    return FindPattern<ExactUnits>(text, pattern);
}
char* StrFind(char* text, const char* pattern) {
    return const_cast<char*>(FindPattern<ExactUnits, char>(text, pattern));
}
const char16_t* WStrFind(const char16_t* text, const char16_t* pattern) {
    return FindPattern<ExactUnits>(text, pattern);
}
char16_t* WStrFind(char16_t* text, const char16_t* pattern) {
    return const_cast<char16_t*>(FindPattern<ExactUnits, char16_t>(text, pattern));
}

const char* StrFindNoCase(const char* text, const char* pattern) {
    return FindPattern<FoldedUnits>(text, pattern);
}
char* StrFindNoCase(char* text, const char* pattern) {
    return const_cast<char*>(FindPattern<FoldedUnits, char>(text, pattern));
}
const char16_t* WStrFindNoCase(const char16_t* text, const char16_t* pattern) {
    return FindPattern<FoldedUnits>(text, pattern);
}
char16_t* WStrFindNoCase(char16_t* text, const char16_t* pattern) {
    return const_cast<char16_t*>(FindPattern<FoldedUnits, char16_t>(text, pattern));
}

// In-place tokenising of byte and wide strings with a caller-held position,
// and splitting a whole string into an array of token pointers.
namespace {

bool IsDelimiter(const char* delimiters, char unit) {
    return StrFindChar(delimiters, static_cast<unsigned char>(unit)) != nullptr;
}
bool IsDelimiter(const char16_t* delimiters, char16_t unit) {
    return WStrFindChar(delimiters, unit) != nullptr;
}

// Skips leading delimiters, then ends the token by writing 0 over the delimiter
// that closes it and steps past it, so the next call starts on the next token.
// A negative position cannot index the text and gives no token.
template <typename Unit>
Unit* NextToken(Unit* text, int32_t* position, const Unit* delimiters) {
    if (text == nullptr || position == nullptr || delimiters == nullptr) return nullptr;
    int32_t p = *position;
    if (p < 0) return nullptr;
    while (text[p] != 0 && IsDelimiter(delimiters, text[p]))
        p++;
    if (text[p] == 0) {
        *position = p;
        return nullptr;
    }
    Unit* token = text + p;
    while (text[p] != 0 && !IsDelimiter(delimiters, text[p]))
        p++;
    if (text[p] != 0) {
        text[p] = 0;
        p++;
    }
    *position = p;
    return token;
}

template <typename Unit>
int32_t SplitTokens(Unit* text, const Unit* delimiters, Unit** tokens) {
    if (tokens == nullptr) return 0;
    int32_t position = 0;
    int32_t count = 0;
    while (Unit* token = NextToken(text, &position, delimiters))
        tokens[count++] = token;
    return count;
}

}  // namespace

char* StrToken(char* text, int32_t* position, const char* delimiters) {
    return NextToken(text, position, delimiters);
}
char16_t* WStrToken(char16_t* text, int32_t* position, const char16_t* delimiters) {
    return NextToken(text, position, delimiters);
}

int32_t StrSplit(char* text, const char* delimiters, char** tokens) {
    return SplitTokens(text, delimiters, tokens);
}
int32_t WStrSplit(char16_t* text, const char16_t* delimiters, char16_t** tokens) {
    return SplitTokens(text, delimiters, tokens);
}

}  // namespace vantir
