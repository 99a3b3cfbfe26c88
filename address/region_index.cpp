// The region index: its layout in the session's block, grouping the pairs by lower
// name text and by upper word, resolving names to words, and the group look-ups.
#include "address/region_index.h"

#include "address/address_context.h"
#include "lexicon/lexicon_object.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

constexpr int32_t kNoPair = -1;
constexpr size_t kAreaAlignment = 8;

size_t AlignUp(size_t bytes) {
    return (bytes + kAreaAlignment - 1) / kAreaAlignment * kAreaAlignment;
}

// Slots for at most pairCount groups, kept at most half full so that a probe
// that misses stops after about two slots.
uint32_t SlotCount(uint32_t pairCount) {
    uint32_t slots = 2;
    while (slots < 2 * uint64_t{pairCount})
        slots *= 2;
    return slots;
}

// The arrays after the record, in this order: upperWord, lowerWord, then for
// each grouping its slots and its next links.
struct AreaLayout {
    size_t upperWordAt;
    size_t lowerWordAt;
    size_t lowerSlotsAt;
    size_t lowerNextAt;
    size_t upperSlotsAt;
    size_t upperNextAt;
    size_t end;
};

AreaLayout LayoutOf(uint32_t pairCount) {
    const size_t perPair = AlignUp(size_t{pairCount} * sizeof(int32_t));
    const size_t slots = AlignUp(size_t{SlotCount(pairCount)} * sizeof(int32_t));
    AreaLayout layout;
    layout.upperWordAt = AlignUp(sizeof(RegionIndex));
    layout.lowerWordAt = layout.upperWordAt + perPair;
    layout.lowerSlotsAt = layout.lowerWordAt + perPair;
    layout.lowerNextAt = layout.lowerSlotsAt + slots;
    layout.upperSlotsAt = layout.lowerNextAt + perPair;
    layout.upperNextAt = layout.upperSlotsAt + slots;
    layout.end = layout.upperNextAt + perPair;
    return layout;
}

// One 32-bit mix per unit; any hash would do, this one spreads the few
// distinct units of Chinese place names well enough.
constexpr uint32_t kHashSeed = 2166136261u;
constexpr uint32_t kHashFactor = 0x9E3779B1u;

uint32_t MixUnit(uint32_t hash, char16_t unit) {
    return (hash ^ unit) * kHashFactor;
}

// Spreads the high bits of a hash into the low ones, which pick the slot.
uint32_t Finish(uint32_t hash) {
    hash ^= hash >> 16;
    hash *= 0x85EBCA6Bu;
    hash ^= hash >> 13;
    return hash;
}

uint32_t HashOfText(const char16_t* units, int32_t length) {
    uint32_t hash = kHashSeed;
    for (int32_t i = 0; i < length; ++i)
        hash = MixUnit(hash, LoadUnitAt(units, i));
    return Finish(hash);
}

uint32_t HashOfName(const unsigned char* name) {
    uint32_t hash = kHashSeed;
    for (int32_t i = 0;; ++i) {
        const char16_t unit = LoadStoredUnitAt(name, i);
        if (unit == 0) return Finish(hash);
        hash = MixUnit(hash, unit);
    }
}

uint32_t HashOfWord(WordId word) {
    return Finish(static_cast<uint32_t>(word) * kHashFactor);
}

bool NameIsText(const unsigned char* name, const char16_t* units, int32_t length) {
    for (int32_t i = 0; i < length; ++i) {
        if (LoadStoredUnitAt(name, i) != LoadUnitAt(units, i)) return false;
    }
    return LoadStoredUnitAt(name, length) == 0;
}

bool SameName(const unsigned char* first, const unsigned char* second) {
    for (int32_t i = 0;; ++i) {
        const char16_t unit = LoadStoredUnitAt(first, i);
        if (unit != LoadStoredUnitAt(second, i)) return false;
        if (unit == 0) return true;
    }
}

void ClearSlots(const RegionIndex& index, PairGroups* groups) {
    for (uint32_t s = 0; s <= index.slotMask; ++s)
        groups->slots[s] = kNoPair;
}

// The slot holding the group of `pair`'s lower name, or the empty slot where
// that group would go.
uint32_t LowerNameSlot(const RegionIndex& index, const AddressDbView& view, uint32_t pair) {
    const unsigned char* name = RegionNameStart(view, RegionSide::kLower, pair);
    uint32_t slot = HashOfName(name) & index.slotMask;
    for (;;) {
        const int32_t first = index.lowerNames.slots[slot];
        if (first == kNoPair ||
            SameName(RegionNameStart(view, RegionSide::kLower, static_cast<uint32_t>(first)),
                     name)) {
            return slot;
        }
        slot = (slot + 1) & index.slotMask;
    }
}

uint32_t UpperWordSlot(const RegionIndex& index, WordId word) {
    uint32_t slot = HashOfWord(word) & index.slotMask;
    for (;;) {
        const int32_t first = index.upperWords.slots[slot];
        if (first == kNoPair || index.upperWord[first] == word) return slot;
        slot = (slot + 1) & index.slotMask;
    }
}

// Pairs are taken from the last to the first, each put in front of its group,
// so every group ends up in table order.
void GroupLowerNames(RegionIndex* index, const AddressDbView& view) {
    ClearSlots(*index, &index->lowerNames);
    for (uint32_t pair = index->pairCount; pair-- > 0;) {
        const uint32_t slot = LowerNameSlot(*index, view, pair);
        index->lowerNames.next[pair] = index->lowerNames.slots[slot];
        index->lowerNames.slots[slot] = static_cast<int32_t>(pair);
    }
}

