// Text library: byte-string and wide-string (UTF-16 unit) routines with null
// tolerance and positional comparison results, and conversions between text forms.
#ifndef VANTIR_TEXTUTIL_H
#define VANTIR_TEXTUTIL_H

#include <cstdint>

#include "vantir/types.h"

namespace vantir {

// Strings end at a 0 unit. Every routine tolerates null: a null source reads as
// the empty text, a null destination or buffer makes the call write nothing,
// and finders and tokenisers give null. None allocates except the Dup pair,
// and none checks a destination's room unless it takes a capacity.
// Comparisons return 0 for equal, else +-(index of the first difference + 1),
// negative when the first argument is the smaller. A null string sorts first.
// The N forms compare at most n units; NoCase forms fold ASCII letters only.

// `count` bytes (MemFill writes the low byte of value); copies run forward,
// so a copy towards lower addresses in one buffer is safe.
VANTIR_API void MemFill(void* buffer, int32_t value, int32_t count);
VANTIR_API void MemCopyN(void* destination, const void* source, int32_t count);
// The wide copy takes its source first.
VANTIR_API void WMemCopyN(const char16_t* source, char16_t* destination, int32_t count);

// Lengths in units, 0 for null. Copies and appends write the terminator too;
// the destination must have the room.
VANTIR_API int32_t StrLen(const char* text);
VANTIR_API int32_t WStrLen(const char16_t* text);
VANTIR_API void StrCopy(char* destination, const char* source);
VANTIR_API void WStrCopy(char16_t* destination, const char16_t* source);
// Copies at most n units and leaves the destination unterminated when the
// source has no 0 among its first n units.
VANTIR_API void StrCopyN(char* destination, const char* source, int32_t n);
VANTIR_API void WStrCopyN(char16_t* destination, const char16_t* source, int32_t n);
VANTIR_API void StrAppend(char* destination, const char* source);
VANTIR_API void WStrAppend(char16_t* destination, const char16_t* source);

// Finders return a pointer into `text` at the first match, or null.
VANTIR_API char* StrFindChar(char* text, int32_t unit);
VANTIR_API const char* StrFindChar(const char* text, int32_t unit);
VANTIR_API char16_t* WStrFindChar(char16_t* text, int32_t unit);
VANTIR_API const char16_t* WStrFindChar(const char16_t* text, int32_t unit);
VANTIR_API char* StrFind(char* text, const char* pattern);
VANTIR_API const char* StrFind(const char* text, const char* pattern);
VANTIR_API char16_t* WStrFind(char16_t* text, const char16_t* pattern);
VANTIR_API const char16_t* WStrFind(const char16_t* text, const char16_t* pattern);
VANTIR_API char* StrFindNoCase(char* text, const char* pattern);
VANTIR_API const char* StrFindNoCase(const char* text, const char* pattern);
VANTIR_API char16_t* WStrFindNoCase(char16_t* text, const char16_t* pattern);
VANTIR_API const char16_t* WStrFindNoCase(const char16_t* text, const char16_t* pattern);

// Heap copies; release them with std::free. Null for a null text or a refused
// allocation.
VANTIR_API char* StrDup(const char* text);
VANTIR_API char16_t* WStrDup(const char16_t* text);

VANTIR_API int32_t StrCompareN(const char* first, const char* second, int32_t n);
VANTIR_API int32_t WStrCompareN(const char16_t* first, const char16_t* second, int32_t n);
VANTIR_API int32_t StrCompareNoCaseN(const char* first, const char* second, int32_t n);
VANTIR_API int32_t WStrCompareNoCaseN(const char16_t* first, const char16_t* second, int32_t n);
VANTIR_API int32_t StrCompare(const char* first, const char* second);
VANTIR_API int32_t WStrCompare(const char16_t* first, const char16_t* second);
VANTIR_API int32_t StrCompareNoCase(const char* first, const char* second);
VANTIR_API int32_t WStrCompareNoCase(const char16_t* first, const char16_t* second);

// Tokenisers write 0 over the delimiter that ends a token; position is the
// caller's cursor, starting at 0. Each call returns the next token, or null
// when none is left. The splitters return the number of tokens.
VANTIR_API char* StrToken(char* text, int32_t* position, const char* delimiters);
VANTIR_API char16_t* WStrToken(char16_t* text, int32_t* position, const char16_t* delimiters);
// The token array must have room for every token; there is no bound.
VANTIR_API int32_t StrSplit(char* text, const char* delimiters, char** tokens);
VANTIR_API int32_t WStrSplit(char16_t* text, const char16_t* delimiters, char16_t** tokens);

// ASCII letters only, in place; they return `text`. The single-value forms
// leave every value outside 'A'..'Z' and 'a'..'z' unchanged.
VANTIR_API char* StrToUpper(char* text);
VANTIR_API char16_t* WStrToUpper(char16_t* text);
VANTIR_API char* StrToLower(char* text);
VANTIR_API char16_t* WStrToLower(char16_t* text);

// Radix 2..36, lower-case digits; any other radix writes the empty text.
// They return `destination`, which needs up to 34 units (radix 2: sign, 32
// digits, 0), 12 in radix 10.
VANTIR_API char* IntToText(int32_t value, char* destination, int32_t radix);
VANTIR_API char16_t* IntToWText(int32_t value, char16_t* destination, int32_t radix);
VANTIR_API int32_t ToUpperAscii(int32_t value);
VANTIR_API int32_t ToLowerAscii(int32_t value);

// Optional '-' then decimal digits; anything else gives 0. No overflow check.
VANTIR_API int32_t TextToInt(const char* text);
VANTIR_API int32_t WTextToInt(const char16_t* text);

// UTF-8 <-> UTF-16 one unit at a time; a surrogate unit travels alone in a
// four-byte form. A negative source length means "up to the terminating 0".
// `capacity` counts the destination's units (bytes) with the terminator: the
// destination is cleared, the text is cut before the first character that
// does not fit whole, and the result is always 0-ended. They return
// `destination`, or null for a null destination or a capacity below 1.
VANTIR_API char16_t* Utf8ToWide(const char* source, int32_t sourceLength, char16_t* destination,
                                int32_t capacity);
VANTIR_API char* WideToUtf8(const char16_t* source, int32_t sourceLength, char* destination,
                            int32_t capacity);
// Widening sign-extends: bytes 0x80..0xFF become units 0xFF80..0xFFFF.
VANTIR_API void BytesToWide(const char* source, char16_t* destination, int32_t count);
// Widens at most capacity - 1 bytes and writes the 0; a capacity below 1 writes
// nothing. Returns `destination`.
VANTIR_API char16_t* StrToWideN(const char* source, char16_t* destination, int32_t capacity);
// Printable form: 0x20..0x7E as themselves, every other unit as "&(0x<hex>)".
// With a null destination the result is a shared read-only empty text.
// `capacity` counts bytes with the terminator; the text stops before the first
// unit whose form does not fit whole. Returns `destination`.
VANTIR_API char* WideToEscapedStr(const char16_t* source, char* destination, int32_t capacity);

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_H
