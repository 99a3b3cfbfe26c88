// Why the results of a whole utterance come in their order: each hypothesis
// explained, then every result with its support, evidence and confidence.
#ifndef VANTIR_TOOLS_EXPLAIN_UTTERANCE_H
#define VANTIR_TOOLS_EXPLAIN_UTTERANCE_H

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

#include "filter/result_confidence.h"
#include "tools/run/data_dir.h"
#include "tools/run/explain.h"

namespace vantir::tools {

struct UtteranceResult {
    ResultDetails details;
    std::array<double, kConfidenceFeatureCount> features{};  // what the confidence weighs
    std::vector<int32_t> ranks;  // 1-based ranks of the hypotheses that give the text
};

struct UtteranceExplanation {
    bool accurate = false;
    std::vector<Explanation> hypotheses;   // each on its own, as `explain` shows one
    std::vector<int32_t> codes;            // each hypothesis' intake into the utterance
    std::vector<UtteranceResult> results;  // ranked, empty texts left out
    int32_t resultCode = 0;                // 0, or a failed listing's code
};

// Explains each hypothesis (best first) and enters all of them into one
// session with the data session's options, as a host would.
UtteranceExplanation ExplainUtterance(LoadedData& data,
                                      const std::vector<std::vector<WordId>>& hypotheses);

// Each hypothesis' report under a heading, then the utterance's results with
// what ordered them.
void PrintUtteranceExplanation(const LoadedData& data, const UtteranceExplanation& u,
                               std::ostream& out);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_EXPLAIN_UTTERANCE_H
