// Searching byte and wide strings for a unit or a pattern, exactly or with
// ASCII case folding. Every finder answers null for null input.
#include "textutil/text_units.h"
#include "vantir/textutil.h"

namespace vantir {
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

}  // namespace vantir
