// Coverage checks of a built data set: tagged words that the model's listed
// pairs leave without the neighbour the address grammar needs.
#ifndef VANTIR_TOOLS_COVERAGE_H
#define VANTIR_TOOLS_COVERAGE_H

#include <string>
#include <vector>

#include "tools/run/data_dir.h"

namespace vantir::tools {

// One check and the words (or region names) that fail it, in id order.
struct CoverageCheck {
    const char* what;   // plural noun phrase: "roads that follow no lower region"
    const char* means;  // what a team loses and how to mend it
    std::vector<std::string> words;
};

// Runs every check on the blobs; checks that find nothing are left out. The
// model is tested in strict mode (listed pairs only) and left in back-off mode.
std::vector<CoverageCheck> CheckCoverage(LoadedData& data);

// One line: "coverage: no gaps found", or the count of each check that found words.
std::string CoverageSummary(const std::vector<CoverageCheck>& checks);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_COVERAGE_H
