// Fuzz target: an "LMB" blob that Vantir_VerifyBlob accepts must be safe to
// attach and use with any word ids from -1 to N - 1, and stays sound when edited.
#include "bigram/blob_layout.h"
#include "fuzz_support.h"

using namespace vantir;
using namespace vantir::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExactBuffer blob(data, size);
    if (VerifiesAs(blob, kModelBlobTag, kModelBlobVersion))
        FuzzCheckWorkout(UseModelBlob(blob.data(), blob.size()));
    return 0;
}
