// Region pair source: an upper region name and a lower region name a line (for
// example county and district), optionally followed by a postcode, not used.
#ifndef VANTIR_TOOLS_REGION_READER_H
#define VANTIR_TOOLS_REGION_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/compile/diagnostics.h"
#include "tools/compile/text_source.h"
#include "tools/compile/vocabulary_reader.h"

namespace vantir::tools {

struct RegionSourcePair {
    std::string upper;  // UTF-8
    std::string lower;
    int32_t line = 0;
};

struct RegionSource {
    std::string file;
    std::vector<RegionSourcePair> pairs;  // in source order: the table order
};

// Parses the lines of a region pair file. Fails on a line with fewer than two
// fields or more than three, a third field that is no postcode, or an upper
// name that is also the lower name; warns about a pair listed twice.
RegionSource ParseRegions(const std::vector<SourceLine>& lines, const std::string& file,
                          Diagnostics& diagnostics);

// Checks the pairs against the vocabulary: both names must be words (fails
// otherwise, since the filter finds them through the lexicon); warns when an
// upper name lacks the upper-head tag, a lower name lacks the lower-head tag,
// or a lower name is too long to be matched by region completion.
void CheckRegionsAgainstVocabulary(const RegionSource& regions, const Vocabulary& vocabulary,
                                   Diagnostics& diagnostics);

// Longest lower name, in UTF-16 units, that region completion can match.
constexpr int32_t kMaxCompletedNameUnits = 7;

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_REGION_READER_H
