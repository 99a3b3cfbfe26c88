// Fuzz target: a "PST" postal blob that Vantir_VerifyBlob accepts must be safe
// to read in place and to filter with: every name, district, road and range,
// look-ups at each range, then intake with the postal option over the sample world.
#include "address/postal_blob.h"
#include "fuzz_support.h"

using namespace vantir;
using namespace vantir::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExactBuffer blob(data, size);
    if (VerifiesAs(blob, kPostalBlobTag, kPostalBlobVersion))
        FuzzCheckWorkout(UsePostalBlob(SampleWorld(), blob.data()));
    return 0;
}
