// Vantir_ErrorMessage: one fixed English sentence per result code that a call of
// the library returns, and a sentence of its own for every other number.
#include "vantir/vantir.h"

namespace {

// Every other number, so that a host can print whatever it was handed.
constexpr const char* kUnknownCode = "unknown result code";

}  // namespace

// Lower case without a final period: hosts print the sentence after their own
// words and a colon. Each names the condition, since the codes are shared by
// many calls; the header comment of a call says when that call gives it.
extern "C" const char* Vantir_ErrorMessage(int32_t code) {
    switch (code) {
        case VANTIR_OK:
            return "success";
        case VANTIR_NOT_FOUND:
            return "not found: nothing matches what was asked for";
        case VANTIR_WRONG_STATE:
            return "wrong state: the object is not ready for this call, or a table it needs "
                   "is missing";
        case VANTIR_NULL_OBJECT:
            return "null object: the session, model or lexicon passed is null";
        case VANTIR_OUT_OF_MEMORY:
            return "out of memory: an allocation was refused";
        case VANTIR_INVALID_ARGUMENT:
            return "invalid argument: a pointer is null or a value is out of range";
        case VANTIR_OVER_CAPACITY:
            return "over capacity: a count exceeds what the object can hold";
        case VANTIR_BAD_BLOB:
            return "bad blob: the bytes are not a well-formed blob of the expected kind";
        case VANTIR_RESULT_TABLE_FULL:
            return "result table full: the session already holds its 128 results";
        default:
            return kUnknownCode;
    }
}
