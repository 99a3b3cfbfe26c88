// Worker threads take the next utterance from a shared counter and park its run
// (or its failure) in the utterance's slot; the calling thread hands the slots
// on in order.
#include "tools/run/parallel_filter.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "tools/compile/diagnostics.h"
#include "tools/run/sound_alike_run.h"

namespace vantir::tools {

namespace {

constexpr const char* kProgressLabel = "filtering";
constexpr const char* kProgressUnits = "utterances";

// One utterance's outcome: its run, or what stopped it.
struct Slot {
    std::optional<TextUtteranceRun> run;
    std::exception_ptr failure;
    bool Filled() const { return run.has_value() || failure != nullptr; }
};

// What the workers and the calling thread share. A slot is written by the one
// worker that took its utterance and read by the calling thread once filled.
struct SharedWork {
    SharedWork(const std::vector<Utterance>& given, const FilterJob& filterJob)
        : utterances(given), job(filterJob), slots(given.size()) {}

    const std::vector<Utterance>& utterances;
    const FilterJob& job;
    std::atomic<size_t> next{0};
    // Set after a failure or when the calling thread leaves: no utterance is
    // taken any more, but every one taken is finished and parked, so every
    // slot before a failed one is filled.
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable filled;
    std::vector<Slot> slots;  // guarded by mutex
};

Session OpenWorkerSession(LoadedData& data, const FilterJob& job) {
    Expected<Session> session =
        Session::Create(data.model.get(), data.lexicon.get(), data.address.data());
    if (!session) throw ToolError("cannot open a worker session: " + session.error().message);
    AttachSoundsOf(data, session->get());
    const uint32_t options = job.sessionOptions | VANTIR_OPTION_SHARED_MODEL;
    const int32_t code = Vantir_SetOptions(session->get(), options);
    if (code != VANTIR_OK) {
        throw ToolError("the worker sessions refused options " + std::to_string(options) +
                        " (code " + std::to_string(code) + ": " + Vantir_ErrorMessage(code) + ")");
    }
    return std::move(*session);
}

void Park(SharedWork& work, size_t k, Slot slot) {
    const std::lock_guard<std::mutex> lock(work.mutex);
    if (slot.failure) work.stop = true;
    work.slots[k] = std::move(slot);
    work.filled.notify_all();
}

void Work(SharedWork& work, LoadedData& data) {
    std::optional<Session> session;
    // The stop flag is read before an utterance is taken, never after: the
    // calling thread waits for the slots in order, and an utterance taken but
    // left unparked because another worker failed meanwhile would keep it
    // waiting for ever.
    while (!work.stop) {
        const size_t k = work.next++;
        if (k >= work.utterances.size()) return;
        if (work.job.afterTake) work.job.afterTake(k);
        Slot slot;
        try {
            if (!session) session = OpenWorkerSession(data, work.job);
            slot.run = FilterOne(*session, data.lexicon.get(), work.utterances[k], work.job);
        } catch (...) {
            slot.failure = std::current_exception();
        }
        Park(work, k, std::move(slot));
    }
}

// Joins the workers however the calling thread leaves, stopping them first
// when it leaves early (a failed consumer, say).
class WorkerGroup {
  public:
    explicit WorkerGroup(SharedWork& work) : work_(work) {}
    ~WorkerGroup() {
        work_.stop = true;
        for (std::thread& thread : threads_)
            thread.join();
    }
    WorkerGroup(const WorkerGroup&) = delete;
    WorkerGroup& operator=(const WorkerGroup&) = delete;

    void Start(int32_t count, LoadedData& data) {
        for (int32_t i = 0; i < count; ++i)
            threads_.emplace_back(Work, std::ref(work_), std::ref(data));
    }

  private:
    SharedWork& work_;
    std::vector<std::thread> threads_;
};

}  // namespace

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

namespace {

void FilterOnThisThread(LoadedData& data, const std::vector<Utterance>& utterances,
                        const FilterJob& job, Progress& progress, const RunConsumer& consume) {
    const size_t total = utterances.size();
    const bool showProgress = total >= kProgressMinUtterances;
    UseSessionOptions(data, job.sessionOptions);
    for (size_t k = 0; k < total; ++k) {
        consume(FilterOne(data.session, data.lexicon.get(), utterances[k], job));
        if (showProgress) progress.Count(kProgressLabel, k + 1, total, kProgressUnits);
    }
}

void FilterOnWorkers(LoadedData& data, const std::vector<Utterance>& utterances,
                     const FilterJob& job, Progress& progress, const RunConsumer& consume) {
    const size_t total = utterances.size();
    const bool showProgress = total >= kProgressMinUtterances;
    SharedWork work(utterances, job);
    WorkerGroup group(work);
    // More workers than utterances would only wait.
    group.Start(static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(job.workers), total)),
                data);
    for (size_t k = 0; k < total; ++k) {
        Slot slot;
        {
            std::unique_lock<std::mutex> lock(work.mutex);
            work.filled.wait(lock, [&] { return work.slots[k].Filled(); });
            slot = std::move(work.slots[k]);
            work.slots[k] = Slot{};
        }
        if (slot.failure) std::rethrow_exception(slot.failure);
        consume(*slot.run);
        if (showProgress) progress.Count(kProgressLabel, k + 1, total, kProgressUnits);
    }
}

}  // namespace

void FilterUtterances(LoadedData& data, const std::vector<Utterance>& utterances,
                      const FilterJob& job, Progress& progress, const RunConsumer& consume) {
    try {
        if (job.workers <= 1) {
            FilterOnThisThread(data, utterances, job, progress, consume);
        } else {
            FilterOnWorkers(data, utterances, job, progress, consume);
        }
    } catch (...) {
        progress.Finish();  // the error message starts a line of its own
        throw;
    }
    progress.Finish();
}

}  // namespace vantir::tools
