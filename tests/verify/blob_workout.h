// Attaching a blob that passed Vantir_VerifyBlob and using all of it: every id,
// every tag list and region name, lookups, scoring and editing. Run under
// AddressSanitizer, any read past the blob fails the test.
#ifndef VANTIR_TESTS_VERIFY_BLOB_WORKOUT_H
#define VANTIR_TESTS_VERIFY_BLOB_WORKOUT_H

#include <cstdint>

#include "support/sample_blobs.h"
#include "vantir/vantir.h"

namespace vantir::testing {

// A lexicon and a model attached to copies of the sample world's blobs.
class WorkoutWorld {
  public:
    WorkoutWorld();
    ~WorkoutWorld();
    WorkoutWorld(const WorkoutWorld&) = delete;
    WorkoutWorld& operator=(const WorkoutWorld&) = delete;

    samples::WorldBlobs blobs;
    Lexicon* lexicon;
    BigramModel* model;
};

// Each binds or attaches the blob and uses it; the blob must have passed
// verification. The model blob is edited in place and verified again.
void UseAddressDb(const WorkoutWorld& world, const unsigned char* blob);
void UseModelBlob(unsigned char* blob, uint32_t size);
void UseLexiconBlob(const unsigned char* blob);

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_VERIFY_BLOB_WORKOUT_H
