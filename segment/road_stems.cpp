// Road stems for the segmenter's lattice: the suffixes a road name ends in,
// the roads a stretch names with one of them, and the one a region has.
//
// Recognisers that write text often drop a road's suffix (民生東一段 for
// 民生東路一段). The lexicon holds roads only with their suffix, so the stem
// is looked up with each suffix appended; the model's pairs (the address
// grammar lists every district -> road and county -> road pair of the road
// table) then tell which of those roads the region before the stretch has.
// One road is a reading; two (民生路 and 民生街 of one district) are a
// question the text does not answer, so the segmenter reads neither.
#include "segment/road_stems.h"

#include "bigram/scorers.h"
#include "segment/span_words.h"
#include "textutil/address_words.h"
#include "vantir/lexicon.h"

namespace vantir {

namespace {

// The suffixes of the road table's names (data/tw/generate.py keeps a road
// when it ends in 路, 街 or 道); 大道 is one of its own, so that the stem of
// 世運大道 is 世運.
struct RoadSuffix {
    char16_t units[2];
    int32_t length;
};
constexpr RoadSuffix kRoadSuffixes[] = {
    {{kRoadEnding, 0}, 1},
    {{kStreetEnding, 0}, 1},
    {{kAvenueLead, kWayEnding}, 2},  // 大道
    {{kWayEnding, 0}, 1},
};
constexpr int32_t kLongestSuffix = 2;

}  // namespace

bool RoadSuffixFollows(const char16_t* units, int32_t at, int32_t m) {
    // The last unit of every suffix is one of these; the 道 of 大道 right after
    // a stretch is its second unit, still in reach.
    for (int32_t k = at; k < at + kRoadSuffixLookahead && k < m; ++k) {
        if (units[k] == kRoadEnding || units[k] == kStreetEnding || units[k] == kWayEnding) {
            return true;
        }
    }
    return false;
}

bool PlaceEndingFollows(const char16_t* units, int32_t at, int32_t m) {
    // Endings of places before a road: 里 村 邨 區, 工業區, 園區, 社區.
    constexpr char16_t kOneUnit[] = {u'\u91CC', u'\u6751', u'\u90A8', u'\u5340'};
    constexpr char16_t kZone = u'\u5340';  // 區
    constexpr char16_t kBeforeZone[][2] = {{u'\u5DE5', u'\u696D'}, {u'\u5712', 0}, {u'\u793E', 0}};
    if (at >= m) return false;
    for (const char16_t unit : kOneUnit) {
        if (units[at] == unit) return true;
    }
    for (const auto& lead : kBeforeZone) {
        const int32_t length = lead[1] != 0 ? 2 : 1;
        if (at + length >= m || units[at] != lead[0] || (length == 2 && units[at + 1] != lead[1])) {
            continue;
        }
        if (units[at + length] == kZone) return true;
    }
    return false;
}

int32_t RoadsOfStem(const Lexicon* lexicon, int64_t limit, const char16_t* units,
                    const char16_t* alternates, int32_t n, WordId* roads) {
    char16_t key[kMaxRoadStemUnits + kLongestSuffix];
    char16_t keyAlternates[kMaxRoadStemUnits + kLongestSuffix];
    for (int32_t k = 0; k < n; ++k) {
        key[k] = units[k];
        keyAlternates[k] = alternates[k];
    }
    int32_t count = 0;
    for (const RoadSuffix& suffix : kRoadSuffixes) {
        for (int32_t k = 0; k < suffix.length; ++k) {
            key[n + k] = suffix.units[k];
            keyAlternates[n + k] = 0;
        }
        WordId found[kMaxSpanWords];
        const int32_t spelled =
            SpanWords(lexicon, limit, key, keyAlternates, n + suffix.length, found);
        for (int32_t f = 0; f < spelled; ++f) {
            bool seen = false;
            for (int32_t k = 0; k < count; ++k)
                seen = seen || roads[k] == found[f];
            if (!seen && count < kMaxStemRoads) roads[count++] = found[f];
        }
    }
    return count;
}

int32_t RegionsOfStem(const Lexicon* lexicon, int64_t limit, const char16_t* units,
                      const char16_t* alternates, int32_t n, const RoadStemReading& reading,
                      WordId* regions) {
    char16_t other[kMaxRoadStemUnits];
    bool hasOther = false;
    for (int32_t k = 0; k < n; ++k) {
        other[k] = alternates[k] != 0 ? alternates[k] : units[k];
        hasOther = hasOther || alternates[k] != 0;
    }
    const char16_t* const spellings[] = {units, other};
    int32_t count = 0;
    for (int32_t spelling = 0; spelling < (hasOther ? 2 : 1); ++spelling) {
        WordId words[kMaxStemPrefixWords];
        const int32_t listed =
            Lexicon_ListPrefixN(lexicon, spellings[spelling], n, words, kMaxStemPrefixWords);
        for (int32_t k = 0; k < listed && count < kMaxStemRegions; ++k) {
            int32_t length = 0;
            if (!IsModelWord(limit, words[k]) || words[k] < 0 ||
                Lexicon_GetWord(lexicon, words[k], &length) == nullptr || length != n + 1 ||
                !reading.isRegion(reading.context, words[k])) {
                continue;
            }
            bool seen = false;
            for (int32_t r = 0; r < count; ++r)
                seen = seen || regions[r] == words[k];
            if (!seen) regions[count++] = words[k];
        }
    }
    return count;
}

WordId OneRoadAfter(const BigramModel* model, WordId region, const WordId* roads, int32_t count) {
    WordId one = -1;
    for (int32_t k = 0; k < count; ++k) {
        if (FindPairSlot(model, region, roads[k]) == kNoSlot) continue;
        if (one >= 0) return -1;
        one = roads[k];
    }
    return one;
}

bool ListsAnyAfter(const BigramModel* model, WordId region, const WordId* words, int32_t count) {
    for (int32_t k = 0; k < count; ++k) {
        if (FindPairSlot(model, region, words[k]) != kNoSlot) return true;
    }
    return false;
}

}  // namespace vantir
