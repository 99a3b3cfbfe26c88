// Roads said without their suffix: a stretch after a region word read as the
// one road of that region whose name is the stretch and 路, 街, 大道 or 道.
#ifndef VANTIR_SEGMENT_ROAD_STEMS_H
#define VANTIR_SEGMENT_ROAD_STEMS_H

#include <cstdint>

#include "vantir/types.h"

namespace vantir {

// Shortest and longest stretch read as a road's name without its suffix, in
// units: one character names too many roads to be one, and the national
// road table has no more than 8 characters before the suffix but for 26
// names of 18,001 (long names of lanes written as roads).
constexpr int32_t kMinRoadStemUnits = 2;
constexpr int32_t kMaxRoadStemUnits = 8;
// Taken off a path that reads a road from its stem: what leaving out one unit
// costs (kUnknownUnitScore), since the suffix is the unit that was not said.
// A path that spells the same units as words pays no such cost, so it wins
// at equal fit; a path that leaves the stem out pays it once per unit.
constexpr int32_t kRoadStemCost = 600;
// Roads one stem names through its suffixes and its variant spellings.
constexpr int32_t kMaxStemRoads = 8;

// How the caller tells a region word (a county or district name), the only
// words after which a stem is read; the segmenter knows no tags.
struct RoadStemReading {
    bool (*isRegion)(const void* context, WordId word);
    const void* context;
};

// Whether units[at ..] (m units in all) opens with a road suffix: a stem
// followed by one is the road spelled in full, read as the words it spells.
bool OpensWithRoadSuffix(const char16_t* units, int32_t at, int32_t m);

// The model's words (ids below `limit`) spelled by units[0 .. n-1] (other
// spellings in `alternates`, 0: none) and a road suffix; at most
// kMaxStemRoads, each once. n is at most kMaxRoadStemUnits.
int32_t RoadsOfStem(const Lexicon* lexicon, int64_t limit, const char16_t* units,
                    const char16_t* alternates, int32_t n, WordId* roads);

// The one road among roads[0 .. count-1] whose pair after `region` the model
// lists (the address grammar's district -> road and county -> road pairs), or
// -1 when none is or when two or more are: a stem shared by two roads of the
// region names neither.
WordId OneRoadAfter(const BigramModel* model, WordId region, const WordId* roads, int32_t count);

}  // namespace vantir

#endif  // VANTIR_SEGMENT_ROAD_STEMS_H
