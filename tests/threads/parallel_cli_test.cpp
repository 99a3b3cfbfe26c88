// `vantir filter -j N` and `vantir eval -j N` over the Taiwan sample: the same
// bytes on standard output and standard error as one thread, failures included.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/run/explain.h"
#include "tools/run/explain_report.h"
#include "tools/run/parallel_filter.h"
#include "tools/tool_test_support.h"

using vantir::testing::CliRun;
using vantir::testing::kCliBinary;
using vantir::testing::ReadFile;
using vantir::testing::RunBinary;
using vantir::testing::RunCli;
using vantir::testing::ScratchDir;
using vantir::testing::WriteFile;
using vantir::tools::FilterJob;
using vantir::tools::FilterUtterances;
using vantir::tools::LoadDataDir;
using vantir::tools::LoadedData;
using vantir::tools::Progress;
using vantir::tools::TextUtteranceRun;
using vantir::tools::ToolError;
using vantir::tools::Utterance;
namespace tools = vantir::tools;

namespace {

const std::string kSample = VANTIR_SOURCE_DIR "/data/tw-sample";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ParallelCli : public ::testing::Test {
  protected:
    void SetUp() override {
        if (kCliBinary == nullptr) GTEST_SKIP() << "the vantir binary is not built";
        const CliRun built = RunCli({"build", kSample, "-o", data()});
        ASSERT_EQ(built.status, 0) << built.err;
        // The sample, then an utterance with words the lexicon lacks, so that
        // warnings are part of what must come out alike.
        WriteFile(dir / "nbest.txt", ReadFile(kSample + "/nbest.txt") +
                                         "zz1-1 新北市 某某路 三重區\n"
                                         "zz1-2 某某路 新北市 不知道\n");
    }
    std::string data() const { return (dir / "data").string(); }
    std::string nbest() const { return (dir / "nbest.txt").string(); }

    // Runs `arguments` with -j 1 and with other counts, and expects the same
    // status and bytes from all.
    void ExpectSameForAnyJobs(const std::vector<std::string>& arguments, int status) {
        std::vector<std::string> one = arguments;
        one.insert(one.end(), {"-j", "1"});
        const CliRun expected = RunBinary(one);
        ASSERT_EQ(expected.status, status) << expected.err;
        for (const char* jobs : {"2", "4", "0"}) {
            std::vector<std::string> many = arguments;
            many.insert(many.end(), {"-j", jobs});
            const CliRun run = RunBinary(many);
            EXPECT_EQ(run.status, expected.status) << "-j " << jobs << ": " << run.err;
            EXPECT_EQ(run.out, expected.out) << "-j " << jobs;
            EXPECT_EQ(run.err, expected.err) << "-j " << jobs;
        }
    }

    ScratchDir dir;
};

}  // namespace

TEST_F(ParallelCli, FilterPrintsWhatOneThreadPrints) {
    const CliRun plain = RunBinary({"filter", "--data", data(), nbest()});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_TRUE(Contains(plain.out, "  1. ")) << "the sample should list addresses";
    EXPECT_TRUE(Contains(plain.err, "某某路")) << "unknown words should be named";
    // Without -j one thread runs, in the design's mode.
    const CliRun one = RunBinary({"filter", "--data", data(), "-j", "1", nbest()});
    EXPECT_EQ(one.out, plain.out);

    ExpectSameForAnyJobs({"filter", "--data", data(), nbest()}, 0);
    ExpectSameForAnyJobs({"filter", "--data", data(), kSample + "/hard-nbest.txt"}, 0);
    ExpectSameForAnyJobs({"filter", "--data", data(), "--json", "--max", "2", nbest()}, 0);
    ExpectSameForAnyJobs({"filter", "--data", data(), "--accurate", kSample + "/hard-nbest.txt"},
                         0);
    ExpectSameForAnyJobs({"filter", "--data", data(), "--text", kSample + "/nbest-text.txt"}, 0);
    ExpectSameForAnyJobs(
        {"filter", "--data", data(), "--text", "--json", "--accurate", kSample + "/nbest-text.txt"},
        0);
}

