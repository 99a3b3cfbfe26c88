// `vantir build SRC_DIR -o OUT_DIR`: sources to lexicon.wpb, model.lmb and
// address.addr, written all-or-nothing.
#include <memory>

#include "tools/cli_commands.h"
#include "tools/data_build.h"
#include "tools/file_output.h"

namespace vantir::tools {

namespace {

struct BuildOptions {
    std::string sourceDir;
    std::string outputDir;
    std::string vocabulary;
    std::string regions;
    std::string arpa;
    std::string corpus;
    ModelOptions model;
};

std::string AsText(const std::vector<uint8_t>& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

int RunBuild(const BuildOptions& options, CliContext& context) {
    BuildInputs given;
    given.vocabulary = options.vocabulary;
    given.regions = options.regions;
    if (!options.arpa.empty()) given.arpa = options.arpa;
    if (!options.corpus.empty()) given.corpus = options.corpus;
    const BuildInputs inputs = ResolveBuildInputs(options.sourceDir, given);
    Diagnostics diagnostics = context.MakeDiagnostics();
    Progress progress = context.MakeProgress();
    const BuiltData built = BuildData(inputs, options.model, diagnostics, progress);
    diagnostics.Summarise();

    const std::filesystem::path out = options.outputDir;
    WriteFilesAtomically({{out / kLexiconBlobName, AsText(built.lexicon)},
                          {out / kModelBlobName, AsText(built.model)},
                          {out / kAddressBlobName, AsText(built.address)}});
    context.out << "built " << (out / kLexiconBlobName).string() << " (" << built.words
                << " words), " << (out / kModelBlobName).string() << " (" << built.pairs
                << " word pairs), " << (out / kAddressBlobName).string() << " ("
                << built.regionPairs << " region pairs)";
    if (diagnostics.warnings > 0) context.out << ", " << diagnostics.warnings << " warnings";
    context.out << '\n';
    return kExitSuccess;
}

}  // namespace

void AddBuildCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<BuildOptions>();
    CLI::App* command = app.add_subcommand(
        "build", "Compile UTF-8 sources into lexicon.wpb, model.lmb and address.addr");
    command->footer(
        "SRC_DIR holds vocabulary.tsv (a word, then its tags as numbers or role names),\n"
        "regions.tsv (upper and lower region name a line), and either model.arpa (an\n"
        "ARPA bigram model) or corpus.txt (tokenised addresses, a line each, trained with\n"
        "Witten-Bell smoothing). The blobs share the lexicon's word numbering. Outputs\n"
        "are written to temporary names and renamed only when all three are complete.");
    command->add_option("SRC_DIR", options->sourceDir, "Directory of the sources")
        ->required()
        ->check(CLI::ExistingDirectory);
    command->add_option("-o,--output", options->outputDir, "Directory for the three blobs")
        ->required();
    command
        ->add_option("--vocabulary", options->vocabulary,
                     "Vocabulary file instead of SRC_DIR/vocabulary.tsv")
        ->check(CLI::ExistingFile);
    command
        ->add_option("--regions", options->regions,
                     "Region pair file instead of SRC_DIR/regions.tsv")
        ->check(CLI::ExistingFile);
    CLI::Option* arpa =
        command->add_option("--arpa", options->arpa, "Take the model from this ARPA file")
            ->check(CLI::ExistingFile);
    command->add_option("--corpus", options->corpus, "Train the model on this corpus")
        ->check(CLI::ExistingFile)
        ->excludes(arpa);
    command
        ->add_option("--added-capacity", options->model.addedCapacity,
                     "Word ids the model keeps free for words added at run time")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    command
        ->add_option("--spare-pairs", options->model.sparePairs,
                     "Free pair slots for pairs added at run time")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    command->callback([options, &context] {
        context.action = [options, &context] { return RunBuild(*options, context); };
    });
}

}  // namespace vantir::tools
