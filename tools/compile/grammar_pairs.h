// The word pairs the address grammar tests, generated from the vocabulary's
// tags, the region pairs and the road tables, and merged into a model.
#ifndef VANTIR_TOOLS_GRAMMAR_PAIRS_H
#define VANTIR_TOOLS_GRAMMAR_PAIRS_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/compile/arpa_model.h"
#include "tools/compile/region_reader.h"
#include "tools/compile/road_table.h"
#include "tools/compile/vocabulary_reader.h"

namespace vantir::tools {

// One pair the grammar needs, with the grammar step that tests it.
struct GrammarPair {
    std::string first;
    std::string second;
    const char* step;
};

// Every pair a well-formed address of the data needs to pass the grammar:
//   upper -> lower region       each region pair (head; completion)
//   lower region -> road        each road row of every table (completion)
//   upper region -> road        each road row (completion when the lower one is left out)
//   road -> section word        each section of a road, in any district (first segment)
//   number word -> key          every first-prefix or second-prefix word before every
//                               third-lead and third-key word (third segment)
//   opener -> follower          every head-opener before every opener-follower (head)
//   bound opener -> lower       every bound-head-opener before every lower-head word (head)
// Each pair once, in that order. Fails, naming the line, on a road row whose
// names are not in the vocabulary or whose section names no section word;
// warns about a road without the completion-trigger tag and about a road row
// whose county and district form no region pair.
std::vector<GrammarPair> GenerateGrammarPairs(const Vocabulary& vocabulary,
                                              const RegionSource& regions,
                                              const std::vector<RoadTable>& roads,
                                              Diagnostics& diagnostics);

// A model for data without a corpus or ARPA file: every word (and </s>) equally
// likely, no back-off penalty; the generated pairs then decide what is legal.
ArpaModel UniformModel(const Vocabulary& vocabulary);

// Lists the generated pairs that the model does not list yet. A pair gets the
// log10 probability the model would give it by backing off, bow(first) +
// log10 P(second), so that listing it makes it legal without changing its
// score. Returns how many pairs were added.
size_t AddGrammarPairs(ArpaModel& model, const std::vector<GrammarPair>& pairs);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_GRAMMAR_PAIRS_H
