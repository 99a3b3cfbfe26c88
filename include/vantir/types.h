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

typedef int32_t WordId; /* -1 ends a word sequence */
typedef struct FilterSession FilterSession;
typedef struct BigramModel BigramModel;
typedef struct Lexicon Lexicon;
typedef struct MemPool MemPool; /* the handle is the pool block's own address */

/* Result codes; the numbers are part of the interface. */
enum VantirResultCode {
    VANTIR_OK = 0,
    VANTIR_NOT_FOUND = -1,
    VANTIR_WRONG_STATE = -4,
    VANTIR_NULL_OBJECT = -5,
    VANTIR_OUT_OF_MEMORY = -10,
    VANTIR_INVALID_ARGUMENT = -41,
    VANTIR_OVER_CAPACITY = -51,
    VANTIR_BAD_BLOB = -103,
    VANTIR_RESULT_TABLE_FULL = -1001
};

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_TYPES_H */
