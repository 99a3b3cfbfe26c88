// Text intake: Vantir_SegmentText on the sample hypotheses written as text, by
// text length and by lexicon size, beside the floor of looking up the same
// words one by one when the recogniser has already split them.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "address/address_db_writer.h"
#include "bench/bench_support.h"
#include "bench/suite.h"
#include "tools/compile/data_build.h"
#include "tools/compile/text_source.h"
#include "tools/run/nbest_reader.h"
#include "vantir/vantir.hpp"

namespace vantir::bench {

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kLexiconSeed = 0x5E6u;
constexpr char16_t kFirstHan = 0x4E00;
constexpr uint32_t kHanCount = 0x9FA5 - 0x4E00 + 1;
constexpr int32_t kUniformUnigram = -60;  // every synthetic word, so no word is favoured
constexpr size_t kTypicalUnits = 20;      // a hypothesis as a recogniser writes it

// A lexicon, a model and a session, as a host holds them.
struct TextWorld : AttachedHandles {
    std::vector<uint8_t> lexiconBlob;
    std::vector<uint8_t> modelBlob;
    std::vector<uint8_t> addressBlob;

    ~TextWorld() { Release(); }
    void Open() { Attach(lexiconBlob.data(), modelBlob.data(), addressBlob.data(), "text intake"); }
};

// The sample data set, built once; its hypotheses as word lists.
struct Sample {
    TextWorld world;
    std::vector<std::vector<std::u16string>> hypotheses;
    std::vector<uint8_t> sounds;  // empty without Debian's Unihan readings
};

Sample& SampleFor(const BenchOptions& options) {
    static std::unique_ptr<Sample> sample;
    if (sample) return *sample;
    sample = std::make_unique<Sample>();
    const fs::path dir = options.sampleDataDir;
    tools::Diagnostics quiet;
    tools::Progress silent;
    tools::BuildInputs inputs = tools::ResolveBuildInputs(dir, {});
    if (fs::exists(tools::kUnihanReadingsPath)) inputs.readings = tools::kUnihanReadingsPath;
    tools::BuiltData built = tools::BuildData(inputs, {}, quiet, silent);
    sample->sounds = std::move(built.sounds);
    sample->world.lexiconBlob = std::move(built.lexicon);
    sample->world.modelBlob = std::move(built.model);
    sample->world.addressBlob = std::move(built.address);
    sample->world.Open();
    const auto utterances = tools::ParseNbest(tools::ReadSourceLines(dir / "nbest.txt"),
                                              "nbest.txt", tools::NbestFormat::kAuto);
    for (const tools::Utterance& utterance : utterances) {
        for (const tools::Hypothesis& hypothesis : utterance.hypotheses) {
            std::vector<std::u16string> words;
            for (const std::string& word : hypothesis.words)
                words.push_back(ToU16(word));
            sample->hypotheses.push_back(std::move(words));
        }
    }
    return *sample;
}

std::u16string Joined(const std::vector<std::u16string>& words) {
    std::u16string text;
    for (const std::u16string& word : words)
        text += word;
    return text;
}

// Texts of exactly `units` units, cut from the sample hypotheses run together.
std::vector<std::u16string> TextsOfLength(const Sample& sample, size_t units) {
    std::u16string all;
    for (const auto& words : sample.hypotheses)
        all += Joined(words);
    std::vector<std::u16string> texts;
    for (size_t at = 0; at + units <= all.size() && texts.size() < 64; at += units)
        texts.push_back(all.substr(at, units));
    return texts;
}

void TimeSegmenting(benchmark::State& state, const TextWorld& world,
                    const std::vector<std::u16string>& texts) {
    std::vector<WordId> ids(1024);
    size_t k = 0;
    size_t units = 0;
    for (auto _ : state) {
        const std::u16string& text = texts[k];
        const int32_t n =
            Vantir_SegmentText(world.session, text.data(), static_cast<int32_t>(text.size()),
                               ids.data(), static_cast<int32_t>(ids.size()));
        if (n < 0) {
            state.SkipWithError("Vantir_SegmentText failed");
            break;
        }
        benchmark::DoNotOptimize(ids.data());
        units += text.size();
        k = k + 1 == texts.size() ? 0 : k + 1;
    }
    state.counters["units_per_text"] =
        static_cast<double>(units) / static_cast<double>(state.iterations());
}

// The floor: the words the recogniser would have split, looked up one by one.
void TimeWordLookups(benchmark::State& state, const TextWorld& world,
                     const std::vector<std::vector<std::u16string>>& hypotheses) {
    size_t k = 0;
    for (auto _ : state) {
        for (const std::u16string& word : hypotheses[k]) {
            benchmark::DoNotOptimize(
                Lexicon_FindIdN(world.lexicon, word.data(), static_cast<int32_t>(word.size())));
        }
        k = k + 1 == hypotheses.size() ? 0 : k + 1;
    }
}

// A lexicon of `words` words: the sample's own, then random two- to four-
// character Han words; a model over them with one score for every word.
std::unique_ptr<TextWorld> SyntheticWorld(const Sample& sample, int64_t words) {
    auto world = std::make_unique<TextWorld>();
    std::u16string list;
    int64_t listed = 0;
    for (WordId id = 0; id < Lexicon_GetStaticCount(sample.world.lexicon); ++id, ++listed)
        list += WordText(sample.world.lexicon, id) + u"\n";
    Rng rng(kLexiconSeed);
    for (; listed < words; ++listed) {
        const uint32_t length = 2 + rng.Below(3);
        for (uint32_t i = 0; i < length; ++i)
            list.push_back(static_cast<char16_t>(kFirstHan + rng.Below(kHanCount)));
        list.push_back(u'\n');
    }
    list.push_back(0);
    Lexicon* builder = Lexicon_Create(nullptr, 0, 0);
    int32_t size = 0;
    const void* blob = Lexicon_BuildBlob(builder, list.data(), &size);
    if (blob == nullptr) Die("text intake: cannot build a lexicon of " + std::to_string(words));
    const auto* bytes = static_cast<const uint8_t*>(blob);
    world->lexiconBlob.assign(bytes, bytes + size);
    const int32_t count = Lexicon_GetStaticCount(builder);
    Lexicon_Destroy(builder);

    BigramModel* modelBuilder = BigramModel_Create(nullptr);
    void* modelBlob = BigramModel_NewBlob(modelBuilder, count, 1, &size);
    if (modelBlob == nullptr) Die("text intake: cannot build a model");
    std::vector<WordId> ids(static_cast<size_t>(count));
    std::vector<int32_t> scores(static_cast<size_t>(count), kUniformUnigram);
    for (int32_t id = 0; id < count; ++id)
        ids[static_cast<size_t>(id)] = id;
    BigramModel_SetUnigramScores(modelBuilder, ids.data(), scores.data(), count);
    const auto* modelBytes = static_cast<const uint8_t*>(modelBlob);
    world->modelBlob.assign(modelBytes, modelBytes + size);
    BigramModel_Destroy(modelBuilder);

    AddressDbSource source;
    source.wordTags.resize(static_cast<size_t>(count));
    world->addressBlob = WriteAddressDb(source);
    world->Open();
    return world;
}

}  // namespace

