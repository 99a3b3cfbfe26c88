// Weighing the region words that may complete an address: every county that
// has a heard district, every district of a heard county, by the model's pairs.
#include <cmath>

#include "address/address_context.h"
#include "address/evidence_reading.h"
#include "address/region_completion.h"
#include "address/region_index.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

// Share of a district's road evidence left to a county that the model never
// heard before the road, when another county with a district of that name was.
constexpr double kUnownedRoadShare = 0.1;

// A word's text as the lexicon holds it, read byte-wise.
struct WordText {
    const char16_t* units = nullptr;
    int32_t length = 0;
};

WordText TextOf(const Lexicon* lexicon, WordId word) {
    WordText text;
    text.units = Lexicon_GetWord(lexicon, word, &text.length);
    if (text.units == nullptr) text.length = 0;
    // The text ends at its first 0 unit, as a copied text would.
    int32_t units = 0;
    while (units < text.length && LoadUnitAt(text.units, units) != 0)
        ++units;
    text.length = units;
    return text;
}

bool NameSpells(const AddressDbView& view, RegionSide side, uint32_t pair, const WordText& text) {
    if (text.length <= 0) return false;
    const unsigned char* name = RegionNameStart(view, side, pair);
    for (int32_t i = 0; i < text.length; ++i) {
        if (LoadStoredUnitAt(name, i) != LoadUnitAt(text.units, i)) return false;
    }
    return LoadStoredUnitAt(name, text.length) == 0;
}

bool SameName(const unsigned char* first, const unsigned char* second) {
    for (int32_t i = 0;; ++i) {
        const char16_t unit = LoadStoredUnitAt(first, i);
        if (unit != LoadStoredUnitAt(second, i)) return false;
        if (unit == 0) return true;
    }
}

// Visits the pairs that may match, in table order: with a region index only
// those of one group (the caller still applies its own test, which every pair
// of the group passes or which the group narrows), otherwise the whole table.
struct PairWalk {
    const PairGroups* groups;  // null: every pair
    int32_t pair;
    uint32_t pairCount;

    bool Done() const { return pair < 0 || static_cast<uint32_t>(pair) >= pairCount; }
    uint32_t Pair() const { return static_cast<uint32_t>(pair); }
    void Next() { pair = groups != nullptr ? groups->next[pair] : pair + 1; }
};

PairWalk WholeTable(const AddressDbView& view) {
    return PairWalk{nullptr, 0, view.regionPairCount};
}

// Pairs whose lower name is `text` exactly.
PairWalk LowerNamePairs(const AddressContext& context, const WordText& text) {
    if (context.regionIndex == nullptr) return WholeTable(*context.db);
    const RegionIndex& index = *context.regionIndex;
    return PairWalk{&index.lowerNames,
                    FirstPairOfLowerText(index, *context.db, text.units, text.length),
                    context.db->regionPairCount};
}

// Pairs whose lower name is that of pair `pair`.
PairWalk SameLowerNamePairs(const AddressContext& context, uint32_t pair) {
    if (context.regionIndex == nullptr) return WholeTable(*context.db);
    const RegionIndex& index = *context.regionIndex;
    return PairWalk{&index.lowerNames, FirstPairOfSameLowerName(index, *context.db, pair),
                    context.db->regionPairCount};
}

// Pairs whose upper name resolves to `word`.
PairWalk UpperWordPairs(const AddressContext& context, WordId word) {
    if (context.regionIndex == nullptr) return WholeTable(*context.db);
    const RegionIndex& index = *context.regionIndex;
    return PairWalk{&index.upperWords, FirstPairOfUpperWord(index, word),
                    context.db->regionPairCount};
}

// The model's probability behind a pair score; a forbidden pair gets the
// probability of the lowest passing score, so that it still orders.
double PairProbability(const AddressContext& context, WordId first, WordId second) {
    const int32_t score = ScorePair(context, first, second);
    const int32_t bounded = score < kLowestPassingScore ? kLowestPassingScore : score;
    return std::pow(10.0, bounded / kScorePerDecade);
}

// A district found for a county, with the region pair that named it.
struct DistrictCandidate {
    WordId word;
    double weight;
    uint32_t pair;
};

