// Source parsing, blob building and the cross-checks of `vantir build`.
// The model comes from an ARPA file or is trained from the corpus.
#include "tools/compile/data_build.h"

#include <algorithm>

#include "address/compose_text.h"
#include "tools/compile/alias_table.h"
#include "tools/compile/arpa_model.h"
#include "tools/compile/bigram_trainer.h"
#include "tools/compile/blob_examiner.h"
#include "tools/compile/grammar_pairs.h"
#include "tools/compile/region_reader.h"
#include "tools/compile/session_view.h"
#include "tools/compile/vocabulary_reader.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

void CheckBlob(const std::vector<uint8_t>& bytes, const char* name, BlobReport& report) {
    report = InspectBlob(bytes.data(), bytes.size());
    if (!report.WellFormed()) {
        throw ToolError(std::string(name) + ": built blob is malformed: " + report.problems[0]);
    }
}

// A hypothesis that keeps only such words enters the empty text as a result,
// which hosts must skip; the composition is the filter's own.
void WarnAboutWordsWithoutText(const FilterSession* session, const Vocabulary& vocabulary,
                               const WordNumbering& numbering, Diagnostics& diagnostics) {
    constexpr size_t kListed = 10;
    std::vector<const VocabularyEntry*> silent;
    for (const VocabularyEntry& entry : vocabulary.entries) {
        const WordId id = numbering.ids.at(entry.word);
        char16_t text[kComposeBufferCapacity];
        if (ComposeResultText(SessionAddressContext(session), &id, 1, text,
                              kComposeBufferCapacity) == 0) {
            silent.push_back(&entry);
        }
    }
    if (silent.empty()) return;
    std::string what = std::to_string(silent.size()) +
                       (silent.size() == 1 ? " word composes" : " words compose") +
                       " to no text (only '@'/'!' marks, or one unit closed by tag 32), so an "
                       "address of only such words is the empty text:";
    for (size_t k = 0; k < silent.size() && k < kListed; ++k) {
        what += (k == 0 ? " " : ", ") + Shown(silent[k]->word) + " (line " +
                std::to_string(silent[k]->line) + ")";
    }
    if (silent.size() > kListed)
        what += " and " + std::to_string(silent.size() - kListed) + " more";
    diagnostics.Warn(vocabulary.file, 0, what);
}

// Attaches the built blobs as a host would and opens a session over them.
void CheckAsHost(const BuiltData& built, const RegionSource& regions, const Vocabulary& vocabulary,
                 const WordNumbering& numbering, Diagnostics& diagnostics) {
    Expected<LexiconHandle> lexicon =
        AttachLexicon(BlobBuffer::CopyOf(built.lexicon.data(), built.lexicon.size()));
    if (!lexicon) throw ToolError(std::string(kLexiconBlobName) + ": " + lexicon.error().message);
    Expected<ModelHandle> model =
        AttachModel(BlobBuffer::CopyOf(built.model.data(), built.model.size()));
    if (!model) throw ToolError(std::string(kModelBlobName) + ": " + model.error().message);
    const BlobBuffer address = BlobBuffer::CopyOf(built.address.data(), built.address.size());
    if (BigramModel_GetStaticCount(model->get()) != numbering.wordCount) {
        throw ToolError("model and lexicon number different words");
    }
    for (const RegionSourcePair& pair : regions.pairs) {
        for (const std::string* name : {&pair.upper, &pair.lower}) {
            if (FindWord(lexicon->get(), ToUtf16(*name).value()) != numbering.ids.at(*name)) {
                Fail(regions.file, pair.line, "name " + Shown(*name) + " is found at another id");
            }
        }
    }
    Expected<Session> session = Session::Create(model->get(), lexicon->get(), address.data());
    if (!session) throw ToolError(std::string(kAddressBlobName) + ": " + session.error().message);
    WarnAboutWordsWithoutText(session->get(), vocabulary, numbering, diagnostics);
}

ArpaModel ModelSource(const BuildInputs& inputs, const Vocabulary& vocabulary,
                      Diagnostics& diagnostics, Progress& progress, std::string& file) {
    if (!inputs.arpa && !inputs.corpus) {
        file = "(uniform model)";
        return UniformModel(vocabulary);
    }
    if (inputs.arpa) {
        file = DisplayName(*inputs.arpa);
        return ParseArpa(ReadSourceLines(*inputs.arpa), file, diagnostics);
    }
    file = DisplayName(*inputs.corpus);
    const std::vector<Sentence> sentences =
        ParseCorpus(ReadSourceLines(*inputs.corpus), file, vocabulary);
    if (sentences.empty()) Fail(file, 0, "the corpus holds no address");
    return TrainWittenBell(sentences, vocabulary, progress);
}

