// Running the utterances of an N-best file through a filter session, as a host
// would: reset, one call per hypothesis best first, then the ranked texts.
#ifndef VANTIR_TOOLS_FILTER_RUN_H
#define VANTIR_TOOLS_FILTER_RUN_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "filter/result_confidence.h"
#include "tools/compile/diagnostics.h"
#include "tools/run/data_dir.h"
#include "tools/run/nbest_reader.h"

namespace vantir::tools {

struct HypothesisRun {
    const Hypothesis* hypothesis = nullptr;
    std::vector<std::string> unknown;  // words left out: the lexicon lacks them
    int32_t code = 0;                  // what Vantir_AddRecogResult returned
    // The line is one unknown word longer than any word of the lexicon: most
    // likely recogniser text without blanks, given without --text.
    bool looksUnsegmented = false;
};

struct UtteranceRun {
    const Utterance* utterance = nullptr;
    std::vector<HypothesisRun> hypotheses;
    std::vector<std::string> results;    // UTF-8 addresses, ranked; never an empty text
    std::vector<int32_t> emptyRanks;     // table ranks (from 1) that hold the empty text
    int32_t resultCode = 0;              // 0, or the code of a failed listing
    std::vector<ResultDetails> details;  // when asked for: one per result, in the same order
    // With the details, what their confidences were computed from.
    std::vector<std::array<double, kConfidenceFeatureCount>> features;
};

// Empties the session's table and gives it the VANTIR_OPTION_* bits; fails with
// a ToolError when the library refuses them.
void UseSessionOptions(LoadedData& data, uint32_t options);

// Unknown words get a warning naming the word and the line; the hypothesis is
// filtered without them. Up to maxResults addresses are kept; empty texts in
// the table are left out of them and their ranks noted.
UtteranceRun RunUtterance(LoadedData& data, const Utterance& utterance, const std::string& file,
                          Diagnostics& diagnostics, int32_t maxResults);

// The same through a session of the caller's over the data's lexicon: hosts
// that filter on several threads give each its own session.
UtteranceRun RunUtterance(Session& session, const Lexicon* lexicon, const Utterance& utterance,
                          const std::string& file, Diagnostics& diagnostics, int32_t maxResults);

// The same without warnings, the unknown words only noted in the run: what a
// worker thread does, since it must not touch the command's diagnostics.
UtteranceRun FilterUtterance(Session& session, const Lexicon* lexicon, const Utterance& utterance,
                             int32_t maxResults);

// The warnings RunUtterance gives for a run: one per unknown word, naming its
// line; a line that looks unsegmented gets a hint to give --text instead.
void ReportUnknownWords(const UtteranceRun& run, const std::string& file, Diagnostics& diagnostics);

// The session's table into the run, as RunUtterance reads it.
void ReadRunResults(Session& session, int32_t maxResults, UtteranceRun* run);

// The details of the run's results (Vantir_GetResultInfo) from the session that
// still holds the utterance; a failed reading leaves them out and sets the code.
void ReadRunDetails(Session& session, UtteranceRun* run);

// The same for any holder of `results` results: appends their details and
// features; returns 0 or the code of a failed reading.
int32_t ReadResultDetails(Session& session, size_t results, std::vector<ResultDetails>& details,
                          std::vector<std::array<double, kConfidenceFeatureCount>>& features);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_FILTER_RUN_H
