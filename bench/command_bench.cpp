// The whole path of `vantir filter` per utterance (read the file, look the words
// up, filter, format the output) beside the library's own calls on the same
// lists with the word ids looked up beforehand: what the tooling adds.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <streambuf>

#include "bench/bench_support.h"
#include "bench/suite.h"
#include "tools/compile/data_build.h"
#include "tools/compile/text_source.h"
#include "tools/run/batch_filter.h"
#include "tools/run/data_dir.h"
#include "tools/run/nbest_reader.h"

namespace vantir::bench {

namespace {

namespace fs = std::filesystem;

// The data set's lists repeated under other ids to this many copies, so that a
// pass reads a file of a few thousand utterances, as a batch job does.
constexpr int32_t kCommandCopies = 10;
constexpr int32_t kCommandResultsAsked = 10;
// The windows of the streamed row: the ten copies (2.8 MB) make about 40.
constexpr size_t kCommandWindowBytes = size_t{64} << 10;
constexpr int32_t kCommandResultUnits = 128;  // a stored text and its terminator
constexpr const char* kItemsPerIteration = "items_per_iteration";

// Output that goes nowhere, as `> /dev/null` would take it.
class Discard : public std::streambuf {
  protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The data set built and loaded as `vantir filter --data` loads it, and its
// lists written out repeated.
struct CommandWorld {
    fs::path dir;
    tools::LoadedData data;
    fs::path lists;
    size_t utterances = 0;
    std::vector<std::vector<std::vector<WordId>>> ids;  // per utterance and hypothesis

    ~CommandWorld() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

CommandWorld& CommandWorldFor(const BenchOptions& options) {
    static std::unique_ptr<CommandWorld> world;
    if (world) return *world;
    world = std::make_unique<CommandWorld>();
    world->dir = fs::temp_directory_path() / ("vantir_command_bench_" + std::to_string(getpid()));
    fs::create_directories(world->dir / "data");
    const fs::path source = options.sampleDataDir;
    try {
        tools::Diagnostics quiet;
        tools::Progress silent;
        const tools::BuiltData built = tools::BuildData(tools::ResolveBuildInputs(source, {}),
                                                        tools::ModelOptions{}, quiet, silent);
        auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
            std::ofstream(world->dir / "data" / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        };
        write(tools::kLexiconBlobName, built.lexicon);
        write(tools::kModelBlobName, built.model);
        write(tools::kAddressBlobName, built.address);
        world->data = tools::LoadDataDir(world->dir / "data");

        std::string text;
        for (int32_t copy = 0; copy < kCommandCopies; ++copy) {
            for (const tools::SourceLine& line : tools::ReadSourceLines(source / "nbest.txt")) {
                if (line.text.empty() || line.text[0] == '#') continue;
                // Piece by piece: GCC 12 at -O3 warns of a chain of + (-Wrestrict).
                text += 'c';
                text += std::to_string(copy);
                text += '_';
                text += line.text;
                text += '\n';
            }
        }
        world->lists = world->dir / "lists.nbest";
        std::ofstream(world->lists, std::ios::binary) << text;
        tools::Diagnostics warnings;
        const tools::NbestFile input =
            tools::ReadNbestFile(world->lists, tools::NbestFormat::kAuto, warnings);
        world->utterances = input.size();
        for (const tools::Utterance& utterance : input.ToUtterances()) {
            std::vector<std::vector<WordId>> hypotheses;
            for (const tools::Hypothesis& hypothesis : utterance.hypotheses)
                hypotheses.push_back(
                    tools::LookUpWords(world->data.lexicon.get(), hypothesis.words).ids);
            world->ids.push_back(std::move(hypotheses));
        }
    } catch (const std::exception& error) {
        Die(std::string("preparing the command path failed: ") + error.what());
    }
    if (world->utterances == 0) Die("no lists to filter in " + source.string());
    return *world;
}

void RegisterCommandPath(const BenchOptions& options) {
    const std::string row = "filter.command_path";
    // The size names the copies of the lists a pass reads.
    Register(options, row, "lists", "ours", kCommandCopies, [&options](benchmark::State& state) {
        CommandWorld& world = CommandWorldFor(options);
        Discard nowhere;
        std::ostream out(&nowhere);
        tools::BatchJob job;
        job.settings.maxResults = Session::kAllResults;
        tools::PrintOptions print;
        for (auto _ : state) {
            tools::Diagnostics warnings;
            tools::Progress silent;
            const tools::NbestFile input =
                tools::ReadNbestFile(world.lists, tools::NbestFormat::kAuto, warnings);
            tools::FilterAndPrint(world.data, input, job, print, out, warnings, silent);
        }
        state.counters[kItemsPerIteration] = static_cast<double>(world.utterances);
    });
    // The library's calls on the same lists, as a host that has the ids makes
    // them: reset, one call a hypothesis, the results read as the 10-best row reads them.
    Register(options, row, "lists", "library", kCommandCopies, [&options](benchmark::State& state) {
        CommandWorld& world = CommandWorldFor(options);
        FilterSession* session = world.data.session.get();
        Vantir_Reset(session);
        Vantir_SetOptions(session, 0);
        std::vector<char16_t> texts(kCommandResultsAsked * kCommandResultUnits + 1);
        for (auto _ : state) {
            for (const std::vector<std::vector<WordId>>& utterance : world.ids) {
                Vantir_Reset(session);
                for (const std::vector<WordId>& hypothesis : utterance) {
                    Vantir_AddRecogResult(session, hypothesis.data(), 0, 0, 0,
                                          static_cast<int32_t>(hypothesis.size()));
                }
                int32_t count = kCommandResultsAsked;
                Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
                count = kCommandResultsAsked;
                benchmark::DoNotOptimize(
                    Vantir_GetFilterResult(session, texts.data(), 0, 0, &count));
            }
        }
        state.counters[kItemsPerIteration] = static_cast<double>(world.utterances);
    });
    // The command's path as it reads an input of any size: a window at a time
    // (small windows here, so that the lists make many), against the same
    // lists read whole.
    auto windowed = [&options](benchmark::State& state, size_t windowBytes) {
        CommandWorld& world = CommandWorldFor(options);
        Discard nowhere;
        std::ostream out(&nowhere);
        tools::BatchJob job;
        job.settings.maxResults = Session::kAllResults;
        tools::PrintOptions print;
        for (auto _ : state) {
            tools::Diagnostics warnings;
            tools::Progress silent;
            tools::NbestStream stream(world.lists, tools::NbestFormat::kAuto, warnings, 1,
                                      windowBytes);
            tools::NbestFile input;
            while (stream.Next(input))
                tools::FilterAndPrint(world.data, input, job, print, out, warnings, silent);
        }
        state.counters[kItemsPerIteration] = static_cast<double>(world.utterances);
    };
    Register(options, row, "windows", "ours", kCommandCopies,
             [windowed](benchmark::State& state) { windowed(state, kCommandWindowBytes); });
    Register(options, row, "windows", "whole", kCommandCopies,
             [windowed](benchmark::State& state) { windowed(state, SIZE_MAX); });
}

}  // namespace

void RegisterCommandBenchmarks(const BenchOptions& options) {
    RegisterCommandPath(options);
}

}  // namespace vantir::bench