void RegisterTextIntakeBenchmarks(const BenchOptions& options) {
    const std::string row = "text.segment";
    // The sample hypotheses with their blanks removed, beside their word lookups.
    Register(options, row, "sample", "ours", 0, [&options](benchmark::State& state) {
        Sample& sample = SampleFor(options);
        std::vector<std::u16string> texts;
        for (const auto& words : sample.hypotheses)
            texts.push_back(Joined(words));
        TimeSegmenting(state, sample.world, texts);
    });
    Register(options, row, "sample", "floor", 0, [&options](benchmark::State& state) {
        Sample& sample = SampleFor(options);
        TimeWordLookups(state, sample.world, sample.hypotheses);
    });
    // The same with sound-alike reading: every stretch is also looked up by its
    // sound key (VANTIR_OPTION_SOUND_ALIKE with the sample's sounds blob).
    Register(options, row, "sound-alike", "ours", 0, [&options](benchmark::State& state) {
        Sample& sample = SampleFor(options);
        if (sample.sounds.empty()) {
            state.SkipWithError("no sounds blob: install Debian's unicode-data");
            return;
        }
        std::vector<std::u16string> texts;
        for (const auto& words : sample.hypotheses)
            texts.push_back(Joined(words));
        FilterSession* session = sample.world.session;
        if (Vantir_AttachSounds(session, sample.sounds.data()) != 0 ||
            Vantir_SetOptions(session, VANTIR_OPTION_SOUND_ALIKE) != 0) {
            Die("text intake: the sounds blob was refused");
        }
        TimeSegmenting(state, sample.world, texts);
        Vantir_SetOptions(session, 0);
        Vantir_AttachSounds(session, nullptr);
    });
    Register(options, row, "sound-alike", "spelling", 0, [&options](benchmark::State& state) {
        Sample& sample = SampleFor(options);
        std::vector<std::u16string> texts;
        for (const auto& words : sample.hypotheses)
            texts.push_back(Joined(words));
        TimeSegmenting(state, sample.world, texts);
    });
    // The same with the lexicon's look-up index, which every span look-up uses.
    Register(options, row, "sample", "indexed", 0, [&options](benchmark::State& state) {
        Sample& sample = SampleFor(options);
        std::vector<std::u16string> texts;
        for (const auto& words : sample.hypotheses)
            texts.push_back(Joined(words));
        if (Lexicon_BuildLookupIndex(sample.world.lexicon) != 0) Die("no look-up index");
        TimeSegmenting(state, sample.world, texts);
        Lexicon_DropLookupIndex(sample.world.lexicon);
    });
    // Growth with the text's length, on the sample data.
    for (int64_t units : SizesFor(
             options, {static_cast<int64_t>(kTypicalUnits), 5, 10, 40, 80, 160, 320, 640, 1280})) {
        Register(options, row, "length", "ours", units, [&options, units](benchmark::State& state) {
            Sample& sample = SampleFor(options);
            TimeSegmenting(state, sample.world, TextsOfLength(sample, static_cast<size_t>(units)));
        });
    }
    // Growth with the lexicon's size, 20-unit texts.
    for (int64_t words : SizesFor(options, {1000, 10000, 100000, 1000000})) {
        Register(options, row, "lexicon", "ours", words,
                 [&options, words](benchmark::State& state) {
                     Sample& sample = SampleFor(options);
                     static std::unique_ptr<TextWorld> world;
                     static int64_t worldWords = 0;
                     if (worldWords != words) {
                         world.reset();
                         world = SyntheticWorld(sample, words);
                         worldWords = words;
                     }
                     TimeSegmenting(state, *world, TextsOfLength(sample, kTypicalUnits));
                     state.counters["longest_word"] = Lexicon_GetMaxWordLength(world->lexicon);
                 });
    }
}

}  // namespace vantir::bench