// The road tables of a source directory, in name order. An entry of a table's
// name that is no file (a directory, say) is kept, so that reading it fails
// instead of the table being left out unnoticed.
std::vector<std::filesystem::path> RoadTablesIn(const std::filesystem::path& sourceDir) {
    std::vector<std::filesystem::path> tables;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(sourceDir, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(kRoadsPrefix) && name.ends_with(kRoadsSuffix)) {
            tables.push_back(entry.path());
        }
    }
    std::sort(tables.begin(), tables.end());
    return tables;
}

}  // namespace

uint32_t SetIdentityOf(const std::vector<const std::vector<uint8_t>*>& blobs) {
    constexpr uint32_t kFnvOffset = 2166136261u;
    constexpr uint32_t kFnvPrime = 16777619u;
    uint32_t digest = kFnvOffset;
    auto mix = [&](uint8_t byte) { digest = (digest ^ byte) * kFnvPrime; };
    for (const std::vector<uint8_t>* blob : blobs) {
        // The size first, so that bytes cannot move from one blob to the next.
        const uint64_t size = blob->size();
        for (int shift = 0; shift < 64; shift += 8)
            mix(static_cast<uint8_t>(size >> shift));
        for (const uint8_t byte : *blob)
            mix(byte);
    }
    return digest == 0 ? 1 : digest;  // 0 means no identity
}

void StampSetIdentity(uint32_t identity, const std::vector<std::vector<uint8_t>*>& blobs) {
    constexpr size_t kAt = VANTIR_BLOB_USER_VALUE_OFFSET;
    for (std::vector<uint8_t>* blob : blobs) {
        if (blob->size() < kBlobHeaderBytes) continue;
        for (size_t k = 0; k < 4; ++k)
            (*blob)[kAt + k] = static_cast<uint8_t>(identity >> (8 * k));
    }
}

BuildInputs ResolveBuildInputs(const std::filesystem::path& sourceDir, BuildInputs given) {
    if (given.vocabulary.empty()) given.vocabulary = sourceDir / kVocabularyName;
    if (given.regions.empty()) given.regions = sourceDir / kRegionsName;
    if (given.arpa && given.corpus) {
        throw ToolError("give the model as an ARPA file or as a corpus, not both");
    }
    if (!given.arpa && !given.corpus) {
        const std::filesystem::path arpa = sourceDir / kArpaName;
        const std::filesystem::path corpus = sourceDir / kCorpusName;
        const bool haveArpa = std::filesystem::exists(arpa);
        const bool haveCorpus = std::filesystem::exists(corpus);
        if (haveArpa && haveCorpus) {
            throw ToolError(sourceDir.string() + ": holds both " + kArpaName + " and " +
                            kCorpusName + "; choose one with --arpa or --corpus");
        }
        if (haveArpa) given.arpa = arpa;
        if (haveCorpus) given.corpus = corpus;
    }
    if (given.roads.empty()) given.roads = RoadTablesIn(sourceDir);
    if (!given.ranges && std::filesystem::exists(sourceDir / kPostalRangesName)) {
        given.ranges = sourceDir / kPostalRangesName;
    }
    if (!given.aliases && std::filesystem::exists(sourceDir / kAliasesName)) {
        given.aliases = sourceDir / kAliasesName;
    }
    return given;
}

