// Fuzz target: an "ADDR" blob that Vantir_VerifyBlob accepts must be safe to
// bind to a session and use: every tag list, every region name, whole intakes.
#include <algorithm>

#include "address/address_db.h"
#include "filter/session.h"
#include "fuzz_support.h"
#include "textutil/byte_order.h"

using namespace vantir;
using namespace vantir::fuzz;

namespace {

// Bounds the work per input; larger tables are sampled at their start.
constexpr uint32_t kMaxVisited = 4096;
constexpr int32_t kNameCapacity = 512;
constexpr int32_t kTagsTried[] = {0, 5, 6, 7, 8, 17, 19, 21, 22, 23, 24, 25, 32, 33, 34, 255};

void ReadEveryTag(const FilterSession* session) {
    const uint32_t words = std::min(session->addressView.tagOffsetCount + 1, kMaxVisited);
    for (int64_t word = -1; word <= int64_t{words}; word++) {
        for (int32_t tag : kTagsTried) {
            const int32_t has = HasTag(session->addressView, static_cast<WordId>(word), tag);
            FUZZ_CHECK(has == 0 || has == 1);
        }
    }
}

// Reads each name up to its 0 unit, as region completion does, and copies it.
void ReadEveryName(const AddressDbView& view) {
    const uint32_t pairs = std::min(view.regionPairCount, kMaxVisited);
    char16_t name[kNameCapacity];
    for (uint32_t pair = 0; pair < pairs; pair++) {
        for (RegionSide side : {RegionSide::kUpper, RegionSide::kLower}) {
            const int64_t length = samples::StoredNameLength(view, side, pair);
            const int32_t copied = CopyRegionName(view, side, pair, name, kNameCapacity);
            FUZZ_CHECK(copied == (length < kNameCapacity ? length : -1));
        }
    }
}

void EnterHypotheses(FilterSession* session, const LiveWorld& world) {
    const std::vector<std::vector<std::u16string>> texts = {
        {u"臺北市", u"市", u"忠孝東路", u"四段", u"一百二十三", u"巷", u"五", u"弄", u"七", u"號"},
        {u"大安區", u"市", u"和平路", u"一段", u"十", u"號", u"樓"},
        {u"我", u"要", u"到", u"中正區", u"忠孝東路", u"五", u"號"},
        {u"臺中市", u"大安區", u"Ab", u"ab", u"地址"},
        {u"地址"},
    };
    for (const auto& hypothesis : texts) {
        const std::vector<WordId> ids = world.Ids(hypothesis);
        const int32_t result =
            Vantir_AddRecogResult(session, ids.data(), 0, 0, 0, static_cast<int32_t>(ids.size()));
        FUZZ_CHECK(result == 0 || result == VANTIR_RESULT_TABLE_FULL);
    }
    // Every model id in turn, in runs of three.
    for (WordId first = 0; first < world.blobs.modelWords; first++) {
        const WordId ids[3] = {first, (first + 5) % world.blobs.modelWords, -1};
        Vantir_AddRecogResult(session, ids, 0, 0, 0, 3);
    }
    ReadResults(session);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static LiveWorld world;
    ExactBytes blob(data, size);
    if (Vantir_VerifyBlob(blob.data(), static_cast<uint32_t>(size)) != VANTIR_OK) return 0;
    FilterSession* session = Vantir_Init(world.model, world.lexicon, blob.data());
    FUZZ_CHECK(session != nullptr);
    ReadEveryTag(session);
    ReadEveryName(session->addressView);
    EnterHypotheses(session, world);
    Vantir_Release(session);
    return 0;
}
