// `-j N` when workers fail: the run ends with the first failing utterance's
// error after every run before it, however the workers interleave, and never hangs.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tools/run/parallel_filter.h"
#include "tools/tool_test_support.h"

using vantir::testing::CliRun;
using vantir::testing::RunCli;
using vantir::testing::ScratchDir;
using vantir::testing::WriteSmallSources;
using vantir::tools::FilterJob;
using vantir::tools::FilterUtterances;
using vantir::tools::LoadDataDir;
using vantir::tools::LoadedData;
using vantir::tools::Progress;
using vantir::tools::TextUtteranceRun;
using vantir::tools::ToolError;
using vantir::tools::Utterance;

namespace {

// Longest a run may take, ThreadSanitizer's slowness included, before it counts as hung.
constexpr auto kPatience = std::chrono::seconds(120);
// How long a held worker waits for the others to fail.
constexpr auto kHoldAtMost = std::chrono::milliseconds(250);

const std::string kGoodText = "臺北市大安區忠孝東路四段";
const std::string kBadText = "臺北市\xff大安區";  // no UTF-8: the utterance fails

struct Outcome {
    std::vector<std::string> handed;  // utterance ids, in the order handed on
    std::string error;                // empty when the run succeeded
};

// FilterUtterances on a thread of its own. A run still going after kPatience
// is hung: its threads can never be joined, so the process ends with the report.
Outcome RunWatched(LoadedData& data, const std::vector<Utterance>& utterances,
                   const FilterJob& job) {
    Outcome outcome;
    std::packaged_task<void()> task([&] {
        Progress progress;
        try {
            FilterUtterances(data, utterances, job, progress, [&](const TextUtteranceRun& run) {
                outcome.handed.push_back(run.run.utterance->id);
            });
        } catch (const ToolError& error) {
            outcome.error = error.what();
        }
    });
    std::future<void> finished = task.get_future();
    std::thread runner(std::move(task));
    if (finished.wait_for(kPatience) != std::future_status::ready) {
        std::fprintf(stderr, "FilterUtterances with %d workers hung after a worker failed\n",
                     job.workers);
        std::_Exit(EXIT_FAILURE);
    }
    runner.join();
    return outcome;
}

// Utterances u0, u1, ... as text, those at `bad` undecodable.
std::vector<Utterance> TextUtterances(size_t count, const std::set<size_t>& bad) {
    std::vector<Utterance> utterances;
    for (size_t k = 0; k < count; ++k) {
        const int32_t line = static_cast<int32_t>(k + 1);
        utterances.push_back(
            {"u" + std::to_string(k), {{1, line, {bad.count(k) ? kBadText : kGoodText}}}});
    }
    return utterances;
}

// What one thread does with the same utterances: every run before the first
// bad one, then its error.
void ExpectOneThreadsOutcome(const Outcome& outcome, size_t firstBad, const std::string& what) {
    ASSERT_EQ(outcome.handed.size(), firstBad) << what;
    for (size_t k = 0; k < firstBad; ++k)
        EXPECT_EQ(outcome.handed[k], "u" + std::to_string(k)) << what;
    EXPECT_TRUE(outcome.error.starts_with("utterance 'u" + std::to_string(firstBad) + "': line " +
                                          std::to_string(firstBad + 1)))
        << what << ": " << outcome.error;
}

class WorkerFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteSmallSources(dir / "src");
        const CliRun built =
            RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
        ASSERT_EQ(built.status, 0) << built.err;
        data = LoadDataDir(dir / "out");
    }

    FilterJob TextJob(int32_t workers) const {
        FilterJob job;
        job.text = true;
        job.maxResults = 4;
        job.workers = workers;
        return job;
    }

    ScratchDir dir;
    LoadedData data;
};

}  // namespace

// One worker takes u0 and is held there until another has taken u1 and failed
// on it; the held worker must still finish u0, which the caller waits for.
TEST_F(WorkerFailure, AWorkerHeldAfterTakingAnUtteranceStillFinishesIt) {
    const std::vector<Utterance> utterances = TextUtterances(8, {1});
    std::mutex mutex;
    std::condition_variable moved;
    size_t furthest = 0;
    FilterJob job = TextJob(2);
    job.afterTake = [&](size_t k) {
        std::unique_lock<std::mutex> lock(mutex);
        furthest = std::max(furthest, k);
        moved.notify_all();
        // u0's worker waits until the failing u1 is behind the other worker.
        if (k == 0) moved.wait_for(lock, kHoldAtMost, [&] { return furthest >= 2; });
    };
    for (int round = 0; round < 5; ++round) {
        furthest = 0;
        ExpectOneThreadsOutcome(RunWatched(data, utterances, job), 1,
                                "round " + std::to_string(round));
    }
}

// Many runs with failures at random places and workers held at random moments.
TEST_F(WorkerFailure, RandomFailuresAndDelaysEndLikeOneThread) {
    constexpr int kRounds = 40;
    constexpr size_t kUtterances = 24;
    std::mt19937 random(20240611);
    for (int round = 0; round < kRounds; ++round) {
        std::set<size_t> bad;
        const size_t failures = 1 + random() % 3;
        while (bad.size() < failures)
            bad.insert(random() % kUtterances);
        const int32_t workers = static_cast<int32_t>(2 + random() % 5);
        FilterJob job = TextJob(workers);
        const unsigned seed = random();
        job.afterTake = [seed](size_t k) {
            // Deterministic per utterance, so that no state is shared between workers.
            std::minstd_rand pause(seed + static_cast<unsigned>(k));
            if (pause() % 3 == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(pause() % 3000));
        };
        ExpectOneThreadsOutcome(
            RunWatched(data, TextUtterances(kUtterances, bad), job), *bad.begin(),
            "round " + std::to_string(round) + ", " + std::to_string(workers) + " workers");
    }
}
