// `vantir build SRC_DIR -o OUT_DIR`: sources to lexicon.wpb, model.lmb and
// address.addr, written all-or-nothing.
#include <memory>
#include <optional>

#include "tools/cli/cli_commands.h"
#include "tools/compile/data_build.h"
#include "tools/compile/file_output.h"
#include "tools/compile/unihan_readings.h"
#include "tools/run/coverage.h"

namespace vantir::tools {

namespace {

struct BuildOptions {
    std::string sourceDir;
    std::string outputDir;
    std::string vocabulary;
    std::string regions;
    std::string arpa;
    std::string corpus;
    std::vector<std::string> roads;
    ModelOptions model;
    bool sounds = false;
    std::string readings;
    std::string ranges;
};

// The readings the sounds blob is built from: --readings, else with --sounds
// Debian's Unihan file when it is installed. `why` says why there are none.
std::optional<std::filesystem::path> ReadingsSource(const BuildOptions& options, std::string& why) {
    if (!options.readings.empty()) return std::filesystem::path(options.readings);
    if (!options.sounds) {
        why = "not asked for (--sounds)";
        return std::nullopt;
    }
    if (!std::filesystem::exists(kUnihanReadingsPath)) {
        why = std::string(kUnihanReadingsPath) + " not found (Debian package unicode-data)";
        return std::nullopt;
    }
    return std::filesystem::path(kUnihanReadingsPath);
}

int RunBuild(const BuildOptions& options, CliContext& context) {
    BuildInputs given;
    given.vocabulary = options.vocabulary;
    given.regions = options.regions;
    if (!options.arpa.empty()) given.arpa = options.arpa;
    if (!options.corpus.empty()) given.corpus = options.corpus;
    given.roads.assign(options.roads.begin(), options.roads.end());
    std::string noSounds;
    given.readings = ReadingsSource(options, noSounds);
    if (!options.ranges.empty()) given.ranges = options.ranges;
    const BuildInputs inputs = ResolveBuildInputs(options.sourceDir, given);
    Diagnostics diagnostics = context.MakeDiagnostics();
    Progress progress = context.MakeProgress();
    const BuiltData built = BuildData(inputs, options.model, diagnostics, progress);
    diagnostics.Summarise();

    const std::filesystem::path out = options.outputDir;
    WriteFilesAtomically(SetFilesOf(out, built));
    context.out << "built " << (out / kLexiconBlobName).string() << " ("
                << Counted(static_cast<int64_t>(built.words), "word") << "), "
                << (out / kModelBlobName).string() << " ("
                << Counted(static_cast<int64_t>(built.pairs), "word pair") << "), "
                << (out / kAddressBlobName).string() << " ("
                << Counted(static_cast<int64_t>(built.regionPairs), "region pair") << ")";
    if (diagnostics.warnings > 0) context.out << ", " << Counted(diagnostics.warnings, "warning");
    context.out << '\n';
    if (!built.sounds.empty()) {
        context.out << "sounds: " << (out / kSoundsBlobName).string() << " ("
                    << Counted(static_cast<int64_t>(built.soundWords), "word") << " by sound, "
                    << Counted(static_cast<int64_t>(built.soundCharacters), "character")
                    << " read, " << Counted(static_cast<int64_t>(built.sounds.size()), "byte")
                    << ")\n";
    } else if (options.sounds) {
        context.out << "sounds: wrote no sounds blob: " << noSounds << '\n';
    }
    if (!built.postal.empty()) {
        context.out << "postal: " << (out / kPostalBlobName).string() << " ("
                    << Counted(static_cast<int64_t>(built.postalLines), "range") << " in "
                    << Counted(static_cast<int64_t>(built.postalDistricts), "district") << ", "
                    << Counted(static_cast<int64_t>(built.postal.size()), "byte") << ")\n";
    }
    context.out << "grammar pairs: " << built.grammarPairs << " generated from the sources, "
                << built.generatedPairs << " of them not in the "
                << (built.trained ? "trained model" : "uniform model (no corpus or ARPA file)")
                << '\n';
    LoadedData data = LoadDataDir(out);
    const std::vector<CoverageCheck> coverage = CheckCoverage(data);
    context.out << CoverageSummary(coverage);
    if (!coverage.empty())
        context.out << " (details: vantir inspect --coverage " << out.string() << ")";
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
        "regions.tsv (upper and lower region name a line), optionally road tables\n"
        "(county, district, road, sections as '1,2' or '-'): every roads*.tsv, such as\n"
        "roads.tsv and roads-more.tsv, in name order; and optionally model.arpa (an ARPA\n"
        "bigram model) or corpus.txt (tokenised addresses, a line each, trained with\n"
        "Witten-Bell smoothing; without either every word is equally likely).\n"
        "Every word pair the address grammar tests is generated from the region pairs,\n"
        "the roads and the tags; a generated pair the model does not list gets its\n"
        "back-off score (docs/DATA.md). The blobs share the lexicon's word numbering and\n"
        "one set identity (in each header's user value), which loaders compare.\n"
        "The three replace the old ones as a set: they are written to temporary names\n"
        "and renamed only when all three are complete, under a record that keeps the\n"
        "old set loadable until the last rename; a build that fails or is killed\n"
        "leaves OUT_DIR loading as the old set (or nothing, the first time), and the\n"
        "next build cleans up after it.\n"
        "With --sounds or --readings it also writes sounds.snd (the readings of the\n"
        "lexicon's words and of every character Unihan reads) for --sound-alike, in\n"
        "the same set; without them a sounds.snd of an earlier build is removed in\n"
        "the same switch (a failed build keeps it with the old set).\n"
        "When SRC_DIR holds ranges.tsv (postcode, county, district, road, house numbers\n"
        "as the postal table writes them) it also writes postal.pst for --postal and\n"
        "the postcodes of results, in the same set (and removes an old one in the same\n"
        "way otherwise); a line it cannot read is an error.");
    command->add_option("SRC_DIR", options->sourceDir, "Directory of the sources")
        ->required()
        ->check(CLI::ExistingDirectory);
    command->add_option("-o,--output", options->outputDir, "Directory for the three blobs")
        ->required();
    command
        ->add_option("--vocabulary", options->vocabulary,
                     "Vocabulary file instead of SRC_DIR/vocabulary.tsv")
        ->check(CLI::ExistingPath);
    command
        ->add_option("--regions", options->regions,
                     "Region pair file instead of SRC_DIR/regions.tsv")
        ->check(CLI::ExistingPath);
    CLI::Option* arpa =
        command->add_option("--arpa", options->arpa, "Take the model from this ARPA file")
            ->check(CLI::ExistingPath);
    command->add_option("--corpus", options->corpus, "Train the model on this corpus")
        ->check(CLI::ExistingPath)
        ->excludes(arpa);
    command
        ->add_option("--roads", options->roads,
                     "Road table instead of SRC_DIR/roads*.tsv (repeat for several)")
        ->check(CLI::ExistingPath);
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
    command->add_flag("--sounds", options->sounds,
                      std::string("Also write sounds.snd for sound-alike text intake, from ") +
                          kUnihanReadingsPath + " (Debian package unicode-data)");
    command
        ->add_option("--readings", options->readings,
                     "Build sounds.snd from this Unihan readings file (kMandarin lines; "
                     "plain or .bz2)")
        ->check(CLI::ExistingFile);
    command
        ->add_option("--ranges", options->ranges,
                     "Build postal.pst from this range table instead of SRC_DIR/ranges.tsv")
        ->check(CLI::ExistingFile);
    command->callback([options, &context] {
        context.action = [options, &context] { return RunBuild(*options, context); };
    });
}

}  // namespace vantir::tools
