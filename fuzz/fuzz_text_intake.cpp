// Fuzz target: arbitrary UTF-16 text into Vantir_SegmentText and
// Vantir_AddRecogText over the sample world, lengths given or up to a 0 unit.
#include <vector>

#include "fuzz_support.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

// Input: a stream of texts. Each starts with a flag byte (bit 0: reset first,
// bit 1: read results after, bit 2: pass length -1 and a 0 unit after the
// text, bit 3: segment into a buffer of half the words) and a length byte (0 to
// 255 units), followed by two bytes per unit, high byte first.
constexpr uint8_t kReset = 1;
constexpr uint8_t kReadResults = 2;
constexpr uint8_t kTerminated = 4;
constexpr uint8_t kShortBuffer = 8;

void CheckText(FilterSession* session, int32_t modelWords, const std::vector<char16_t>& units,
               uint8_t flags) {
    const auto count = static_cast<int32_t>(units.size());
    // An exact-size block: AddressSanitizer reports any read past the text.
    ExactBuffer exact(reinterpret_cast<const uint8_t*>(units.data()),
                      units.size() * sizeof(char16_t));
    const auto* text = reinterpret_cast<const char16_t*>(exact.data());
    int32_t length = count;
    if (flags & kTerminated) length = -1;  // the caller put a 0 unit at the end
    const int32_t n = Vantir_SegmentText(session, text, length, nullptr, 0);
    FUZZ_CHECK(n >= 0);
    FUZZ_CHECK(n <= 2 * count);  // a unit spells at most two numeral units
    std::vector<WordId> ids(static_cast<size_t>(n) + 1, -7);
    const int32_t room = (flags & kShortBuffer) ? n / 2 : n;
    FUZZ_CHECK(Vantir_SegmentText(session, text, length, ids.data(), room) == n);
    for (int32_t k = 0; k < room; ++k)
        FUZZ_CHECK(ids[static_cast<size_t>(k)] >= 0 && ids[static_cast<size_t>(k)] < modelWords);
    FUZZ_CHECK(ids[static_cast<size_t>(room)] == -7);
    const int32_t entered = Vantir_AddRecogText(session, text, length);
    FUZZ_CHECK(entered == 0 || entered == VANTIR_RESULT_TABLE_FULL);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AttachedWorld& world = SampleWorld();
    FilterSession* session = NewSampleSession();
    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t flags = data[at];
        const size_t length = data[at + 1];
        at += 2;
        std::vector<char16_t> units;
        for (size_t k = 0; k < length && at + 2 <= size; ++k, at += 2)
            units.push_back(static_cast<char16_t>(data[at] << 8 | data[at + 1]));
        if (flags & kTerminated) units.push_back(0);
        if (flags & kReset) FUZZ_CHECK(Vantir_Reset(session) == 0);
        CheckText(session, world.blobs.modelWords, units, flags);
        if (flags & kReadResults) ReadResults(session);
    }
    ReadResults(session);
    Vantir_Release(session);
    return 0;
}
