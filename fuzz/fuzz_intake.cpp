// Fuzz target: arbitrary hypotheses into a session over the sample world: ids
// in and out of range, lengths 0 to 300, resets, and the result list read back.
#include <vector>

#include "fuzz_support.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

// Input: a stream of hypotheses. Each starts with two bytes: the length
// (0 to 300) and a flag byte (bit 0: reset first, and then bit 2 chooses
// accurate mode; bit 1: read results after), followed by one byte per id.
constexpr int32_t kMaxLength = 300;
constexpr uint8_t kFirstSpecialId = 250;
constexpr WordId kSpecialIds[] = {INT32_MIN, INT32_MAX, -2, 1 << 20, -1, 0};

WordId IdOf(uint8_t byte, int32_t modelWords) {
    if (byte >= kFirstSpecialId) return kSpecialIds[byte - kFirstSpecialId];
    // Mostly words of the model, sometimes just outside it on either side.
    return static_cast<WordId>(byte % (modelWords + 4)) - 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AttachedWorld& world = SampleWorld();
    FilterSession* session = NewSampleSession();
    const int32_t modelWords = world.blobs.modelWords;
    size_t at = 0;
    while (at + 2 <= size) {
        const int32_t length = (data[at] | (data[at + 1] & 0x80) << 1) % (kMaxLength + 1);
        const uint8_t flags = data[at + 1];
        at += 2;
        std::vector<WordId> ids;
        for (int32_t k = 0; k < length && at < size; k++)
            ids.push_back(IdOf(data[at++], modelWords));
        if (flags & 1) {
            FUZZ_CHECK(Vantir_Reset(session) == 0);
            const uint32_t options = (flags & 4) != 0 ? VANTIR_OPTION_ACCURATE : 0u;
            FUZZ_CHECK(Vantir_SetOptions(session, options) == 0);
        }
        bool inRange = true;
        for (WordId id : ids)
            inRange = inRange && id >= -1 && id < modelWords;
        const int32_t result =
            Vantir_AddRecogResult(session, ids.data(), 0, 0, 0, static_cast<int32_t>(ids.size()));
        if (inRange) {
            FUZZ_CHECK(result == 0 || result == VANTIR_RESULT_TABLE_FULL);
        } else {
            FUZZ_CHECK(result == VANTIR_INVALID_ARGUMENT);
        }
        if (flags & 2) ReadResults(session);
    }
    ReadResults(session);
    Vantir_Release(session);
    return 0;
}
