// Filtering the utterances of an N-best file on several threads: one session per
// worker over the shared model, lexicon and database, runs handed on in input order.
#ifndef VANTIR_TOOLS_PARALLEL_FILTER_H
#define VANTIR_TOOLS_PARALLEL_FILTER_H

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/compile/progress.h"
#include "tools/run/data_dir.h"
#include "tools/run/filter_run.h"
#include "tools/run/nbest_reader.h"
#include "tools/run/text_hypotheses.h"

namespace vantir::tools {

// Most worker threads `-j` accepts; more only queue on the cores.
constexpr int32_t kMaxWorkers = 256;
// Inputs of fewer utterances finish too soon to need a progress bar.
constexpr size_t kProgressMinUtterances = 1000;

// The workers `-j N` asks for: N, or with 0 one per core the machine reports
// (1 when it reports none).
int32_t WorkersFor(int32_t requested);

// What every utterance goes through.
struct FilterJob {
    uint32_t sessionOptions = 0;  // VANTIR_OPTION_ACCURATE or 0; workers add SHARED_MODEL
    bool text = false;            // hypotheses are recogniser text (Vantir_AddRecogText)
    const SimplifiedToTaiwan* convert = nullptr;  // converts text first when set
    int32_t maxResults = 0;
    int32_t workers = 1;   // 1: the data's own session on the calling thread
    bool details = false;  // read the results' details into the runs
    // Tests only: called by a worker right after it has taken utterance k and
    // before anything else, to hold it there while other workers run on; the
    // tool leaves it empty.
    std::function<void(size_t k)> afterTake;
};

// A session of a worker thread over the data, with the options and
// VANTIR_OPTION_SHARED_MODEL; a ToolError when it cannot be opened or refuses them.
Session OpenWorkerSession(LoadedData& data, uint32_t sessionOptions);

// The job's run of one utterance on `session`. A ToolError names the utterance.
TextUtteranceRun FilterOne(Session& session, const Lexicon* lexicon, const Utterance& utterance,
                           const FilterJob& job);

using RunConsumer = std::function<void(const TextUtteranceRun& run)>;

// Filters every utterance and hands each run to `consume` on the calling thread,
// in input order, as soon as it and all before it are done; the progress bar is
// drawn there too. One worker uses the data's own session in the design's mode,
// as a single-threaded host would. More workers each open a session with
// VANTIR_OPTION_SHARED_MODEL, which scores exactly alike, so the runs are the
// same. A failure (a worker's or the consumer's) is thrown on the calling
// thread once every utterance before it has been handed on, as one thread
// would; unknown words are left in the runs for the caller to report.
void FilterUtterances(LoadedData& data, const std::vector<Utterance>& utterances,
                      const FilterJob& job, Progress& progress, const RunConsumer& consume);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_PARALLEL_FILTER_H
