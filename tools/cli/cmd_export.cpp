// `vantir export SRC_DIR --hotwords FILE --arpa FILE`: the address vocabulary of a
// data set in the forms a speech recogniser is biased with, a phrase list and a model.
#include <memory>
#include <sstream>
#include <unordered_set>

#include "tools/cli/cli_commands.h"
#include "tools/compile/data_build.h"
#include "tools/compile/file_output.h"
#include "tools/compile/road_table.h"
#include "tools/compile/vocabulary_reader.h"

namespace vantir::tools {

namespace {

constexpr const char* kStandardOutput = "-";

// How a phrase is written: run together (phrase hints of most recognisers),
// words separated by blanks (decoders whose lexicon holds the data set's
// words), or characters separated by blanks (models whose tokens are characters).
enum class HotwordForm { kJoined, kWords, kCharacters };

struct ExportOptions {
    std::string sourceDir;
    std::string hotwords;
    std::string arpa;
    std::string form = "joined";
};

HotwordForm FormNamed(const std::string& name) {
    if (name == "words") return HotwordForm::kWords;
    if (name == "chars") return HotwordForm::kCharacters;
    return HotwordForm::kJoined;
}

// Smallest lead bytes of UTF-8 sequences of four, three and two bytes.
constexpr unsigned char kLeadOfFour = 0xF0;
constexpr unsigned char kLeadOfThree = 0xE0;
constexpr unsigned char kLeadOfTwo = 0xC0;

// Length of the UTF-8 sequence that `lead` opens; 1 for a stray byte, so that
// malformed text (which the sources' reader has refused already) cannot stall.
size_t SequenceLength(unsigned char lead) {
    if (lead >= kLeadOfFour) return 4;
    if (lead >= kLeadOfThree) return 3;
    if (lead >= kLeadOfTwo) return 2;
    return 1;
}

std::string Written(const std::vector<const std::string*>& words, HotwordForm form) {
    std::string phrase;
    for (const std::string* word : words) {
        if (form == HotwordForm::kCharacters) {
            for (size_t at = 0; at < word->size();) {
                const size_t length = SequenceLength(static_cast<unsigned char>((*word)[at]));
                if (!phrase.empty()) phrase += ' ';
                phrase.append(*word, at, length);
                at += length;
            }
            continue;
        }
        if (form == HotwordForm::kWords && !phrase.empty()) phrase += ' ';
        phrase += *word;
    }
    return phrase;
}

// Every road as a recogniser may hear it: alone, after its district, after its
// county, after both, and with each of its sections alone and after both.
// Each phrase once, in the order of the road tables.
std::vector<std::string> HotwordPhrases(const BuildInputs& inputs, HotwordForm form,
                                        Diagnostics& diagnostics) {
    const Vocabulary vocabulary = ParseVocabulary(ReadSourceLines(inputs.vocabulary),
                                                  DisplayName(inputs.vocabulary), diagnostics);
    std::vector<std::string> phrases;
    std::unordered_set<std::string> seen;
    auto add = [&](std::initializer_list<const std::string*> words) {
        std::string phrase = Written(words, form);
        if (seen.insert(phrase).second) phrases.push_back(std::move(phrase));
    };
    for (const std::filesystem::path& path : inputs.roads) {
        const RoadTable table = ParseRoads(ReadSourceLines(path), DisplayName(path));
        for (const RoadRow& row : table.rows) {
            add({&row.road});
            add({&row.district, &row.road});
            add({&row.county, &row.road});
            add({&row.county, &row.district, &row.road});
            for (const std::string& field : row.sections) {
                // The build has checked that every section names a word.
                const VocabularyEntry* section = FindSectionWord(vocabulary, field);
                if (section == nullptr) continue;
                add({&row.road, &section->word});
                add({&row.county, &row.district, &row.road, &section->word});
            }
        }
    }
    return phrases;
}

int RunExport(const ExportOptions& options, CliContext& context) {
    const BuildInputs inputs = ResolveBuildInputs(options.sourceDir, {});
    Diagnostics diagnostics = context.MakeDiagnostics();
    Progress progress = context.MakeProgress();
    // The whole build runs, so that the export checks the sources as `vantir
    // build` does and the model is the one the blobs hold.
    ArpaModel model;
    const BuiltData built = BuildData(inputs, ModelOptions{}, diagnostics, progress, &model);

    std::vector<OutputFile> files;
    std::ostringstream report;
    if (!options.hotwords.empty()) {
        std::string text;
        const std::vector<std::string> phrases =
            HotwordPhrases(inputs, FormNamed(options.form), diagnostics);
        for (const std::string& phrase : phrases)
            text += phrase + '\n';
        files.push_back({options.hotwords, std::move(text)});
        report << options.hotwords << " ("
               << Counted(static_cast<int64_t>(phrases.size()), "phrase") << ")";
    }
    if (!options.arpa.empty()) {
        std::ostringstream text;
        WriteArpa(model, text);
        files.push_back({options.arpa, text.str()});
        if (!options.hotwords.empty()) report << ", ";
        report << options.arpa << " (" << model.unigrams.size() << " 1-grams, "
               << model.bigrams.size() << " 2-grams, " << built.generatedPairs
               << " of them generated for the grammar)";
    }
    diagnostics.Summarise();

    std::vector<OutputFile> written;
    for (OutputFile& file : files) {
        if (file.path == kStandardOutput) {
            context.out << file.content;
        } else {
            written.push_back(std::move(file));
        }
    }
    WriteFilesAtomically(written);
    // With a file on standard output the report would mix with it.
    if (written.size() == files.size()) context.out << "exported " << report.str() << '\n';
    return kExitSuccess;
}

}  // namespace

void AddExportCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export",
        "Write the address vocabulary as a hotword list and an ARPA model for a recogniser");
    command->footer(
        "SRC_DIR holds the sources of 'vantir build'; they are built and checked the\n"
        "same way. --hotwords writes one phrase a line: every road of the road tables\n"
        "alone, after its district, after its county and after both, and with each of\n"
        "its sections alone and after county and district. --arpa writes the bigram\n"
        "model the build made: the corpus's or ARPA file's statistics (or the uniform\n"
        "model) with every pair the address grammar needs, which 'vantir train' leaves\n"
        "out. '-' writes one of them to standard output. docs/DATA.md shows how to\n"
        "give them to a decoder.");
    command->add_option("SRC_DIR", options->sourceDir, "Directory of the sources")
        ->required()
        ->check(CLI::ExistingDirectory);
    CLI::Option* hotwords =
        command->add_option("--hotwords", options->hotwords, "Hotword list to write");
    CLI::Option* arpa = command->add_option("--arpa", options->arpa, "ARPA model to write");
    command
        ->add_option("--hotword-form", options->form,
                     "joined (phrase hints), words (blank between words) or chars (blank "
                     "between characters)")
        ->check(CLI::IsMember({"joined", "words", "chars"}))
        ->capture_default_str();
    command->callback([options, hotwords, arpa, &context] {
        if (hotwords->count() == 0 && arpa->count() == 0)
            throw CLI::RequiredError("--hotwords or --arpa");
        if (options->hotwords == kStandardOutput && options->arpa == kStandardOutput)
            throw CLI::ValidationError("--hotwords and --arpa", "only one of them may be '-'");
        context.action = [options, &context] { return RunExport(*options, context); };
    });
}

}  // namespace vantir::tools
