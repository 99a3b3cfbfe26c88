/* Common types of the public interface: word ids, the opaque object handles,
   result codes and the export macro used by every other public header. */
#ifndef VANTIR_TYPES_H
#define VANTIR_TYPES_H

#include <stdint.h>
#ifdef __cplusplus
#include <cstddef>
#else
#include <uchar.h>
#endif

#if defined(_WIN32)
#define VANTIR_API
#elif defined(__GNUC__) || defined(__clang__)
#define VANTIR_API __attribute__((visibility("default")))
#else
#define VANTIR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A word's number in the lexicon and the model: static words 0..S-1, words
   added at run time from S on; in the model's pairs -1 is the utterance
   boundary. */
typedef int32_t WordId; /* -1 ends a word sequence */
/* Opaque handles. A session is made by Vantir_Init and freed by Vantir_Release;
   a model by BigramModel_Create / BigramModel_Destroy; a lexicon by
   Lexicon_Create / Lexicon_Destroy. A pool is the caller's block itself. */
typedef struct FilterSession FilterSession;
typedef struct BigramModel BigramModel;
typedef struct Lexicon Lexicon;
typedef struct MemPool MemPool; /* the handle is the pool block's own address */

/* Result codes; the numbers are part of the interface. Calls that return a
   count or an id return one of the negative codes instead on failure; each
   call's comment lists the codes it can give. Vantir_ErrorMessage (vantir.h)
   turns a code into an English sentence. */
enum VantirResultCode {
    VANTIR_OK = 0,
    VANTIR_NOT_FOUND = -1,           /* no such word (a look-up's answer) */
    VANTIR_WRONG_STATE = -4,         /* the object is not ready for the call, or a
                                        table it needs is missing */
    VANTIR_NULL_OBJECT = -5,         /* the session, model or lexicon is null */
    VANTIR_OUT_OF_MEMORY = -10,      /* an allocation failed */
    VANTIR_INVALID_ARGUMENT = -41,   /* an argument is null, negative or out of range */
    VANTIR_OVER_CAPACITY = -51,      /* a count beyond what the object can hold */
    VANTIR_BAD_BLOB = -103,          /* bytes that are not a well-formed blob of the kind */
    VANTIR_RESULT_TABLE_FULL = -1001 /* the session's 128 results are taken */
};

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_TYPES_H */
