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
// Words starting with a stem examined for a region name one unit longer; the
// lexicon lists the shorter ones first, and a stem that starts more words
// of its length and one more than this is read as a stem.
constexpr int32_t kMaxStemPrefixWords = 32;
// Region words one stem names with one unit more, through its spellings.
constexpr int32_t kMaxStemRegions = 4;

// How the caller tells a region word (a county or district name), the only
// words after which a stem is read; the segmenter knows no tags.
struct RoadStemReading {
    bool (*isRegion)(const void* context, WordId word);
    const void* context;
};

// Units after a stretch searched for a road suffix. A suffix right after it
// is the road spelled in full; one a unit or two later means that the road's
// name goes on past the stretch with a unit misheard or unknown (成功东路,
// 何厝冬一街), so the stretch is no stem of it.
constexpr int32_t kRoadSuffixLookahead = 3;

// Whether units[at .. at + kRoadSuffixLookahead - 1] (m units in all) hold
// the last unit of a road suffix: 路, 街 or 道.
bool RoadSuffixFollows(const char16_t* units, int32_t at, int32_t m);

// Whether units[at ..] (m units in all) end the name of a place before the
// road: a village (里, 村, 邨), a zone or park (區, 工業區, 園區) or a
// community (社區). Such a place often shares its name with a road of the
// district (牛埔里育德街 beside 牛埔路, 永康工業區 beside 永康街); a stretch
// before the ending names the place, no road.
bool PlaceEndingFollows(const char16_t* units, int32_t at, int32_t m);

// The model's words (ids below `limit`) spelled by units[0 .. n-1] (other
// spellings in `alternates`, 0: none) and a road suffix; at most
// kMaxStemRoads, each once. n is at most kMaxRoadStemUnits.
int32_t RoadsOfStem(const Lexicon* lexicon, int64_t limit, const char16_t* units,
                    const char16_t* alternates, int32_t n, WordId* roads);

// The region words spelled by units[0 .. n-1] (or their other spellings, all
// taken) and one unit more; at most kMaxStemRegions. A stretch that names a
// region the region before it holds (前鎮 of 前鎮區 after 高雄市, beside
// 前鎮街) is that region with its own suffix lost, and no road is read from it.
int32_t RegionsOfStem(const Lexicon* lexicon, int64_t limit, const char16_t* units,
                      const char16_t* alternates, int32_t n, const RoadStemReading& reading,
                      WordId* regions);

// The one road among roads[0 .. count-1] whose pair after `region` the model
// lists (the address grammar's district -> road and county -> road pairs), or
// -1 when none is or when two or more are: a stem shared by two roads of the
// region names neither.
WordId OneRoadAfter(const BigramModel* model, WordId region, const WordId* roads, int32_t count);

// Whether the model lists a pair of `region` before one of words[0 .. count-1].
bool ListsAnyAfter(const BigramModel* model, WordId region, const WordId* words, int32_t count);

}  // namespace vantir

#endif  // VANTIR_SEGMENT_ROAD_STEMS_H
