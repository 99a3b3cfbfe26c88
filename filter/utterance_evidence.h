// What accurate mode remembers about one utterance beside the result table:
// per entry the support of the hypotheses, and the region words they heard.
#ifndef VANTIR_FILTER_UTTERANCE_EVIDENCE_H
#define VANTIR_FILTER_UTTERANCE_EVIDENCE_H

#include <cstdint>

#include "vantir/types.h"

namespace vantir {

constexpr int32_t kMaxEvidenceEntries = 128;  // one record per result table entry
// Region words heard across one utterance; later ones are not counted.
constexpr int32_t kMaxHeardRegions = 64;
// Hypotheses whose region choices are weighed again by what the others heard;
// the choices of later ones count with their own weights only.
constexpr int32_t kMaxChoiceGroups = 32;
// Choices of one hypothesis: as many as the reading gives (kMaxRegionChoices).
constexpr int32_t kMaxGroupMembers = 16;

struct EntryEvidence {
    double support;     // rank weight x choice weight, summed over the readings
    double pairScore;   // best mean pair score of a reading of this text
    int32_t firstRank;  // 0-based rank of the first hypothesis that gave the text
    // Readings of this text that put another region word in the place of one
    // their hypothesis said (the grammar's completion does, to keep a road the
    // said district lacks): their rank weights, counted at read time by how
    // the utterance heard the two words. The first such pair stands for all.
    WordId heardWord;
    WordId replacingWord;
    // The text names a place (a landmark, or a city's station or airport).
    bool namedPlace;
    // Some hypothesis said every word of the text: none of its words came from
    // region completion or a choice.
    bool heardWhole;
    // The number that the first hypothesis giving the text went on to say
    // without its key (cut short: "… 福興路 兩百 一十二"), or -1.
    int16_t cutNumber;
    double replacingSupport;
};

struct HeardRegion {
    WordId word;
    double weight;  // summed rank weights of the hypotheses that kept the word
};

struct ChoiceMember {
    int32_t entry;  // result table index, or -1 when the table had no room
    WordId word;
    double weight;
};

// The region choices of one hypothesis, to be weighed again at read time.
struct ChoiceGroup {
    double rankWeight;
    // A region word the hypothesis said and its reading left out, when the
    // choices stand in its place (as EntryEvidence::heardWord), else -1.
    WordId heardWord;
    int32_t count;
    ChoiceMember members[kMaxGroupMembers];
};

struct UtteranceEvidence {
    int32_t hypothesisCount;  // hypotheses taken since the last reset
    double totalRankWeight;
    int32_t heardCount;
    int32_t groupCount;
    EntryEvidence entries[kMaxEvidenceEntries];
    HeardRegion heard[kMaxHeardRegions];
    ChoiceGroup groups[kMaxChoiceGroups];
};

// Forgets the utterance; called by Vantir_Reset.
inline void ClearUtteranceEvidence(UtteranceEvidence* evidence) {
    evidence->hypothesisCount = 0;
    evidence->totalRankWeight = 0.0;
    evidence->heardCount = 0;
    evidence->groupCount = 0;
}

}  // namespace vantir

#endif  // VANTIR_FILTER_UTTERANCE_EVIDENCE_H
