// Sessions on several threads over one model, lexicon and address database
// (VANTIR_OPTION_SHARED_MODEL): every listing equals the one-thread listing.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "bigram/test_models.h"
#include "tools/compile/data_build.h"
#include "tools/run/data_dir.h"
#include "tools/run/nbest_reader.h"
#include "vantir/vantir.h"

namespace {

namespace tools = vantir::tools;

constexpr int kThreads = 4;
constexpr int kRounds = 20;

using IdUtterance = std::vector<std::vector<WordId>>;  // hypotheses, best first
using Listing = std::vector<char16_t>;                 // the listing call's block

// The Taiwan sample built from its sources, its N-best lists as word ids.
struct SampleWorld {
    tools::BuiltData built;
    Lexicon* lexicon = nullptr;
    BigramModel* model = nullptr;
    std::vector<IdUtterance> utterances;

    SampleWorld() {
        tools::Diagnostics diagnostics;
        tools::Progress progress;
        built = tools::BuildData(tools::ResolveBuildInputs(VANTIR_SOURCE_DIR "/data/tw-sample", {}),
                                 tools::ModelOptions{}, diagnostics, progress);
        lexicon = Lexicon_Create(nullptr, 0, 0);
        model = BigramModel_Create(nullptr);
        EXPECT_GE(Lexicon_AttachBlob(lexicon, built.lexicon.data()), 0);
        EXPECT_EQ(BigramModel_AttachBlob(model, built.model.data()), 0);
        const std::string path = VANTIR_SOURCE_DIR "/data/tw-sample/nbest.txt";
        for (const tools::Utterance& utterance :
             tools::ParseNbest(tools::ReadSourceLines(path), path, tools::NbestFormat::kAuto)) {
            IdUtterance ids;
            for (const tools::Hypothesis& hypothesis : utterance.hypotheses) {
                ids.push_back(tools::LookUpWords(lexicon, hypothesis.words).ids);
            }
            utterances.push_back(ids);
        }
    }
    ~SampleWorld() {
        BigramModel_Destroy(model);
        Lexicon_Destroy(lexicon);
    }
    SampleWorld(const SampleWorld&) = delete;
    SampleWorld& operator=(const SampleWorld&) = delete;

    FilterSession* NewSession(uint32_t options) const {
        FilterSession* session = Vantir_Init(model, lexicon, built.address.data());
        EXPECT_NE(session, nullptr);
        EXPECT_EQ(Vantir_SetOptions(session, options), 0);
        return session;
    }
};

// One utterance as a host runs it. Failures are counted, not asserted: this
// runs on worker threads too.
Listing RunUtterance(FilterSession* session, const IdUtterance& utterance, int* failures) {
    if (Vantir_Reset(session) != 0) ++*failures;
    for (const std::vector<WordId>& ids : utterance) {
        if (Vantir_AddRecogResult(session, ids.data(), 0, 0, 0, static_cast<int32_t>(ids.size())) !=
            0) {
            ++*failures;
        }
    }
    int32_t count = 1000;
    const int32_t units = Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
    Listing listing(static_cast<size_t>(units > 0 ? units : 1));
    if (Vantir_GetFilterResult(session, listing.data(), 0, 0, &count) != units) ++*failures;
    return listing;
}

std::vector<Listing> RunAll(FilterSession* session, const std::vector<IdUtterance>& utterances,
                            int* failures) {
    std::vector<Listing> listings;
    for (const IdUtterance& utterance : utterances)
        listings.push_back(RunUtterance(session, utterance, failures));
    return listings;
}

// The design's behaviour: one session without options on one thread.
std::vector<Listing> OneThreadListings(const SampleWorld& world) {
    FilterSession* session = world.NewSession(0);
    int failures = 0;
    std::vector<Listing> listings = RunAll(session, world.utterances, &failures);
    EXPECT_EQ(failures, 0);
    Vantir_Release(session);
    return listings;
}

TEST(SharedModel, ThreadsOverOneModelListWhatOneThreadLists) {
    SampleWorld world;
    ASSERT_GT(world.utterances.size(), 50u);
    const std::vector<Listing> expected = OneThreadListings(world);
    int nonEmpty = 0;
    for (const Listing& listing : expected)
        nonEmpty += listing.size() > 1 ? 1 : 0;
    ASSERT_GT(nonEmpty, 50) << "the sample should yield addresses";

    // The host leaves the model in strict mode; shared sessions must not move it.
    BigramModel_SetStrictMode(world.model);
    std::vector<int> mismatches(kThreads, 0);
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            FilterSession* session = world.NewSession(VANTIR_OPTION_SHARED_MODEL);
            for (int round = 0; round < kRounds; ++round) {
                // Each thread starts at another utterance, so that different
                // utterances overlap in time.
                const size_t n = world.utterances.size();
                for (size_t k = 0; k < n; ++k) {
                    const size_t u = (k + static_cast<size_t>(t) * n / kThreads) % n;
                    if (RunUtterance(session, world.utterances[u], &failures[t]) != expected[u]) {
                        ++mismatches[t];
                    }
                }
            }
            Vantir_Release(session);
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
        EXPECT_EQ(failures[t], 0) << "thread " << t;
    }
    EXPECT_EQ(BigramModel_GetMode(world.model), 0);
}

// With the extra pair table the mode switch installs another strict scorer; a
// shared session must pick the same one, and only from the model as it is at
// the call (the table takes effect without any switch).
TEST(SharedModel, ScoresWithTheExtraPairTableAsTheModeSwitchWould) {
    SampleWorld world;
    const std::vector<Listing> withoutTable = OneThreadListings(world);

    // Adjacent pairs of the lower hypotheses get a passing extra score, so
    // that some addresses the rows reject now pass.
    vantir::testing::ExtraTable extra;
    for (const IdUtterance& utterance : world.utterances) {
        for (size_t h = 1; h < utterance.size(); ++h) {
            for (size_t i = 1; i < utterance[h].size(); ++i)
                extra.Add(utterance[h][i - 1], utterance[h][i], -100);
        }
    }
    const std::vector<uint8_t> alt(static_cast<size_t>(world.built.words) + 1, 0);
    FilterSession* shared = world.NewSession(VANTIR_OPTION_SHARED_MODEL);
    BigramModel_SetBackoffMode(world.model);
    ASSERT_EQ(vantir::testing::GiveTables(world.model, alt, extra), 0);

    int failures = 0;
    const std::vector<Listing> sharedListings = RunAll(shared, world.utterances, &failures);
    EXPECT_EQ(BigramModel_GetMode(world.model), 1);
    const std::vector<Listing> designListings = OneThreadListings(world);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(sharedListings, designListings);
    EXPECT_NE(sharedListings, withoutTable) << "the table should change some listing";
    Vantir_Release(shared);
}

}  // namespace
