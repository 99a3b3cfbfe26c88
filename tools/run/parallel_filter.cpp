// The utterances of a parsed N-best list on worker threads, each with its own
// session, their runs handed on in input order (tools/run/ordered_batches.h).
#include "tools/run/parallel_filter.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "tools/compile/diagnostics.h"
#include "tools/run/ordered_batches.h"
#include "tools/run/postal_run.h"
#include "tools/run/sound_alike_run.h"

namespace vantir::tools {

namespace {

constexpr const char* kProgressLabel = "filtering";
constexpr const char* kProgressUnits = "utterances";

// A worker's session: its own, or the data's when one thread filters.
struct RunWorker {
    std::optional<Session> own;
    Session* session = nullptr;
};

}  // namespace

Session OpenWorkerSession(LoadedData& data, uint32_t sessionOptions) {
    Expected<Session> session =
        Session::Create(data.model.get(), data.lexicon.get(), data.address.data());
    if (!session) throw ToolError("cannot open a worker session: " + session.error().message);
    AttachSoundsOf(data, session->get());
    AttachPostalOf(data, session->get());
    const uint32_t options = sessionOptions | VANTIR_OPTION_SHARED_MODEL;
    const int32_t code = Vantir_SetOptions(session->get(), options);
    if (code != VANTIR_OK) {
        throw ToolError("the worker sessions refused options " + std::to_string(options) +
                        " (code " + std::to_string(code) + ": " + Vantir_ErrorMessage(code) + ")");
    }
    return std::move(*session);
}

int32_t WorkersFor(int32_t requested) {
    if (requested > 0) return requested;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int32_t>(std::min<unsigned>(cores, kMaxWorkers));
}

TextUtteranceRun FilterOne(Session& session, const Lexicon* lexicon, const Utterance& utterance,
                           const FilterJob& job) {
    try {
        TextUtteranceRun run;
        if (job.text) {
            run = RunTextUtterance(session, lexicon, utterance, job.convert, job.maxResults);
        } else {
            run.run = FilterUtterance(session, lexicon, utterance, job.maxResults);
        }
        // The session still holds the utterance.
        if (job.details) ReadRunDetails(session, &run.run);
        return run;
    } catch (const ToolError& error) {
        throw ToolError("utterance " + Shown(utterance.id) + ": " + error.what());
    }
}

void FilterUtterances(LoadedData& data, const std::vector<Utterance>& utterances,
                      const FilterJob& job, Progress& progress, const RunConsumer& consume) {
    const size_t total = utterances.size();
    const bool showProgress = total >= kProgressMinUtterances;
    size_t handed = 0;
    OrderedWork<RunWorker, std::vector<TextUtteranceRun>> plan;
    plan.open = [&] {
        RunWorker worker;
        if (job.workers <= 1) {
            worker.session = &data.session;
        } else {
            worker.own.emplace(OpenWorkerSession(data, job.sessionOptions));
        }
        return worker;
    };
    plan.work = [&](RunWorker& worker, size_t k, std::vector<TextUtteranceRun>& batch) {
        Session& session = worker.own ? *worker.own : *worker.session;
        batch.push_back(FilterOne(session, data.lexicon.get(), utterances[k], job));
    };
    plan.consume = [&](std::vector<TextUtteranceRun>& batch, size_t) {
        for (const TextUtteranceRun& run : batch) {
            consume(run);
            ++handed;
            if (showProgress) progress.Count(kProgressLabel, handed, total, kProgressUnits);
        }
    };
    plan.afterTake = job.afterTake;
    try {
        // One worker uses the data's own session in the design's mode.
        if (job.workers <= 1) UseSessionOptions(data, job.sessionOptions);
        RunOrdered(total, job.workers, plan);
    } catch (...) {
        progress.Finish();  // the error message starts a line of its own
        throw;
    }
    progress.Finish();
}

}  // namespace vantir::tools
