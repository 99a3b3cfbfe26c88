// The filter session: its record (borrowed model, lexicon and address database,
// the parsed view of the database, the result table) and the routines on it.
#ifndef VANTIR_FILTER_SESSION_H
#define VANTIR_FILTER_SESSION_H

#include <cstdint>

#include "address/address_context.h"
#include "address/region_index.h"
#include "filter/utterance_evidence.h"
#include "vantir/types.h"
#include "vantir/vantir.h"

namespace vantir {

constexpr int32_t kMaxResults = 128;            // entries of the result table
constexpr int32_t kResultTextCapacity = 129;    // units of room in one entry's text
constexpr int32_t kMaxResultTextLength = 127;   // units kept of a composed text
constexpr int32_t kScratchTextCapacity = 2048;  // units of the composition buffer
// Every option bit this build knows; Vantir_SetOptions refuses the others.
constexpr uint32_t kKnownOptions =
    VANTIR_OPTION_ACCURATE | VANTIR_OPTION_SHARED_MODEL | VANTIR_OPTION_SOUND_ALIKE;

struct ResultEntry {
    int32_t arrivalOrder;  // result count when the entry was made; never changes
    uint8_t resultClass;   // 0..3, smaller listed first; may only decrease
    char16_t text[kResultTextCapacity];
};

}  // namespace vantir

// The exported handle type is a plain struct in the global namespace.
struct FilterSession {
    Lexicon* lexicon;
    BigramModel* model;
    const void* addressDb;
    vantir::AddressDbView addressView;
    int32_t resultCount;
    uint32_t options;  // VANTIR_OPTION_* bits; 0 is the design's behaviour
    char16_t scratchText[vantir::kScratchTextCapacity];
    vantir::ResultEntry results[vantir::kMaxResults];
    vantir::UtteranceEvidence evidence;  // kept in accurate mode only
    // In the same block, after this record; null for a table too large to
    // index, which is then scanned. Resolved on the first intake and again
    // whenever the lexicon was edited or the model's word count changed.
    vantir::RegionIndex* regionIndex;
    const void* soundsBlob;  // borrowed "SND" blob for sound-alike intake, or null
};

namespace vantir {

// The address layer's view of a session: its database, lexicon and model, and
// with VANTIR_OPTION_SHARED_MODEL the strict scorer read off the model now, so
// a table attached since is taken into account as the mode switch would.
inline AddressContext AddressContextOf(const FilterSession* session) {
    AddressContext context{&session->addressView, session->lexicon, session->model};
    if ((session->options & VANTIR_OPTION_SHARED_MODEL) != 0) {
        context.sharedStrictScorer = StrictPairScorer(session->model);
    }
    // An index resolved against another state of the lexicon or model is left
    // out: the table is then scanned, as it would be without one.
    if (session->regionIndex != nullptr &&
        RegionIndexIsCurrent(*session->regionIndex, session->lexicon, session->model)) {
        context.regionIndex = session->regionIndex;
    }
    return context;
}

// Resolves the region index again when the lexicon or the model changed since.
inline void RefreshRegionIndex(FilterSession* session) {
    if (session->regionIndex != nullptr &&
        !RegionIndexIsCurrent(*session->regionIndex, session->lexicon, session->model)) {
        ResolveRegionIndex(session->regionIndex, session->addressView, session->lexicon,
                           session->model);
    }
}

// The result table. Rank classes: smaller ones are listed first.
constexpr uint8_t kClassCompleted = 2;  // built from a region candidate
constexpr uint8_t kClassBare = 3;       // one word, or two without a trigger

// Rank class of words[0..n-1] (n >= 1); `completed` is non-zero for sequences
// built from region candidates.
uint8_t ResultClassOf(const AddressContext& context, const WordId* words, int32_t n,
                      int32_t completed);

// Composes the text of words[0..n-1] (n >= 1), cut to kMaxResultTextLength
// units, and stores it as a new entry or lowers the class of the equal entry.
// Returns the result count, or -1001 when the table was already full.
int32_t InsertResult(FilterSession* session, const WordId* words, int32_t n, int32_t completed);

// Delivery order: negative when a is listed first, positive when b is, 0 only
// for equal keys. Arrival orders are distinct, so the order is total.
int32_t CompareResults(const ResultEntry& a, const ResultEntry& b);

// The module's build banner, a byte string naming the library and its version;
// no exported call reaches it, hosts see the version through the package.
// Copies the banner with its terminator into `buffer` when it is non-null and
// returns the banner's length plus one, so a null buffer asks for the size.
int32_t CopyBuildBanner(char* buffer);

}  // namespace vantir

#endif  // VANTIR_FILTER_SESSION_H
