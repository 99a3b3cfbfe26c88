// Segmentation for hosts that speak UTF-8 (the WebAssembly module, bindings): a
// text split by the session's text intake, given back as lexicon words.
#ifndef VANTIR_HOST_HOST_SEGMENT_H
#define VANTIR_HOST_HOST_SEGMENT_H

#include <stdint.h>

#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The words that the text intake splits `text` (UTF-8, `length` bytes, or to
   its NUL when length < 0) into, as their lexicon spellings separated by single
   blanks, NUL-terminated in `buffer` of `capacity` bytes. Returns the length in
   bytes without the NUL; written only when that length is below `capacity` (a
   null buffer with capacity 0 asks for it). The codes of Vantir_SegmentText;
   -41 also for invalid UTF-8 or a null buffer with room. */
int32_t Vantir_SegmentTextUtf8(FilterSession* session, const char* text, int32_t length,
                               char* buffer, int32_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_HOST_HOST_SEGMENT_H */
