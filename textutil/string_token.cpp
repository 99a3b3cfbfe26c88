// In-place tokenising of byte and wide strings with a caller-held position,
// and splitting a whole string into an array of token pointers.
#include "vantir/textutil.h"

namespace vantir {
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
