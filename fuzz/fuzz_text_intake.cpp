// Fuzz target: arbitrary UTF-16 text into Vantir_SegmentText and
// Vantir_AddRecogText over the sample world, lengths given or up to a 0 unit.
#include <cstdio>
#include <vector>

#include "fuzz_support.h"
#include "text_intake_cases.h"

using namespace vantir;
using namespace vantir::testing;

// Input: a stream of texts in the form of text_intake_cases.h: flags, length
// (up to kMaxTextUnits, repeated units making long texts from short inputs),
// units. Resets switch between the default and the accurate mode, so that
// both modes see texts that cross the segmenter's windows.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AttachedWorld& world = SampleWorld();
    FilterSession* session = NewSampleSession();
    for (const TextCase& text : DecodeTextCases(data, size)) {
        if (const char* failed = CheckTextCase(session, world.blobs.modelWords, text)) {
            std::fprintf(stderr, "check failed: %s (a text of %zu units, flags %u)\n", failed,
                         text.units.size(), static_cast<unsigned>(text.flags));
            std::abort();
        }
        if (text.flags & kTextReadResults) ReadResults(session);
    }
    ReadResults(session);
    Vantir_Release(session);
    return 0;
}
