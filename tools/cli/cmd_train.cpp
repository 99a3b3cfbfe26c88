// `vantir train SRC_DIR -o FILE`: a bigram model trained on the corpus (or the
// uniform model of a folder without one), written as an ARPA file for other
// language model tools or for `vantir build --arpa`.
#include <memory>
#include <sstream>

#include "tools/cli/cli_commands.h"
#include "tools/compile/bigram_trainer.h"
#include "tools/compile/data_build.h"
#include "tools/compile/file_output.h"
#include "tools/compile/grammar_pairs.h"
#include "tools/compile/vocabulary_reader.h"

namespace vantir::tools {

namespace {

struct TrainOptions {
    std::string sourceDir;
    std::string output;
    std::string vocabulary;
    std::string corpus;
};

int RunTrain(const TrainOptions& options, CliContext& context) {
    const std::filesystem::path source = options.sourceDir;
    const std::filesystem::path vocabularyPath = options.vocabulary.empty()
                                                     ? source / kVocabularyName
                                                     : std::filesystem::path(options.vocabulary);
    const std::filesystem::path corpusPath =
        options.corpus.empty() ? source / kCorpusName : std::filesystem::path(options.corpus);
    Diagnostics diagnostics = context.MakeDiagnostics();
    Progress progress = context.MakeProgress();
    const Vocabulary vocabulary =
        ParseVocabulary(ReadSourceLines(vocabularyPath), DisplayName(vocabularyPath), diagnostics);
    // Without a corpus `vantir build` makes every word equally likely; the same
    // model is written here, so that a folder without a corpus trains as it builds.
    const bool haveCorpus = !options.corpus.empty() || std::filesystem::exists(corpusPath);
    std::vector<Sentence> sentences;
    if (haveCorpus) {
        sentences = ParseCorpus(ReadSourceLines(corpusPath), DisplayName(corpusPath), vocabulary);
        if (sentences.empty()) Fail(DisplayName(corpusPath), 0, "the corpus holds no address");
    }
    const ArpaModel model =
        haveCorpus ? TrainWittenBell(sentences, vocabulary, progress) : UniformModel(vocabulary);
    diagnostics.Summarise();

    std::ostringstream text;
    WriteArpa(model, text);
    if (options.output == "-") {
        context.out << text.str();
    } else {
        WriteFilesAtomically({{options.output, text.str()}});
        context.out << "trained " << options.output << " (" << model.unigrams.size() << " 1-grams, "
                    << model.bigrams.size() << " 2-grams ";
        if (haveCorpus) {
            context.out << "from " << sentences.size() << " addresses)\n";
        } else {
            context.out << "of the uniform model: no " << kCorpusName << ")\n";
        }
    }
    return kExitSuccess;
}

}  // namespace

void AddTrainCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<TrainOptions>();
    CLI::App* command = app.add_subcommand(
        "train", "Train a bigram model on a corpus and write it as an ARPA file");
    command->footer(
        "Counts the word pairs of corpus.txt (one address a line, words separated by\n"
        "blanks) with <s> and </s> around each line, and estimates probabilities with\n"
        "interpolated Witten-Bell smoothing. Every corpus word must be in the vocabulary.\n"
        "Without a corpus the model is uniform (every word equally likely, no pairs), as\n"
        "'vantir build' makes it. 'vantir export --arpa' writes the model with the pairs\n"
        "the grammar needs.");
    command
        ->add_option("SRC_DIR", options->sourceDir,
                     "Directory of vocabulary.tsv and, optionally, corpus.txt")
        ->required()
        ->check(CLI::ExistingDirectory);
    command
        ->add_option("-o,--output", options->output, "ARPA file to write ('-' for standard output)")
        ->required();
    command
        ->add_option("--vocabulary", options->vocabulary,
                     "Vocabulary file instead of SRC_DIR/vocabulary.tsv")
        ->check(CLI::ExistingPath);
    command->add_option("--corpus", options->corpus, "Corpus file instead of SRC_DIR/corpus.txt")
        ->check(CLI::ExistingPath);
    command->callback([options, &context] {
        context.action = [options, &context] { return RunTrain(*options, context); };
    });
}

}  // namespace vantir::tools
