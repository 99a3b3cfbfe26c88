/* Host calls: open a data folder that `vantir build` wrote (or its blobs held in
   memory) as one verified set, open sessions on it, filter UTF-8 text. */
#ifndef VANTIR_HOST_H
#define VANTIR_HOST_H

#include "vantir/types.h"
#include "vantir/vantir.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A verified set: the lexicon and the model attached, the address database and
   the optional blobs held, every blob owned by the set. Read only once opened:
   sessions on several threads may share it. */
typedef struct VantirDataSet VantirDataSet;

/* Reads, verifies and binds the blobs of a folder that `vantir build` wrote:
   lexicon.wpb, model.lmb, address.addr, and sounds.snd and postal.pst when
   present; they must form one set (the set identity that every blob of one build carries,
   and the same words numbered in each). Only regular files are read (a FIFO,
   a device or a directory of a blob's name is refused without waiting on it),
   each of at most 1 GiB. Returns the set, or null with a negative code in
   *error (when error is not null): -1 a blob missing or unreadable; -103 a
   blob of another kind, damaged, too large, or of another set; -10 out of
   memory; -41 null or empty path. */
VANTIR_API VantirDataSet* Vantir_OpenDataSet(const char* folderUtf8, int32_t* error);

/* The same from blobs already in memory (each `size` bytes, any alignment: they
   are copied, and the caller's bytes are not needed afterwards). sounds and
   postal may be null with size 0. A required blob null or of size 0 is missing
   (-1); a negative size, or a null blob with a size above 0, gives -41. */
VANTIR_API VantirDataSet* Vantir_OpenDataSetFromMemory(const void* lexicon, int32_t lexiconSize,
                                                       const void* model, int32_t modelSize,
                                                       const void* address, int32_t addressSize,
                                                       const void* sounds, int32_t soundsSize,
                                                       const void* postal, int32_t postalSize,
                                                       int32_t* error);

/* Frees the set; every session opened on it must be released first. Null is a
   no-op. */
VANTIR_API void Vantir_CloseDataSet(VantirDataSet* set);

/* A session on the set with `options` (VANTIR_OPTION_*); sessions of one set
   may be used on different threads at once (VANTIR_OPTION_SHARED_MODEL is
   always added). The set's sounds and postal blobs are attached. Release it with
   Vantir_Release. Null with a code in *error: -5 null set; -41 unknown option
   bits; -10 out of memory. */
VANTIR_API FilterSession* Vantir_OpenSession(const VantirDataSet* set, uint32_t options,
                                             int32_t* error);

/* One hypothesis as UTF-8: recogniser text (text intake), `length` bytes or to
   the NUL when length < 0. The return codes of Vantir_AddRecogText; -41 for
   bytes that are no UTF-8 (overlong forms, surrogates, cut sequences included),
   and then nothing is entered. */
VANTIR_API int32_t Vantir_AddRecogTextUtf8(FilterSession* session, const char* text,
                                           int32_t length);

/* One hypothesis as lexicon words separated by blanks (spaces or tabs), UTF-8,
   `length` bytes or to the NUL when length < 0. Words the lexicon does not hold
   are left out. Returns the code of Vantir_AddRecogResult, or -41 invalid UTF-8
   (nothing entered). */
VANTIR_API int32_t Vantir_AddRecogWordsUtf8(FilterSession* session, const char* words,
                                            int32_t length);

/* How many results Vantir_GetFilterResult would deliver (all of them, an empty
   text included). -5 null session. */
VANTIR_API int32_t Vantir_GetResultCount(FilterSession* session);

/* Result `index` (delivery order) as NUL-terminated UTF-8 in `buffer` of
   `capacity` bytes. Returns the text's length in bytes without the NUL; the
   text was written only when that length is below `capacity` (else nothing
   is: call again with length + 1; a null buffer with capacity 0 asks for the
   length). -1 no result at that index; -5 null session; -41 a negative
   capacity, or a null buffer with a capacity above 0. */
VANTIR_API int32_t Vantir_GetResultUtf8(FilterSession* session, int32_t index, char* buffer,
                                        int32_t capacity);

/* The library's version, "MAJOR.MINOR.PATCH", static. */
VANTIR_API const char* Vantir_Version(void);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_HOST_H */
