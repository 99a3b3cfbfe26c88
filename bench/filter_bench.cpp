// The whole filter on the Taiwan sample data, per hypothesis length and per region
// table size, against the floor of fetching and joining the same words' texts.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>
#include <unordered_set>

#include "address/address_grammar.h"
#include "address/tag_codes.h"
#include "bench/bench_support.h"
#include "bench/suite.h"
#include "filter/session.h"
#include "tools/compile/data_build.h"
#include "tools/compile/text_source.h"
#include "tools/run/nbest_reader.h"
#include "vantir/vantir.h"
#include "vantir/vantir.hpp"

namespace vantir::bench {

namespace {

constexpr uint64_t kRegionSeed = 0x7A1u;
constexpr int32_t kHypothesesPerUtterance = 10;
constexpr int32_t kResultsAsked = 10;
constexpr int32_t kResultUnits = 128;  // a stored text and its terminator
constexpr int32_t kDistrictsPerCounty = 17;
constexpr char16_t kFirstHan = 0x4E00;
constexpr uint32_t kHanCount = 0x9FA5 - 0x4E00 + 1;
// Words a recogniser hears before an address; they carry no tags, so a longer
// hypothesis makes the grammar try more start positions.
const char* const kFillerWords[] = {"我", "要", "去", "呃",   "那個",
                                    "嗯", "請", "到", "幫我", "導航"};

namespace fs = std::filesystem;

using WordTexts = std::vector<std::u16string>;

// A data set built with the tooling's own `build` routine, attached as a host would.
struct FilterWorld : AttachedHandles {
    int64_t regionPairs = 0;
    tools::BuiltData built;

