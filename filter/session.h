// The filter session: its record (borrowed model, lexicon and address database,
// the parsed view of the database, the result table) and the routines on it.
#ifndef VANTIR_FILTER_SESSION_H
#define VANTIR_FILTER_SESSION_H

#include <cstdint>

#include "address/address_context.h"
#include "address/compose_text.h"
#include "address/postal_lookup.h"
#include "address/region_index.h"
#include "address/word_fields.h"
#include "filter/utterance_evidence.h"
#include "vantir/types.h"
#include "vantir/vantir.h"

namespace vantir {

constexpr int32_t kMaxResults = 128;            // entries of the result table
constexpr int32_t kResultTextCapacity = 129;    // units of room in one entry's text
constexpr int32_t kMaxResultTextLength = 127;   // units kept of a composed text
constexpr int32_t kScratchTextCapacity = 2048;  // units of the composition buffer
// Every option bit this build knows; Vantir_SetOptions refuses the others.
constexpr uint32_t kKnownOptions = VANTIR_OPTION_ACCURATE | VANTIR_OPTION_SHARED_MODEL |
                                   VANTIR_OPTION_SOUND_ALIKE | VANTIR_OPTION_POSTAL;

static_assert(kMaxResultTextLength <= UINT8_MAX, "a text position fits a byte");

// A result's postal answer as the ranking keeps it (PostalAnswer, packed),
// and whether another district of its county holds the address.
struct PostalMark {
    int32_t code;
    int32_t range;
    int16_t district;
    int8_t status;
    bool read;
    bool refused;
};
static_assert(kMaxResults <= INT8_MAX + 1, "an arrival order fits the postal origin's byte");

struct ResultEntry {
    int32_t arrivalOrder;  // result count when the entry was made; never changes
    uint8_t resultClass;   // 0..3, smaller listed first; may only decrease
    // What Vantir_GetResultInfo reports, kept in both modes. No hypothesis
    // that gave the text said its upper region, a guess among the several
    // upper regions of its lower one.
    bool regionGuessed;
    uint8_t wordCount;  // words[0..wordCount-1] made the text first
    char16_t text[kResultTextCapacity];
    // Where each of those words starts in the text, and the text's length
    // after them: the fields are read from the words when they are asked for
    // (LocateWordFields), so the intake only copies them.
    uint8_t wordStarts[kMaxLocatedWords + 1];
    int32_t support;    // hypotheses that gave the text, each counted once
    int32_t firstRank;  // 0-based rank of the first of them
    int32_t lastRank;   // rank of the latest, so that a hypothesis counts once
    // With VANTIR_OPTION_POSTAL: the arrival order of the entry whose district
    // the postal ranges refused and this one (another district of its county)
    // stands in for; -1 for an entry made from what was said.
    int8_t postalOrigin;
    // The postal answer of the text, read once per entry and blob: the
    // ranking reads it at every delivery.
    mutable PostalMark postal;
    float rankWeight;  // their rank weights 1 / (rank + 1), summed
    WordId words[kMaxLocatedWords];
};

// Region words recently looked up among the postal blob's names; an entry is
// used only after its name is seen to spell the word's text, so that it is
// never stale.
constexpr int32_t kPostalWordCache = 64;
struct PostalWordName {
    WordId word;
    int32_t name;
};

// The order and evidence scores of accurate mode's results, computed once for
// all the details read between two intakes.
struct DeliveryCache {
    bool current;  // false after every intake, reset and change of options
    uint8_t order[kMaxResults];
    float score[kMaxResults];
};
static_assert(kMaxResults <= 256, "table indices fit the cache's bytes");

}  // namespace vantir

// The exported handle type is a plain struct in the global namespace.
struct FilterSession {
    Lexicon* lexicon;
    BigramModel* model;
    const void* addressDb;
    vantir::AddressDbView addressView;
    int32_t resultCount;
    int32_t hypothesisCount;  // hypotheses entered since the last reset, in both modes
    uint32_t options;         // VANTIR_OPTION_* bits; 0 is the design's behaviour
    char16_t scratchText[vantir::kScratchTextCapacity];
    vantir::ResultEntry results[vantir::kMaxResults];
    vantir::UtteranceEvidence evidence;  // kept in accurate mode only
    vantir::DeliveryCache delivery;      // accurate mode's order, for the details
    // In the same block, after this record; null for a table too large to
    // index, which is then scanned. Resolved on the first intake and again
    // whenever the lexicon was edited or the model's word count changed.
    vantir::RegionIndex* regionIndex;
    const void* soundsBlob;  // borrowed "SND" blob for sound-alike intake, or null
    const void* postalBlob;  // borrowed "PST" blob of postal ranges, or null
    vantir::PostalView postalView;
    mutable vantir::PostalWordName postalWords[vantir::kPostalWordCache];
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

// What the hypothesis being entered is: its 0-based rank and its words.
struct HypothesisSource {
    int32_t rank;
    const WordId* input;
    int32_t count;
};

// Composes the text of words[0..n-1] (n >= 1), cut to kMaxResultTextLength
// units, and stores it as a new entry or lowers the class of the equal entry;
// either way the hypothesis counts as its support.
// Returns the result count, or -1001 when the table was already full.
int32_t InsertResult(FilterSession* session, const WordId* words, int32_t n, int32_t completed,
                     const HypothesisSource& source);

// True when the upper region that heads words[0..n-1] is not among the
// hypothesis' words and the lower region after it has several upper regions:
// completion or accurate mode's reading chose among them.
bool GuessesRegion(const AddressContext& context, const WordId* words, int32_t n,
                   const HypothesisSource& source);

// The rank weight of the hypothesis of 0-based rank r: 1 / (r + 1). The first
// counts twice as much as the second, and ten lower ones still add up.
inline double RankWeight(int32_t rank) {
    return 1.0 / (rank + 1.0);
}

// The words a new entry's text was composed from, and where each starts in
// the text as it was stored (`length` units; ComposeResultText's wordStarts,
// moved by the canonical spelling in accurate mode).
struct ComposedWords {
    const WordId* words;
    int32_t n;
    int32_t wordStarts[kMaxLocatedWords + 1];
    int32_t length;
};

// A new entry's details: supported by the hypothesis of `rank`, made of
// `composed`'s words.
void StartEntryDetails(ResultEntry* entry, int32_t rank, bool regionGuessed,
                       const ComposedWords& composed);

// The fields of an entry's text, from the words that made it.
void EntryFields(const FilterSession* session, const ResultEntry& entry,
                 FieldSpan spans[kResultFieldCount]);
// Counts the hypothesis for an entry it gives again or as well, as the words
// words[0..n-1] that it gives the entry's text with.
void AddEntrySupport(ResultEntry* entry, const AddressContext& context, const WordId* words,
                     int32_t n, const HypothesisSource& source);

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
