// The exported text intake calls: argument checks, the text's length, and the
// segmentation entered as one hypothesis through Vantir_AddRecogResult.
#include "address/address_db.h"
#include "address/tag_codes.h"
#include "bigram/scorers.h"
#include "filter/session.h"
#include "mempool/heap.h"
#include "segment/road_stems.h"
#include "segment/sound_blob.h"
#include "segment/text_segmenter.h"
#include "segment/text_variants.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

namespace vantir {

namespace {

// Ids that Vantir_AddRecogText segments into on the stack; a hypothesis with
// more words is segmented a second time into a heap array of its size.
constexpr int32_t kStackIds = 128;

// The text's length in units (length < 0: up to its 0 unit), or -41.
int32_t TextLength(const char16_t* text, int32_t length) {
    if (text == nullptr) return length == 0 ? 0 : VANTIR_INVALID_ARGUMENT;
    return length < 0 ? WStrLen(text) : length;
}

bool HasWordUnits(const char16_t* text, int32_t length) {
    for (int32_t i = 0; i < length; ++i) {
        if (!IsTextSeparator(text[i])) return true;
    }
    return false;
}

// Counties and districts: the words after which accurate mode reads a road
// said without its suffix. `context` is the session's address database view.
bool IsRegionWord(const void* context, WordId word) {
    constexpr uint64_t kRegionTags =
        (uint64_t{1} << kTagUpperHead) | (uint64_t{1} << kTagLowerHead);
    return (TagBitsOf(*static_cast<const AddressDbView*>(context), word) & kRegionTags) != 0;
}

// Segments into the sink after the checks that the two calls share.
int32_t Segment(FilterSession* session, const char16_t* text, int32_t length, WordSink* sink) {
    // A model without a blob scores nothing, so only an empty text passes, as
    // an empty hypothesis passes Vantir_AddRecogResult.
    if (ModelWordLimit(session->model) <= 0 && HasWordUnits(text, length)) {
        return VANTIR_WRONG_STATE;
    }
    SoundsView sounds;
    const bool bySound = (session->options & VANTIR_OPTION_SOUND_ALIKE) != 0 &&
                         ReadSoundsBlob(session->soundsBlob, &sounds);
    const RoadStemReading stems{&IsRegionWord, &session->addressView};
    const bool accurate = (session->options & VANTIR_OPTION_ACCURATE) != 0;
    return SegmentText(session->lexicon, session->model, text, length, sink,
                       bySound ? &sounds : nullptr, accurate ? &stems : nullptr);
}

}  // namespace

}  // namespace vantir

using namespace vantir;

extern "C" {

int32_t Vantir_SegmentText(FilterSession* session, const char16_t* text, int32_t length,
                           WordId* ids, int32_t capacity) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if (capacity < 0 || (capacity > 0 && ids == nullptr)) return VANTIR_INVALID_ARGUMENT;
    const int32_t units = TextLength(text, length);
    if (units < 0) return units;
    WordSink sink{ids, capacity, 0};
    const int32_t segmented = Segment(session, text, units, &sink);
    if (segmented < 0) return segmented;
    return sink.count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(sink.count);
}

int32_t Vantir_AddRecogText(FilterSession* session, const char16_t* text, int32_t length) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    const int32_t units = TextLength(text, length);
    if (units < 0) return units;
    WordId stackIds[kStackIds];
    WordSink sink{stackIds, kStackIds, 0};
    int32_t result = Segment(session, text, units, &sink);
    if (result < 0) return result;
    if (sink.count <= kStackIds) {
        return Vantir_AddRecogResult(session, stackIds, 0, 0, 0, static_cast<int32_t>(sink.count));
    }
    // Digits spell up to two units each, so only a text near INT32_MAX units
    // could split into more words than one call takes.
    if (sink.count > INT32_MAX) return VANTIR_OVER_CAPACITY;
    auto* heapIds =
        static_cast<WordId*>(HeapAlloc(static_cast<size_t>(sink.count) * sizeof(WordId)));
    if (heapIds == nullptr) return VANTIR_OUT_OF_MEMORY;
    WordSink all{heapIds, static_cast<int32_t>(sink.count), 0};
    result = Segment(session, text, units, &all);
    if (result == VANTIR_OK) {
        result = Vantir_AddRecogResult(session, heapIds, 0, 0, 0, static_cast<int32_t>(all.count));
    }
    HeapFree(heapIds);
    return result;
}

}  // extern "C"
