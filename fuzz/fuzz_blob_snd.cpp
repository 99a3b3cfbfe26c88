// Fuzz target: a "SND" sounds blob that Vantir_VerifyBlob accepts must be safe
// to read in place and to read text by: every reading, syllable and index
// entry, then text intake with sound-alike reading over the sample world.
#include "fuzz_support.h"
#include "segment/sound_blob.h"

using namespace vantir;
using namespace vantir::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExactBuffer blob(data, size);
    if (VerifiesAs(blob, kSoundsBlobTag, kSoundsBlobVersion))
        FuzzCheckWorkout(UseSoundsBlob(SampleWorld(), blob.data()));
    return 0;
}