// Adds the choice unless its word is there already; keeps the heaviest
// kMaxRegionChoices, heaviest first.
template <typename Choice>
int32_t AddChoice(Choice* choices, int32_t count, const Choice& choice) {
    for (int32_t i = 0; i < count; ++i) {
        if (choices[i].word == choice.word) return count;
    }
    int32_t at = count < kMaxRegionChoices ? count : kMaxRegionChoices - 1;
    if (count == kMaxRegionChoices && choices[at].weight >= choice.weight) return count;
    while (at > 0 && choices[at - 1].weight < choice.weight) {
        choices[at] = choices[at - 1];
        --at;
    }
    choices[at] = choice;
    return count < kMaxRegionChoices ? count + 1 : count;
}

int32_t Normalise(RegionChoice* choices, int32_t count) {
    double total = 0.0;
    for (int32_t i = 0; i < count; ++i)
        total += choices[i].weight;
    for (int32_t i = 0; i < count; ++i) {
        choices[i].weight = total > 0.0 ? choices[i].weight / total : 1.0 / count;
    }
    return count;
}

// How much of the district's pair with the road the county may claim: the
// counties with a district of this name that the model heard before the road
// share it; a county it never heard there keeps a small part.
double RoadOwnership(const AddressContext& context, uint32_t districtPair, WordId county,
                     WordId road) {
    const AddressDbView& view = *context.db;
    const unsigned char* name = RegionNameStart(view, RegionSide::kLower, districtPair);
    int32_t owners = 0;
    bool countyOwns = false;
    for (PairWalk walk = SameLowerNamePairs(context, districtPair); !walk.Done(); walk.Next()) {
        const uint32_t pair = walk.Pair();
        if (!SameName(RegionNameStart(view, RegionSide::kLower, pair), name)) continue;
        const WordId upper = RegionNameWordId(context, RegionSide::kUpper, pair);
        if (upper < 0 || !PairPasses(context, upper, road)) continue;
        ++owners;
        countyOwns = countyOwns || upper == county;
    }
    if (owners == 0) return 1.0;
    return countyOwns ? 1.0 / owners : kUnownedRoadShare / (owners + 1);
}

}  // namespace

int32_t WeighCountiesOfDistrict(const AddressContext& context, WordId district, WordId road,
                                RegionChoice* choices) {
    if (road >= 0 && !PairPasses(context, district, road)) return 0;
    const WordText text = TextOf(context.lexicon, district);
    const AddressDbView& view = *context.db;
    int32_t count = 0;
    for (PairWalk walk = LowerNamePairs(context, text); !walk.Done(); walk.Next()) {
        const uint32_t pair = walk.Pair();
        if (!NameSpells(view, RegionSide::kLower, pair, text)) continue;
        const WordId county = RegionNameWordId(context, RegionSide::kUpper, pair);
        // A county that is no word has no text to complete the address with.
        if (county < 0 || !PairPasses(context, county, district)) continue;
        // P(district | county) times P(road | county): the second is what the
        // model learnt from addresses said without their district.
        const double roadWeight = road >= 0 ? PairProbability(context, county, road) : 1.0;
        const double weight = PairProbability(context, county, district) * roadWeight;
        count = AddChoice(choices, count, RegionChoice{county, weight});
    }
    return Normalise(choices, count);
}

int32_t WeighDistrictsOfCounty(const AddressContext& context, WordId county, WordId road,
                               RegionChoice* choices) {
    const WordText text = TextOf(context.lexicon, county);
    const AddressDbView& view = *context.db;
    DistrictCandidate found[kMaxRegionChoices];
    int32_t count = 0;
    for (PairWalk walk = UpperWordPairs(context, county); !walk.Done(); walk.Next()) {
        const uint32_t pair = walk.Pair();
        if (!NameSpells(view, RegionSide::kUpper, pair, text)) continue;
        // Only the word the lexicon gives for the name is the county.
        if (RegionNameWordId(context, RegionSide::kUpper, pair) != county) {
            continue;
        }
        const WordId district = RegionNameWordId(context, RegionSide::kLower, pair);
        if (district < 0 || !PairBeatsLowest(context, district, road)) continue;
        const double weight =
            PairProbability(context, county, district) * PairProbability(context, district, road);
        count = AddChoice(found, count, DistrictCandidate{district, weight, pair});
    }
    // Ownership only reorders the districts; a single one needs none.
    int32_t kept = 0;
    for (int32_t c = 0; c < count; ++c) {
        DistrictCandidate candidate = found[c];
        if (count > 1) {
            candidate.weight *= RoadOwnership(context, candidate.pair, county, road);
        }
        kept = AddChoice(choices, kept, RegionChoice{candidate.word, candidate.weight});
    }
    return Normalise(choices, kept);
}

}  // namespace vantir
