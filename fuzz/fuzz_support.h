// Shared pieces of the fuzz targets and their seed generator: the check that
// stops a run, and the test support they share with the unit tests (exact-size
// copies of an input, the attached sample world, the listing reader).
#ifndef VANTIR_FUZZ_FUZZ_SUPPORT_H
#define VANTIR_FUZZ_FUZZ_SUPPORT_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/blob_workout.h"
#include "tests/support/exact_buffer.h"
#include "tests/support/sample_world.h"
#include "textutil/blob_header.h"
#include "vantir/vantir.h"

namespace vantir::testing {

// Stops the run with a report; libFuzzer records the input as a crash.
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

// The sample world, attached once for the whole run.
inline const AttachedWorld& SampleWorld() {
    static const AttachedWorld world;
    FUZZ_CHECK(world.attached);
    return world;
}

inline FilterSession* NewSampleSession() {
    FilterSession* session = SampleWorld().NewSession();
    FUZZ_CHECK(session != nullptr);
    return session;
}

// True when the input passes Vantir_VerifyBlob and its header names the kind
// a target works out.
inline bool VerifiesAs(ExactBuffer& blob, const char* tag, uint16_t version) {
    return Vantir_VerifyBlob(blob.data(), blob.size()) == VANTIR_OK &&
           BlobHeaderMatches(blob.data(), tag, version);
}

// Stops the run when a workout (support/blob_workout.h) reports failed checks.
inline void FuzzCheckWorkout(const std::string& failed) {
    if (failed.empty()) return;
    std::fprintf(stderr, "workout checks failed:\n%s", failed.c_str());
    std::abort();
}

// Reads the listing and stops the run when its form is broken.
inline void ReadResults(FilterSession* session) {
    std::vector<std::u16string> texts;
    FUZZ_CHECK(ReadListing(session, &texts));
}

}  // namespace vantir::testing

#endif  // VANTIR_FUZZ_FUZZ_SUPPORT_H
