// Utterances per second on one and on two threads: every sample N-best list
// filtered by sessions with VANTIR_OPTION_SHARED_MODEL over one shared model
// (vantir_bench_threads, which keeps the library's own heap).
#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "bench/suite.h"
#include "tools/compile/data_build.h"
#include "tools/run/data_dir.h"
#include "tools/run/nbest_reader.h"
#include "vantir/vantir.h"

namespace vantir::bench {

namespace {

namespace fs = std::filesystem;

// Each timed batch filters the sample this many times over, so that starting
// the threads is a small part of it.
constexpr int32_t kRoundsPerBatch = 40;
constexpr int32_t kResultsAsked = 10;
constexpr int32_t kResultUnits = 128;  // a stored text and its terminator
constexpr int32_t kMostThreads = 2;

using Utterance = std::vector<std::vector<WordId>>;  // hypotheses, best first

// The sample data built with the tooling, attached as a host would, one
// shared-model session per thread, and the sample's N-best lists as ids.
struct SharedWorld {
    tools::BuiltData built;
    Lexicon* lexicon = nullptr;
    BigramModel* model = nullptr;
    std::vector<FilterSession*> sessions;
    std::vector<Utterance> utterances;

    ~SharedWorld() {
        for (FilterSession* session : sessions)
            Vantir_Release(session);
        BigramModel_Destroy(model);
        Lexicon_Destroy(lexicon);
    }
};

std::unique_ptr<SharedWorld> MakeSharedWorld(const BenchOptions& options) {
    auto world = std::make_unique<SharedWorld>();
    const fs::path nbest = fs::path(options.sampleDataDir) / "nbest.txt";
    std::vector<tools::Utterance> parsed;
    try {
        tools::Diagnostics diagnostics;
        tools::Progress progress;
        world->built = tools::BuildData(tools::ResolveBuildInputs(options.sampleDataDir, {}),
                                        tools::ModelOptions{}, diagnostics, progress);
        parsed = tools::ParseNbest(tools::ReadSourceLines(nbest), nbest.string(),
                                   tools::NbestFormat::kAuto);
    } catch (const std::exception& error) {
        Die(std::string("building the sample data failed: ") + error.what());
    }
    world->lexicon = Lexicon_Create(nullptr, 0, 0);
    world->model = BigramModel_Create(nullptr);
    if (Lexicon_AttachBlob(world->lexicon, world->built.lexicon.data()) < 0 ||
        BigramModel_AttachBlob(world->model, world->built.model.data()) != 0) {
        Die("sample blobs do not attach");
    }
    for (int32_t k = 0; k < kMostThreads; ++k) {
        FilterSession* session =
            Vantir_Init(world->model, world->lexicon, world->built.address.data());
        if (session == nullptr || Vantir_SetOptions(session, VANTIR_OPTION_SHARED_MODEL) != 0) {
            Die("the sample data refuses a shared-model session");
        }
        world->sessions.push_back(session);
    }
    for (const tools::Utterance& utterance : parsed) {
        Utterance ids;
        for (const tools::Hypothesis& hypothesis : utterance.hypotheses)
            ids.push_back(tools::LookUpWords(world->lexicon, hypothesis.words).ids);
        world->utterances.push_back(std::move(ids));
    }
    if (world->utterances.empty()) Die("no sample utterances");
    return world;
}

// Built on first use and kept for the run: both rows share it.
const SharedWorld& WorldOnce(const BenchOptions& options) {
    static const std::unique_ptr<SharedWorld> world = MakeSharedWorld(options);
    return *world;
}

// One utterance as a host runs it; false when a call fails.
bool FilterOne(FilterSession* session, const Utterance& utterance, char16_t* out) {
    if (Vantir_Reset(session) != 0) return false;
    for (const std::vector<WordId>& ids : utterance) {
        if (Vantir_AddRecogResult(session, ids.data(), 0, 0, 0, static_cast<int32_t>(ids.size())) <
            0) {
            return false;
        }
    }
    int32_t count = kResultsAsked;
    return Vantir_GetFilterResult(session, out, 0, 0, &count) >= 0;
}

// One batch on `threads` threads, each taking the next utterance as a batch
// job would; false when any call failed.
bool FilterBatch(const SharedWorld& world, int32_t threads) {
    const size_t total = world.utterances.size() * kRoundsPerBatch;
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&](FilterSession* session) {
        std::vector<char16_t> out(kResultsAsked * kResultUnits + 1);
        for (size_t k = next++; k < total; k = next++) {
            if (!FilterOne(session, world.utterances[k % world.utterances.size()], out.data())) {
                failed = true;
            }
        }
    };
    std::vector<std::thread> workers;
    for (int32_t t = 0; t < threads; ++t)
        workers.emplace_back(work, world.sessions[static_cast<size_t>(t)]);
    for (std::thread& worker : workers)
        worker.join();
    return !failed;
}

}  // namespace

void RegisterThreadBenchmarks(const BenchOptions& options) {
    // Two threads against one on the same batches: the scaling is the inverse
    // of the ratio. Wall time, since the work is spread over cores.
    for (const auto& [impl, threads] : {std::pair<const char*, int32_t>{"ours", kMostThreads},
                                        std::pair<const char*, int32_t>{"one_thread", 1}}) {
        Register(options, "filter.threads", "sample", impl, kMostThreads,
                 [&options, threads](benchmark::State& state) {
                     const SharedWorld& world = WorldOnce(options);
                     for (auto _ : state) {
                         if (!FilterBatch(world, threads)) {
                             state.SkipWithError("an utterance failed");
                             break;
                         }
                     }
                     const double perBatch =
                         static_cast<double>(world.utterances.size()) * kRoundsPerBatch;
                     state.counters["utterances_per_second"] =
                         benchmark::Counter(perBatch * static_cast<double>(state.iterations()),
                                            benchmark::Counter::kIsRate);
                 })
            ->UseRealTime();
    }
}

}  // namespace vantir::bench
