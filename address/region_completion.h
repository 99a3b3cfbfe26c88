// Region completion: repairing a head that a trigger word follows, and listing
// the lower region names that may stand between an upper region and a trigger.
#ifndef VANTIR_ADDRESS_REGION_COMPLETION_H
#define VANTIR_ADDRESS_REGION_COMPLETION_H

#include <cstdint>

#include "address/address_context.h"
#include "address/region_index.h"

namespace vantir {

constexpr int32_t kMaxRegionCandidates = 512;  // room of the intake's candidate list

// Given the head words followed by the trigger (n = 2 or 3), rewrites them in
// place and returns how many stay (2 or 3), or 0 to reject the start position.
// The array needs room for 3 words.
int32_t CompleteRegion(const AddressContext& context, WordId* words, int32_t n);

// For kept words [x, t, ...] with x an upper region and t a trigger, writes the
// lower names paired with x whose pair with t beats the lowest passing score,
// in table order, at most `capacity` of them. Leaves the model in back-off mode.
int32_t ListRegionCandidates(const AddressContext& context, const WordId* kept, WordId* candidates,
                             int32_t capacity);

// The word of a region name through the lexicon; -1 for a name that is no word,
// is too long to look up, or maps to an id that the model does not cover.
WordId RegionNameWordId(const AddressContext& context, RegionSide side, uint32_t pair);

// Index of the first region pair whose lower name equals the word's text, or -1.
int64_t FindLowerNameOfWord(const AddressContext& context, WordId word);

// How many region pairs have the word's text as their lower name, counted up
// to `most`: more than one when several upper regions share the name.
int32_t CountPairsOfLowerWord(const AddressContext& context, WordId word, int32_t most);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_REGION_COMPLETION_H
