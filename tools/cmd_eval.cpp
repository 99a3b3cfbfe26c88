// `vantir eval`: accuracy of the filtered lists against reference texts, beside
// the accuracy of the recogniser's own best hypothesis.
#include <iomanip>
#include <memory>

#include "address/compose_text.h"
#include "tools/cli_commands.h"
#include "tools/filter_run.h"

namespace vantir::tools {

namespace {

constexpr int32_t kAllResults = 128;
constexpr double kPercent = 100.0;

struct EvalOptions {
    std::string dataDir;
    std::string nbest;
    std::string references;
    std::string format = "auto";
    bool exact = false;
    bool showErrors = false;
};

NbestFormat FormatNamed(const std::string& name) {
    if (name == "kaldi") return NbestFormat::kKaldi;
    if (name == "plain") return NbestFormat::kPlain;
    return NbestFormat::kAuto;
}

// Numerals folded to digits with the filter's own conversion, so that a spoken
// "七號" and a written "7號" compare equal.
std::string Folded(const std::string& text, bool exact) {
    if (exact) return text;
    const std::u16string wide = ToUtf16(text).value();
    // A numeral unit becomes at most four digits ("千" is 1000).
    constexpr size_t kMaxGrowth = 4;
    std::u16string folded(wide.size() * kMaxGrowth + 1, u'\0');
    const int32_t length =
        ConvertNumerals(wide.data(), folded.data(), static_cast<int32_t>(wide.size()),
                        static_cast<int32_t>(folded.size()));
    folded.resize(static_cast<size_t>(length));
    return ToUtf8(folded);
}

std::string RawBest(const Utterance& utterance) {
    std::string joined;
    if (utterance.hypotheses.empty()) return joined;
    for (const std::string& word : utterance.hypotheses.front().words)
        joined += word;
    return joined;
}

struct Tally {
    int32_t utterances = 0;
    int32_t rawTop = 0;
    int32_t filteredTop = 0;
    int32_t filteredAny = 0;
};

void PrintLine(std::ostream& out, const char* label, int32_t hits, int32_t total) {
    const double percent = total > 0 ? kPercent * hits / total : 0.0;
    out << std::left << std::setw(20) << label << std::right << std::setw(5) << hits << "  "
        << std::fixed << std::setprecision(1) << std::setw(5) << percent << "%\n";
}

int RunEval(const EvalOptions& options, CliContext& context) {
    LoadedData data = LoadDataDir(options.dataDir);
    const std::string nbestFile = DisplayName(options.nbest);
    Diagnostics diagnostics = context.MakeDiagnostics();
    const std::vector<Utterance> utterances = ParseNbest(ReadSourceLines(options.nbest), nbestFile,
                                                         FormatNamed(options.format), diagnostics);
    diagnostics.Summarise();
    const std::string referenceFile = DisplayName(options.references);
    const std::map<std::string, std::string> references =
        ParseReferences(ReadSourceLines(options.references), referenceFile);
    Diagnostics quiet;  // unknown words are counted here and reported by `vantir filter`

    Tally tally;
    for (const Utterance& utterance : utterances) {
        const auto reference = references.find(utterance.id);
        if (reference == references.end()) {
            Fail(referenceFile, 0, "no reference for utterance " + Shown(utterance.id));
        }
        const std::string wanted = Folded(reference->second, options.exact);
        const UtteranceRun run = RunUtterance(data, utterance, nbestFile, quiet, kAllResults);
        const std::string raw = Folded(RawBest(utterance), options.exact);
        const std::string top = run.results.empty() ? "" : Folded(run.results[0], options.exact);
        bool any = false;
        for (const std::string& result : run.results) {
            any = any || Folded(result, options.exact) == wanted;
        }
        ++tally.utterances;
        tally.rawTop += raw == wanted;
        tally.filteredTop += top == wanted;
        tally.filteredAny += any;
        if (options.showErrors && top != wanted) {
            context.out << utterance.id << ": wanted " << reference->second << ", filtered "
                        << (run.results.empty() ? "(none)" : run.results[0]) << ", raw "
                        << RawBest(utterance) << '\n';
        }
    }
    if (quiet.warnings > 0) {
        context.err << "warning: " << quiet.warnings
                    << " unknown words were left out (see 'vantir filter')\n";
    }
    context.out << std::left << std::setw(20) << "utterances" << std::right << std::setw(5)
                << tally.utterances << '\n';
    PrintLine(context.out, "raw top-1", tally.rawTop, tally.utterances);
    PrintLine(context.out, "filtered top-1", tally.filteredTop, tally.utterances);
    PrintLine(context.out, "filtered any rank", tally.filteredAny, tally.utterances);
    if (!options.exact) context.out << "(texts compared with numerals folded to digits)\n";
    return kExitSuccess;
}

}  // namespace

void AddEvalCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<EvalOptions>();
    CLI::App* command =
        app.add_subcommand("eval", "Accuracy of the filtered N-best lists against reference texts");
    command->footer(
        "Prints the top-1 and any-rank accuracy of the filtered lists and, for comparison,\n"
        "the top-1 accuracy of the recogniser's best hypothesis with its words joined.\n"
        "References are 'UTTID text' lines (blanks inside the text are dropped); plain\n"
        "N-best files name their utterances 1, 2, ... Unless --exact is given, texts are\n"
        "compared with spoken numerals folded to digits on both sides.");
    command->add_option("--data", options->dataDir, "Directory built by 'vantir build'")
        ->required()
        ->check(CLI::ExistingDirectory);
    command->add_option("--nbest", options->nbest, "N-best file")
        ->required()
        ->check(CLI::ExistingFile);
    command->add_option("--ref", options->references, "Reference texts")
        ->required()
        ->check(CLI::ExistingFile);
    command->add_flag("--exact", options->exact, "Compare texts as they are");
    command->add_flag("--show-errors", options->showErrors,
                      "List the utterances whose filtered top-1 is wrong");
    AddFormatOption(*command, options->format);
    command->callback([options, &context] {
        context.action = [options, &context] { return RunEval(*options, context); };
    });
}

}  // namespace vantir::tools
