// Fuzz target: a "WPB" blob that Vantir_VerifyBlob accepts must be safe to
// attach and use: every id gives its word back, every word its id, and added
// words work on top of it.
#include "fuzz_support.h"
#include "lexicon/blob_layout.h"

using namespace vantir;
using namespace vantir::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExactBuffer blob(data, size);
    if (VerifiesAs(blob, kLexiconBlobTag, kLexiconBlobVersion))
        FuzzCheckWorkout(UseLexiconBlob(blob.data()));
    return 0;
}