// A failing utterance in the middle of the input (text that is no UTF-8, which
// the file reader would have refused): every run before it is handed on in
// order, then its error, naming it, with any count.
TEST_F(ParallelCli, AWorkerFailureNamesTheUtteranceAfterEveryRunBeforeIt) {
    std::vector<Utterance> utterances;
    for (int k = 0; k < 40; ++k) {
        const std::string id = k == 25 ? "bad" : "u" + std::to_string(k);
        const std::string text = k == 25 ? "新北市\xff三重區" : "新北市三重區正義北路";
        utterances.push_back({id, {{1, k + 1, {text}}}});
    }
    for (int32_t workers : {1, 2, 4}) {
        LoadedData loaded = LoadDataDir(data());
        FilterJob job;
        job.text = true;
        job.maxResults = 4;
        job.workers = workers;
        Progress progress;
        std::vector<std::string> handed;
        try {
            FilterUtterances(loaded, utterances, job, progress, [&](const TextUtteranceRun& run) {
                handed.push_back(run.run.utterance->id);
                EXPECT_FALSE(run.run.results.empty());
            });
            ADD_FAILURE() << workers << " workers: no failure";
        } catch (const ToolError& error) {
            EXPECT_TRUE(Contains(error.what(), "utterance 'bad': line 26")) << error.what();
        }
        ASSERT_EQ(handed.size(), 25u) << workers << " workers";
        for (size_t k = 0; k < handed.size(); ++k)
            EXPECT_EQ(handed[k], "u" + std::to_string(k));
    }
}

// Workers that cannot open their sessions, and a consumer that fails half way
// (a full disk, say), end the run with the error instead of a hang or a loss.
TEST_F(ParallelCli, SessionAndConsumerFailuresReachTheCaller) {
    std::vector<Utterance> utterances;
    for (int k = 0; k < 30; ++k)
        utterances.push_back({"u" + std::to_string(k), {{1, k + 1, {"新北市", "三重區"}}}});
    LoadedData loaded = LoadDataDir(data());
    Progress progress;
    FilterJob refused;
    refused.sessionOptions = 0x80000000u;  // no such option
    refused.maxResults = 4;
    for (int32_t workers : {1, 3}) {
        refused.workers = workers;
        int consumed = 0;
        EXPECT_THROW(FilterUtterances(loaded, utterances, refused, progress,
                                      [&](const TextUtteranceRun&) { ++consumed; }),
                     ToolError);
        EXPECT_EQ(consumed, 0);
    }
    FilterJob job;
    job.maxResults = 4;
    for (int32_t workers : {1, 3}) {
        job.workers = workers;
        int consumed = 0;
        EXPECT_THROW(FilterUtterances(loaded, utterances, job, progress,
                                      [&](const TextUtteranceRun&) {
                                          if (++consumed == 10) throw ToolError("disk full");
                                      }),
                     ToolError);
        EXPECT_EQ(consumed, 10);
    }
}

TEST_F(ParallelCli, EvalCountsWhatOneThreadCounts) {
    ExpectSameForAnyJobs({"eval", "--data", data(), "--nbest", kSample + "/hard-nbest.txt", "--ref",
                          kSample + "/hard-ref.txt", "--compare", "--show-errors"},
                         0);
    ExpectSameForAnyJobs({"eval", "--data", data(), "--nbest", kSample + "/nbest-text.txt", "--ref",
                          kSample + "/ref.txt", "--text"},
                         0);
    // zz1 has no reference: the same failure, before any utterance is filtered.
    ExpectSameForAnyJobs({"eval", "--data", data(), "--nbest", nbest(), "--ref",
                          kSample + "/ref.txt", "--show-errors"},
                         1);
    WriteFile(dir / "ref.txt", ReadFile(kSample + "/ref.txt") + "zz1 新北市三重區\n");
    ExpectSameForAnyJobs({"eval", "--data", data(), "--nbest", nbest(), "--ref",
                          (dir / "ref.txt").string(), "--show-errors"},
                         0);
}