BuiltData BuildData(const BuildInputs& inputs, const ModelOptions& options,
                    Diagnostics& diagnostics, Progress& progress, ArpaModel* model) {
    const std::string vocabularyFile = DisplayName(inputs.vocabulary);
    const Vocabulary vocabulary =
        ParseVocabulary(ReadSourceLines(inputs.vocabulary), vocabularyFile, diagnostics);
    if (vocabulary.entries.empty()) Fail(vocabularyFile, 0, "the vocabulary holds no word");
    const std::string regionsFile = DisplayName(inputs.regions);
    const RegionSource regions =
        ParseRegions(ReadSourceLines(inputs.regions), regionsFile, diagnostics);
    CheckRegionsAgainstVocabulary(regions, vocabulary, diagnostics);
    // The range table is read first, so that a line it cannot read fails the
    // build before the model is made.
    std::optional<PostalSource> postal;
    if (inputs.ranges) {
        postal = ParsePostalRanges(ReadSourceLines(*inputs.ranges), DisplayName(*inputs.ranges),
                                   vocabulary, regions, diagnostics);
    }

    std::vector<RoadTable> roads;
    for (const std::filesystem::path& path : inputs.roads)
        roads.push_back(ParseRoads(ReadSourceLines(path), DisplayName(path)));
    WarnAboutRepeatedRoads(roads, diagnostics);
    const std::vector<GrammarPair> grammarPairs =
        GenerateGrammarPairs(vocabulary, regions, roads, diagnostics);

    std::string modelFile;
    ArpaModel arpa = ModelSource(inputs, vocabulary, diagnostics, progress, modelFile);

    BuiltData built;
    built.trained = inputs.arpa || inputs.corpus;
    built.grammarPairs = grammarPairs.size();
    built.generatedPairs = AddGrammarPairs(arpa, grammarPairs);
    // Alias words join the lexicon and the model after the model's statistics
    // are made, so that they change no other word's score.
    Vocabulary words = vocabulary;
    if (inputs.aliases) {
        const std::string aliasFile = DisplayName(*inputs.aliases);
        AddAliasWords(ParseAliases(ReadSourceLines(*inputs.aliases), aliasFile), aliasFile, words,
                      arpa);
    }
    LexiconBlob lexicon = BuildLexiconBlob(words);
    built.lexicon = std::move(lexicon.bytes);
    built.model = BuildModelBlob(arpa, modelFile, lexicon.numbering, options, diagnostics);
    built.address = BuildAddressBlob(words, lexicon.numbering, regions);
    built.words = vocabulary.entries.size();
    built.regionPairs = regions.pairs.size();

    built.setIdentity = SetIdentityOf({&built.lexicon, &built.model, &built.address});
    StampSetIdentity(built.setIdentity, {&built.lexicon, &built.model, &built.address});

    BlobReport lexiconReport;
    BlobReport modelReport;
    BlobReport addressReport;
    CheckBlob(built.lexicon, kLexiconBlobName, lexiconReport);
    CheckBlob(built.model, kModelBlobName, modelReport);
    CheckBlob(built.address, kAddressBlobName, addressReport);
    const std::vector<std::string> numbering =
        CheckSameNumbering(lexiconReport, modelReport, addressReport);
    if (!numbering.empty()) throw ToolError("built blobs disagree: " + numbering[0]);
    CheckAsHost(built, regions, words, lexicon.numbering, diagnostics);
    if (inputs.readings) {
        // Bound to this build's lexicon by the set identity, which digests the
        // three blobs only: adding sounds leaves the set's identity as it was.
        SoundsBlob sounds =
            BuildSoundsBlob(ReadUnihanReadings(*inputs.readings), lexicon.numbering);
        built.sounds = std::move(sounds.bytes);
        built.soundWords = sounds.indexedWords;
        built.soundCharacters = sounds.readings;
        StampSetIdentity(built.setIdentity, {&built.sounds});
        BlobReport soundsReport;
        CheckBlob(built.sounds, kSoundsBlobName, soundsReport);
    }
    if (postal) {
        // Like the sounds, bound to the set by its identity without changing it.
        built.postal = BuildPostalBlob(*postal);
        built.postalLines = postal->lines;
        built.postalDistricts = postal->districts.size();
        built.postalAbsentRoads = postal->absentRoads;
        StampSetIdentity(built.setIdentity, {&built.postal});
        BlobReport postalReport;
        CheckBlob(built.postal, kPostalBlobName, postalReport);
    }
    Expected<ModelHandle> attached =
        AttachModel(BlobBuffer::CopyOf(built.model.data(), built.model.size()));
    built.pairs = attached ? static_cast<size_t>(BigramModel_GetPairCount(attached->get())) : 0;
    if (model != nullptr) *model = std::move(arpa);
    return built;
}

std::vector<OutputFile> SetFilesOf(const std::filesystem::path& directory, const BuiltData& built) {
    auto text = [](const std::vector<uint8_t>& bytes) {
        return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    std::vector<OutputFile> files = {{directory / kLexiconBlobName, text(built.lexicon)},
                                     {directory / kModelBlobName, text(built.model)},
                                     {directory / kAddressBlobName, text(built.address)}};
    for (const OptionalBlob& blob : kOptionalBlobs) {
        const std::vector<uint8_t>& bytes = built.*blob.bytes;
        files.push_back(bytes.empty() ? AbsentFile(directory / blob.name)
                                      : OutputFile{directory / blob.name, text(bytes)});
    }
    return files;
}

}  // namespace vantir::tools