void GroupUpperWords(RegionIndex* index) {
    ClearSlots(*index, &index->upperWords);
    for (uint32_t pair = index->pairCount; pair-- > 0;) {
        const uint32_t slot = UpperWordSlot(*index, index->upperWord[pair]);
        index->upperWords.next[pair] = index->upperWords.slots[slot];
        index->upperWords.slots[slot] = static_cast<int32_t>(pair);
    }
}

// A look-up depends on the name's text alone, so each distinct lower name is
// looked up once for its whole group, and an upper name once for each run of
// pairs that repeat it (tables list a county's districts together).
void ResolveNames(RegionIndex* index, const AddressDbView& view, const Lexicon* lexicon,
                  int64_t limit) {
    for (uint32_t s = 0; s <= index->slotMask; ++s) {
        int32_t pair = index->lowerNames.slots[s];
        if (pair == kNoPair) continue;
        const WordId word =
            LookUpRegionName(view, RegionSide::kLower, static_cast<uint32_t>(pair), lexicon, limit);
        for (; pair != kNoPair; pair = index->lowerNames.next[pair])
            index->lowerWord[pair] = word;
    }
    for (uint32_t pair = 0; pair < index->pairCount; ++pair) {
        const bool repeats =
            pair > 0 && SameName(RegionNameStart(view, RegionSide::kUpper, pair - 1),
                                 RegionNameStart(view, RegionSide::kUpper, pair));
        index->upperWord[pair] =
            repeats ? index->upperWord[pair - 1]
                    : LookUpRegionName(view, RegionSide::kUpper, pair, lexicon, limit);
    }
}

}  // namespace

WordId LookUpRegionName(const AddressDbView& view, RegionSide side, uint32_t pair,
                        const Lexicon* lexicon, int64_t modelLimit) {
    // The blob may lie at any alignment, so the name is read into an aligned
    // buffer before the lexicon sees it.
    char16_t name[kRegionNameCapacity];
    if (CopyRegionName(view, side, pair, name, kRegionNameCapacity) < 0) return -1;
    const WordId word = Lexicon_FindId(lexicon, name);
    // An id the model has no row for must never reach its scorers.
    return IsModelWord(modelLimit, word) ? word : -1;
}

size_t RegionIndexBytes(uint32_t pairCount) {
    if (pairCount > kMaxIndexedRegionPairs) return 0;
    return LayoutOf(pairCount).end;
}

RegionIndex* PlaceRegionIndex(void* area, uint32_t pairCount) {
    if (area == nullptr || pairCount > kMaxIndexedRegionPairs) return nullptr;
    auto* bytes = static_cast<unsigned char*>(area);
    const AreaLayout layout = LayoutOf(pairCount);
    auto* index = static_cast<RegionIndex*>(area);
    index->pairCount = pairCount;
    index->slotMask = SlotCount(pairCount) - 1;
    index->resolved = false;
    index->lexiconEdits = 0;
    index->modelLimit = 0;
    index->upperWord = reinterpret_cast<int32_t*>(bytes + layout.upperWordAt);
    index->lowerWord = reinterpret_cast<int32_t*>(bytes + layout.lowerWordAt);
    index->lowerNames = {reinterpret_cast<int32_t*>(bytes + layout.lowerSlotsAt),
                         reinterpret_cast<int32_t*>(bytes + layout.lowerNextAt)};
    index->upperWords = {reinterpret_cast<int32_t*>(bytes + layout.upperSlotsAt),
                         reinterpret_cast<int32_t*>(bytes + layout.upperNextAt)};
    return index;
}

bool RegionIndexIsCurrent(const RegionIndex& index, const Lexicon* lexicon,
                          const BigramModel* model) {
    return index.resolved && lexicon != nullptr && index.lexiconEdits == lexicon->editCount &&
           index.modelLimit == ModelWordLimit(model);
}

void ResolveRegionIndex(RegionIndex* index, const AddressDbView& view, const Lexicon* lexicon,
                        const BigramModel* model) {
    const int64_t limit = ModelWordLimit(model);
    // The names never change; they are grouped once.
    if (!index->resolved) GroupLowerNames(index, view);
    ResolveNames(index, view, lexicon, limit);
    GroupUpperWords(index);
    index->lexiconEdits = lexicon != nullptr ? lexicon->editCount : 0;
    index->modelLimit = limit;
    index->resolved = true;
}

int32_t FirstPairOfLowerText(const RegionIndex& index, const AddressDbView& view,
                             const char16_t* units, int32_t length) {
    uint32_t slot = HashOfText(units, length) & index.slotMask;
    for (;;) {
        const int32_t first = index.lowerNames.slots[slot];
        if (first == kNoPair ||
            NameIsText(RegionNameStart(view, RegionSide::kLower, static_cast<uint32_t>(first)),
                       units, length)) {
            return first;
        }
        slot = (slot + 1) & index.slotMask;
    }
}

int32_t FirstPairOfSameLowerName(const RegionIndex& index, const AddressDbView& view,
                                 uint32_t pair) {
    return index.lowerNames.slots[LowerNameSlot(index, view, pair)];
}

int32_t FirstPairOfUpperWord(const RegionIndex& index, WordId word) {
    return index.upperWords.slots[UpperWordSlot(index, word)];
}

}  // namespace vantir
