// Fuzz target: an "ADDR" blob that Vantir_VerifyBlob accepts must be safe to
// bind to a session and use: every tag list, every region name, whole intakes.
#include "address/address_db.h"
#include "fuzz_support.h"

using namespace vantir;
using namespace vantir::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExactBuffer blob(data, size);
    if (VerifiesAs(blob, kAddressDbTag, kAddressDbVersion))
        FuzzCheckWorkout(UseAddressDb(SampleWorld(), blob.data()));
    return 0;
}
