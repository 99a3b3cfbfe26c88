// The region index of a session: every region pair's names resolved to word ids,
// and the pairs grouped by lower name text and by upper word, kept in table order.
#ifndef VANTIR_ADDRESS_REGION_INDEX_H
#define VANTIR_ADDRESS_REGION_INDEX_H

#include <cstddef>
#include <cstdint>

#include "address/address_db.h"
#include "vantir/bigram.h"
#include "vantir/lexicon.h"

namespace vantir {

// A region name is looked up as a word only when it fits here with its 0 unit;
// no static lexicon word is longer than 256 units.
constexpr int32_t kRegionNameCapacity = 257;

// Tables larger than this are scanned as they are: the index would cost more
// than 40 MB, and a count this large is more likely a damaged header.
constexpr uint32_t kMaxIndexedRegionPairs = 1u << 20;

// One grouping of the pairs. `slots` is an open-addressing table (linear
// probing, -1 empty) holding the first pair of each group; `next` chains each
// pair to the next pair of its group in table order (-1 ends the group).
struct PairGroups {
    int32_t* slots;  // slotMask + 1 entries
    int32_t* next;   // one per pair
};

// Lives in a caller's area of RegionIndexBytes bytes (the session's block).
// The names are grouped from the database alone; the word ids depend on the
// lexicon and on the model's word limit, so they carry the stamp of both and
// are resolved again when either changed.
struct RegionIndex {
    uint32_t pairCount;
    uint32_t slotMask;      // slot count - 1; the count is a power of two >= 2 x pairs
    bool resolved;          // false until the first resolution
    uint32_t lexiconEdits;  // the lexicon's edit count at the resolution
    int64_t modelLimit;     // ModelWordLimit at the resolution
    int32_t* upperWord;     // per pair: RegionNameWordId of its upper name
    int32_t* lowerWord;     // per pair: RegionNameWordId of its lower name
    PairGroups lowerNames;  // by the exact text of the lower name
    PairGroups upperWords;  // by upperWord
};

// The word of a region name through the lexicon, as the scan of the table
// sees it: -1 for a name that is no word, is too long to look up, or maps to an
// id at or past `modelLimit` (ModelWordLimit), which the model's scorers refuse.
WordId LookUpRegionName(const AddressDbView& view, RegionSide side, uint32_t pair,
                        const Lexicon* lexicon, int64_t modelLimit);

// Bytes of the area for a table of `pairCount` pairs, the record included; 0
// when the table is not indexed (more than kMaxIndexedRegionPairs pairs).
size_t RegionIndexBytes(uint32_t pairCount);

// Lays out an unresolved index in `area` (8-byte aligned, RegionIndexBytes
// long) and returns it; null for a table that is not indexed.
RegionIndex* PlaceRegionIndex(void* area, uint32_t pairCount);

// True when the ids were resolved against the lexicon and model as they are now.
bool RegionIndexIsCurrent(const RegionIndex& index, const Lexicon* lexicon,
                          const BigramModel* model);

// Groups the names and resolves every name through the lexicon: two look-ups
// per pair at most, no allocation.
void ResolveRegionIndex(RegionIndex* index, const AddressDbView& view, const Lexicon* lexicon,
                        const BigramModel* model);

// First pair (in table order) whose lower name is exactly `units` (`length`
// units, read at any alignment), or -1; the rest follow through lowerNames.next.
int32_t FirstPairOfLowerText(const RegionIndex& index, const AddressDbView& view,
                             const char16_t* units, int32_t length);

// First pair whose lower name is the same text as pair `pair`'s.
int32_t FirstPairOfSameLowerName(const RegionIndex& index, const AddressDbView& view,
                                 uint32_t pair);

// First pair whose upper name resolves to `word`, or -1; the rest follow
// through upperWords.next.
int32_t FirstPairOfUpperWord(const RegionIndex& index, WordId word);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_REGION_INDEX_H
