// Attaching a blob that passed Vantir_VerifyBlob and using all of it: every id,
// every tag list and region name, lookups, scoring and editing. The verify tests
// and the fuzz targets run the same workouts; under AddressSanitizer any read
// past the blob stops them.
#ifndef VANTIR_TESTS_SUPPORT_BLOB_WORKOUT_H
#define VANTIR_TESTS_SUPPORT_BLOB_WORKOUT_H

#include <cstdint>
#include <string>

#include "tests/support/sample_world.h"

namespace vantir::testing {

// Each binds or attaches the blob, uses it, and returns the checks that failed,
// one line each ("" when all held). The model blob is edited in place and must
// verify again.
std::string UseAddressDb(const AttachedWorld& world, const unsigned char* blob);
std::string UseModelBlob(unsigned char* blob, uint32_t size);
std::string UseLexiconBlob(const unsigned char* blob);
// Every reading, syllable and index entry of a sounds blob, then text intake
// reading by sound over the world's lexicon texts made of the blob's characters.
std::string UseSoundsBlob(const AttachedWorld& world, const unsigned char* blob);
// Every name, district, road, range and absent road of a postal blob, a
// look-up at each range's ends, then a session of the world with the blob
// attached and the postal option: intake and the postal standing of each result.
std::string UsePostalBlob(const AttachedWorld& world, const unsigned char* blob);

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_SUPPORT_BLOB_WORKOUT_H