    ~FilterWorld() { Release(); }
    std::vector<WordId> Ids(const WordTexts& words) const {
        std::vector<WordId> ids;
        for (const std::u16string& word : words) {
            const WordId id = Lexicon_FindId(lexicon, word.c_str());
            if (id >= 0) ids.push_back(id);
        }
        return ids;
    }
};

std::vector<std::string> SourceLines(const fs::path& path) {
    std::vector<std::string> lines;
    for (const tools::SourceLine& line : tools::ReadSourceLines(path)) {
        if (!line.text.empty() && line.text[0] != '#') lines.push_back(line.text);
    }
    return lines;
}

int64_t SampleRegionPairs(const BenchOptions& options) {
    return static_cast<int64_t>(
        SourceLines(fs::path(options.sampleDataDir) / "regions.tsv").size());
}

std::string HanName(Rng& rng, const char* suffix) {
    std::u16string name;
    for (int i = 0; i < 2; ++i)
        name.push_back(static_cast<char16_t>(kFirstHan + rng.Below(kHanCount)));
    return ToUtf8(name) + suffix;
}

// Sources for a region table of `pairs` entries: the sample's first pairs, or all
// of them followed by made-up counties of 17 districts each, which join the
// vocabulary with the tags of real ones.
tools::BuildInputs ScaledSources(const BenchOptions& options, int64_t pairs, const fs::path& dir) {
    const fs::path sample = options.sampleDataDir;
    std::vector<std::string> vocabulary = SourceLines(sample / "vocabulary.tsv");
    std::vector<std::string> regions = SourceLines(sample / "regions.tsv");
    if (pairs < static_cast<int64_t>(regions.size())) regions.resize(static_cast<size_t>(pairs));
    std::unordered_set<std::string> taken;
    for (const std::string& line : vocabulary)
        taken.insert(line.substr(0, line.find_first_of("\t ")));
    Rng rng(kRegionSeed);
    auto fresh = [&](const char* suffix) {
        std::string name;
        do {
            name = HanName(rng, suffix);
        } while (!taken.insert(name).second);
        return name;
    };
    std::string county;
    while (static_cast<int64_t>(regions.size()) < pairs) {
        if (regions.size() % kDistrictsPerCounty == 0 || county.empty()) {
            county = fresh("縣");
            vocabulary.push_back(county + "\tupper-head");
        }
        const std::string district = fresh("鄉");
        vocabulary.push_back(district + "\tupper-follower lower-head");
        regions.push_back(county + "\t" + district);
    }
    fs::create_directories(dir);
    std::ofstream(dir / "vocabulary.tsv") << [&] {
        std::string text;
        for (const std::string& line : vocabulary)
            text += line + "\n";
        return text;
    }();
    std::ofstream(dir / "regions.tsv") << [&] {
        std::string text;
        for (const std::string& line : regions)
            text += line + "\n";
        return text;
    }();
    tools::BuildInputs inputs;
    inputs.vocabulary = dir / "vocabulary.tsv";
    inputs.regions = dir / "regions.tsv";
    // The national data set has no corpus; its scaled rows then use the uniform model.
    if (fs::exists(sample / "corpus.txt")) inputs.corpus = sample / "corpus.txt";
    return inputs;
}

std::unique_ptr<FilterWorld> MakeWorld(const BenchOptions& options, int64_t pairs) {
    auto world = std::make_unique<FilterWorld>();
    world->regionPairs = pairs;
    const fs::path dir = fs::temp_directory_path() / ("vantir_bench_" + std::to_string(getpid()));
    try {
        tools::BuildInputs inputs = pairs == SampleRegionPairs(options)
                                        ? tools::ResolveBuildInputs(options.sampleDataDir, {})
                                        : ScaledSources(options, pairs, dir);
        tools::Diagnostics diagnostics;
        tools::Progress progress;
        world->built = tools::BuildData(inputs, tools::ModelOptions{}, diagnostics, progress);
    } catch (const std::exception& error) {
        Die(std::string("building the sample data failed: ") + error.what());
    }
    fs::remove_all(dir);
    if (static_cast<int64_t>(world->built.regionPairs) != pairs) Die("region table has wrong size");
    world->Attach(world->built.lexicon.data(), world->built.model.data(),
                  world->built.address.data(), "the sample data");
    // Attached, the postal ranges change nothing until VANTIR_OPTION_POSTAL is set.
    if (!world->built.postal.empty() &&
        Vantir_AttachPostal(world->session, world->built.postal.data()) != VANTIR_OK) {
        Die("the postal blob was refused");
    }
    return world;
}

FilterWorld& WorldFor(const BenchOptions& options, int64_t pairs) {
    static std::unique_ptr<FilterWorld> current;
    if (!current || current->regionPairs != pairs) {
        current.reset();
        current = MakeWorld(options, pairs);
    }
    return *current;
}

// The sample N-best lists, as words, best first.
std::vector<std::vector<WordTexts>> SampleUtterances(const BenchOptions& options) {
    const fs::path path = fs::path(options.sampleDataDir) / "nbest.txt";
    std::vector<std::vector<WordTexts>> utterances;
    try {
        for (const tools::Utterance& utterance : tools::ParseNbest(
                 tools::ReadSourceLines(path), path.string(), tools::NbestFormat::kAuto)) {
            std::vector<WordTexts> hypotheses;
            for (const tools::Hypothesis& hypothesis : utterance.hypotheses) {
                WordTexts words;
                for (const std::string& word : hypothesis.words)
                    words.push_back(ToU16(word));
                hypotheses.push_back(std::move(words));
            }
            utterances.push_back(std::move(hypotheses));
        }
    } catch (const std::exception& error) {
        Die(std::string("reading the sample N-best lists failed: ") + error.what());
    }
    if (utterances.empty()) Die("no sample utterances");
    return utterances;
}

// Every sample hypothesis brought to `length` words: cut after its first words,
// or led by filler words as a recogniser hears them before an address.
std::vector<WordTexts> HypothesesOfLength(const std::vector<std::vector<WordTexts>>& utterances,
                                          size_t length) {
    std::vector<WordTexts> result;
    size_t filler = 0;
    for (const std::vector<WordTexts>& utterance : utterances) {
        for (const WordTexts& hypothesis : utterance) {
            WordTexts words;
            while (words.size() + hypothesis.size() < length) {
                words.push_back(ToU16(kFillerWords[filler]));
                filler = (filler + 1) % std::size(kFillerWords);
            }
            for (size_t i = 0; words.size() < length; ++i)
                words.push_back(hypothesis[i]);
            result.push_back(std::move(words));
        }
    }
    return result;
}

// Ten hypotheses per utterance: its own, then those of the utterances after it.
std::vector<std::vector<WordTexts>> TenBest(const std::vector<std::vector<WordTexts>>& utterances) {
    std::vector<std::vector<WordTexts>> result;
    for (size_t u = 0; u < utterances.size(); ++u) {
        std::vector<WordTexts> list;
        for (size_t next = u; static_cast<int32_t>(list.size()) < kHypothesesPerUtterance;
             next = (next + 1) % utterances.size()) {
            for (const WordTexts& hypothesis : utterances[next]) {
                if (static_cast<int32_t>(list.size()) < kHypothesesPerUtterance) {
                    list.push_back(hypothesis);
                }
            }
        }
        result.push_back(std::move(list));
    }
    return result;
}

// Whether the intake lists region candidates for this hypothesis (an upper
// region directly followed by a trigger), which scans the whole region table.
bool ListsRegions(const FilterWorld& world, const std::vector<WordId>& ids) {
    std::vector<WordId> input = ids;
    input.push_back(-1);
    std::vector<WordId> kept(ids.size() + 10);
    const AddressContext context{&world.session->addressView, world.lexicon, world.model};
    const int32_t k =
        AnalyseAddress(context, input.data(), static_cast<int32_t>(ids.size()), kept.data());
    return k >= 2 && Tagged(context, kept[0], kTagUpperHead) &&
           Tagged(context, kept[1], kTagCompletionTrigger);
}

int32_t AddHypothesis(const FilterWorld& world, const std::vector<WordId>& ids) {
    return Vantir_AddRecogResult(world.session, ids.data(), 0, 0, 0,
                                 static_cast<int32_t>(ids.size()));
}

// The floor: the texts of the same words fetched and joined, nothing else.
int32_t JoinTexts(const FilterWorld& world, const std::vector<WordId>& ids, char16_t* out) {
    int32_t at = 0;
    for (WordId id : ids)
        at += Lexicon_GetWordText(world.lexicon, id, out + at);
    return at;
}

size_t JoinCapacity(const FilterWorld& world, size_t words) {
    return words * static_cast<size_t>(Lexicon_GetMaxWordLength(world.lexicon)) + 1;
}

// One utterance: reset, every hypothesis, then the results read as a host does.
int32_t FilterUtterance(const FilterWorld& world, const std::vector<std::vector<WordId>>& list,
                        char16_t* out, uint32_t options = 0) {
    Vantir_Reset(world.session);
    if (Vantir_SetOptions(world.session, options) != 0) return -1;
    for (const std::vector<WordId>& ids : list) {
        if (AddHypothesis(world, ids) < 0) return -1;
    }
    int32_t count = kResultsAsked;
    Vantir_GetFilterResult(world.session, nullptr, 0, 0, &count);
    count = kResultsAsked;
    return Vantir_GetFilterResult(world.session, out, 0, 0, &count);
}

const char* NoSuchHypotheses() {
    static const std::string message = std::string(kSkippedPrefix) + "no such hypotheses";
    return message.c_str();
}

// Which hypotheses of a length a row times: all, or only those whose intake
// does (or does not) scan the region table for candidates.
enum class Selection { kAll, kListing, kNotListing };

std::vector<std::vector<WordId>> SelectHypotheses(const FilterWorld& world,
                                                  const std::vector<WordTexts>& texts,
                                                  Selection selection) {
    std::vector<std::vector<WordId>> chosen;
    for (const WordTexts& words : texts) {
        std::vector<WordId> ids = world.Ids(words);
        if (selection == Selection::kAll ||
            ListsRegions(world, ids) == (selection == Selection::kListing)) {
            chosen.push_back(std::move(ids));
        }
    }
    return chosen;
}

void RegisterHypothesisLength(const BenchOptions& options, int64_t pairs, size_t length,
                              const std::vector<WordTexts>& texts, const std::string& variant,
                              Selection selection) {
    const std::string row = "filter.add_recog_result";
    const auto size = static_cast<int64_t>(length);
    Register(options, row, variant, "ours", size,
             [&options, pairs, texts, selection](benchmark::State& state) {
                 FilterWorld& world = WorldFor(options, pairs);
                 const auto hypotheses = SelectHypotheses(world, texts, selection);
                 if (hypotheses.empty()) {
                     state.SkipWithError(NoSuchHypotheses());
                     return;
                 }
                 size_t h = 0;
                 int32_t entered = 0;
                 Vantir_Reset(world.session);
                 for (auto _ : state) {
                     if (entered == kHypothesesPerUtterance) {
                         Vantir_Reset(world.session);
                         entered = 0;
                     }
                     if (AddHypothesis(world, hypotheses[h]) < 0) {
                         state.SkipWithError("Vantir_AddRecogResult failed");
                         break;
                     }
                     ++entered;
                     h = h + 1 == hypotheses.size() ? 0 : h + 1;
                 }
                 state.counters["hypotheses"] = static_cast<double>(hypotheses.size());
             });
    Register(options, row, variant, "floor", size,
             [&options, pairs, length, texts, selection](benchmark::State& state) {
                 FilterWorld& world = WorldFor(options, pairs);
                 const auto hypotheses = SelectHypotheses(world, texts, selection);
                 if (hypotheses.empty()) {
                     state.SkipWithError(NoSuchHypotheses());
                     return;
                 }
                 std::vector<char16_t> out(JoinCapacity(world, length));
                 size_t h = 0;
                 for (auto _ : state) {
                     benchmark::DoNotOptimize(JoinTexts(world, hypotheses[h], out.data()));
                     benchmark::ClobberMemory();
                     h = h + 1 == hypotheses.size() ? 0 : h + 1;
                 }
             });
}

void RegisterUtterances(const BenchOptions& options, int64_t pairs, const std::string& variant,
                        const std::vector<std::vector<WordTexts>>& lists) {
    const std::string row = "filter.utterance_10best";
    auto resolve = [lists](const FilterWorld& world) {
        std::vector<std::vector<std::vector<WordId>>> resolved;
        for (const std::vector<WordTexts>& list : lists) {
            std::vector<std::vector<WordId>> ids;
            for (const WordTexts& words : list)
                ids.push_back(world.Ids(words));
            resolved.push_back(std::move(ids));
        }
        return resolved;
    };
    Register(options, row, variant, "ours", pairs,
             [&options, pairs, resolve](benchmark::State& state) {
                 FilterWorld& world = WorldFor(options, pairs);
                 const auto utterances = resolve(world);
                 std::vector<char16_t> out(kResultsAsked * kResultUnits + 1);
                 size_t u = 0;
                 for (auto _ : state) {
                     if (FilterUtterance(world, utterances[u], out.data()) < 0) {
                         state.SkipWithError("an utterance failed");
                         break;
                     }
                     u = u + 1 == utterances.size() ? 0 : u + 1;
                 }
             });
    // Accurate mode beside the default on the same lists: the cost of its
    // evidence, as a ratio; with postal ranges (a data set with ranges.tsv),
    // accurate mode with VANTIR_OPTION_POSTAL beside accurate mode alone.
    const bool postal = variant == "sample" &&
                        fs::exists(fs::path(options.sampleDataDir) / tools::kPostalRangesName);
    using Mode = std::tuple<const char*, const char*, uint32_t>;
    std::vector<Mode> modes;
    if (variant == "sample") {
        modes = {Mode{"accurate", "ours", VANTIR_OPTION_ACCURATE}, Mode{"accurate", "default", 0u}};
    }
    if (postal) {
        modes.push_back(Mode{"postal", "ours", VANTIR_OPTION_ACCURATE | VANTIR_OPTION_POSTAL});
        modes.push_back(Mode{"postal", "accurate", VANTIR_OPTION_ACCURATE});
    }
    for (const auto& [name, impl, mode] : modes) {
        Register(options, row, name, impl, pairs,
                 [&options, pairs, resolve, mode](benchmark::State& state) {
                     FilterWorld& world = WorldFor(options, pairs);
                     const auto utterances = resolve(world);
                     std::vector<char16_t> out(kResultsAsked * kResultUnits + 1);
                     size_t u = 0;
                     for (auto _ : state) {
                         if (FilterUtterance(world, utterances[u], out.data(), mode) < 0) {
                             state.SkipWithError("an utterance failed");
                             break;
                         }
                         u = u + 1 == utterances.size() ? 0 : u + 1;
                     }
                     Vantir_Reset(world.session);
                     Vantir_SetOptions(world.session, 0);
                 });
    }
    Register(options, row, variant, "floor", pairs,
             [&options, pairs, resolve](benchmark::State& state) {
                 FilterWorld& world = WorldFor(options, pairs);
                 const auto utterances = resolve(world);
                 size_t longest = 0;
                 for (const auto& list : utterances) {
                     size_t words = 0;
                     for (const auto& ids : list)
                         words += ids.size();
                     longest = std::max(longest, words);
                 }
                 std::vector<char16_t> out(JoinCapacity(world, longest));
                 size_t u = 0;
                 for (auto _ : state) {
                     int32_t at = 0;
                     for (const std::vector<WordId>& ids : utterances[u])
                         at += JoinTexts(world, ids, out.data() + at);
                     benchmark::DoNotOptimize(at);
                     benchmark::ClobberMemory();
                     u = u + 1 == utterances.size() ? 0 : u + 1;
                 }
             });
}

}  // namespace

void RegisterFilterBenchmarks(const BenchOptions& options) {
    const std::vector<std::vector<WordTexts>> utterances = SampleUtterances(options);
    const int64_t samplePairs = SampleRegionPairs(options);
    for (int64_t length : SizesFor(options, {1, 2, 5, 10, 20, 40})) {
        const std::vector<WordTexts> texts =
            HypothesesOfLength(utterances, static_cast<size_t>(length));
        const auto size = static_cast<size_t>(length);
        RegisterHypothesisLength(options, samplePairs, size, texts, "all", Selection::kAll);
        if (options.quick) continue;
        RegisterHypothesisLength(options, samplePairs, size, texts, "no_listing",
                                 Selection::kNotListing);
        RegisterHypothesisLength(options, samplePairs, size, texts, "listing", Selection::kListing);
    }
    const std::vector<std::vector<WordTexts>> lists = TenBest(utterances);
    for (int64_t pairs : SizesFor(options, {samplePairs, 100, 1000, 10000, 50000}))
        RegisterUtterances(options, pairs, pairs == samplePairs ? "sample" : "scaled", lists);
}

}  // namespace vantir::bench