TEST_F(ParallelCli, JobCountsOutsideTheRangeAreRefusedByValue) {
    for (const char* jobs : {"-1", "257", "many"}) {
        const CliRun run = RunCli({"filter", "--data", data(), "-j", jobs, nbest()});
        EXPECT_EQ(run.status, 2) << jobs;
        EXPECT_TRUE(Contains(run.err, jobs)) << run.err;
    }
}

// The bar goes to standard error only when it is a terminal and the input is
// large; standard output is the same either way.
TEST_F(ParallelCli, ProgressOnlyOnATerminalForLargeInputs) {
    const std::string sample = ReadFile(kSample + "/nbest.txt");
    std::string large;
    for (int copy = 0; copy < 9; ++copy) {
        std::istringstream lines(sample);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.empty() || line[0] == '#') continue;
            large += "c" + std::to_string(copy) + line + "\n";
        }
    }
    WriteFile(dir / "large.txt", large);
    auto run = [&](const std::string& input, bool terminal) {
        const std::vector<std::string> owned = {"vantir", "filter", "--data", data(),
                                                "-j",     "2",      input};
        std::vector<const char*> argv;
        for (const std::string& argument : owned)
            argv.push_back(argument.c_str());
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(vantir::tools::RunVantir(static_cast<int>(argv.size()), argv.data(), out, err,
                                           terminal),
                  0);
        return CliRun{0, out.str(), err.str()};
    };
    const CliRun shown = run((dir / "large.txt").string(), true);
    EXPECT_TRUE(Contains(shown.err, "filtering: 100% [")) << shown.err;
    EXPECT_TRUE(Contains(shown.err, "1080/1080 utterances")) << shown.err;
    const CliRun piped = run((dir / "large.txt").string(), false);
    EXPECT_FALSE(Contains(piped.err, "filtering"));
    EXPECT_EQ(piped.out, shown.out);
    const CliRun small = run(nbest(), true);
    EXPECT_FALSE(Contains(small.err, "filtering"));
}

// Explanations only read the model: one thread explains every sample hypothesis
// while two workers filter the sample, and reports and listings are those of
// one thread alone (ThreadSanitizer checks the rest).
TEST_F(ParallelCli, ExplanationsRunBesideFilteringThreads) {
    LoadedData loaded = LoadDataDir(data());
    const std::string path = kSample + "/nbest.txt";
    const std::vector<Utterance> utterances =
        tools::ParseNbest(tools::ReadSourceLines(path), path, tools::NbestFormat::kAuto);
    auto explainAll = [&] {
        std::string reports;
        for (const Utterance& utterance : utterances) {
            for (const tools::Hypothesis& hypothesis : utterance.hypotheses) {
                const tools::WordLookup lookup =
                    tools::LookUpWords(loaded.lexicon.get(), hypothesis.words);
                std::ostringstream out;
                tools::PrintExplanation(loaded, tools::ExplainHypothesis(loaded, lookup.ids), out);
                reports += out.str();
            }
        }
        return reports;
    };
    auto listAll = [&](int32_t workers) {
        FilterJob job;
        job.maxResults = 128;
        job.workers = workers;
        Progress progress;
        std::vector<std::vector<std::string>> lists;
        FilterUtterances(loaded, utterances, job, progress,
                         [&](const TextUtteranceRun& run) { lists.push_back(run.run.results); });
        return lists;
    };
    const std::string alone = explainAll();
    const std::vector<std::vector<std::string>> oneThread = listAll(1);
    EXPECT_TRUE(Contains(alone, "results         1. ")) << "the reports should list results";
    std::string beside;
    std::thread explainer([&] { beside = explainAll(); });
    const std::vector<std::vector<std::string>> twoThreads = listAll(2);
    explainer.join();
    EXPECT_EQ(beside, alone);
    EXPECT_EQ(twoThreads, oneThread);
}
