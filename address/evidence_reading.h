// Accurate mode's reading of one hypothesis: the grammar's address with every
// region word that may complete it, each weighted by what the data supports.
#ifndef VANTIR_ADDRESS_EVIDENCE_READING_H
#define VANTIR_ADDRESS_EVIDENCE_READING_H

#include <cstdint>

#include "address/address_context.h"

namespace vantir {

struct GrammarTrace;

// Region words kept per hypothesis. Four counties share the most common
// district name; a county rarely has more districts on one road than this.
constexpr int32_t kMaxRegionChoices = 16;
// Scores are -32 log10 p in the models this project trains; weights are
// compared as probabilities.
constexpr double kScorePerDecade = 32.0;

// Where the chosen region word goes in the kept words.
enum class ChoicePlace : int32_t {
    kNone,         // the kept words are the address as they are
    kBeforeFirst,  // a county before a lone district: [u, kept...]
    kAfterFirst,   // a district between a county and a road: [x, w, kept[1]...]
};

struct RegionChoice {
    WordId word;
    double weight;  // evidence; the weights of one hypothesis sum to 1
};

struct AddressReading {
    int32_t kept;  // words written to the output
    ChoicePlace place;
    int32_t choiceCount;
    RegionChoice choices[kMaxRegionChoices];  // heaviest first
    double pairScore;  // mean model score of the kept words' neighbouring pairs
};

inline void ClearRegionChoices(AddressReading* reading) {
    reading->place = ChoicePlace::kNone;
    reading->choiceCount = 0;
}

// Reads `count` words followed by -1 into output[0..] (room for count + 10
// words) with the grammar engine's accurate policy: as the grammar does, except that (a) a lone
// district, before a road or alone, lists every county the region pairs give it whose pairs pass,
// weighted by the model's pairs of county and district and of county and road, (b) a county
// directly before a road lists its districts weighted by how well each, and no
// same-named district of another county, explains the road, and (c) a number
// before 弄 or 號 is kept when its words form a whole number, even where the
// model never saw them before that word, and (d) a section said in two words
// faces the road's pair test of its one-word spelling when the lexicon has it. Scores in strict
// mode; leaves the model in back-off mode. Returns reading->kept. With
// `trace`, the engine's steps are noted there.
int32_t ReadAddressWithEvidence(const AddressContext& context, const WordId* words, int32_t count,
                                WordId* output, AddressReading* reading,
                                GrammarTrace* trace = nullptr);

// The weights behind (a) and (b), in strict mode; a road of -1 weighs the
// counties of a district said without one. Each writes at most
// kMaxRegionChoices choices, heaviest first, weights summing to 1, and returns
// their number (0 when no word passes).
int32_t WeighCountiesOfDistrict(const AddressContext& context, WordId district, WordId road,
                                RegionChoice* choices);
int32_t WeighDistrictsOfCounty(const AddressContext& context, WordId county, WordId road,
                               RegionChoice* choices);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_EVIDENCE_READING_H
