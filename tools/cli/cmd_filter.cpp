// `vantir filter --data DIR [FILE|-]`: every utterance of an N-best file through
// a filter session, printed as ranked texts or as one JSON object a line.
#include <memory>

#include "tools/cli/cli_commands.h"
#include "tools/cli/json_details.h"
#include "tools/cli/json_text.h"
#include "tools/run/filter_run.h"
#include "tools/run/parallel_filter.h"
#include "tools/run/sound_alike_run.h"
#include "tools/run/text_hypotheses.h"

namespace vantir::tools {

namespace {

constexpr int32_t kAllResults = 128;

struct FilterOptions {
    std::string dataDir;
    std::string input = "-";
    std::string format = "auto";
    bool json = false;
    bool accurate = false;
    bool soundAlike = false;
    bool text = false;  // hypotheses are recogniser text, not words
    bool s2t = false;   // convert simplified characters first (implies text)
    int32_t maxResults = kAllResults;
    int32_t workers = 1;
};

NbestFormat FormatNamed(const std::string& name) {
    if (name == "kaldi") return NbestFormat::kKaldi;
    if (name == "plain") return NbestFormat::kPlain;
    return NbestFormat::kAuto;
}

void PrintText(const UtteranceRun& run, std::ostream& out) {
    out << run.utterance->id << '\n';
    if (run.resultCode < 0) {
        out << "  (listing failed with code " << run.resultCode << ": "
            << Vantir_ErrorMessage(run.resultCode) << ")\n";
        return;
    }
    for (const HypothesisRun& hypothesis : run.hypotheses) {
        if (hypothesis.code < 0) {
            out << "  (hypothesis " << hypothesis.hypothesis->rank << " failed with code "
                << hypothesis.code << ": " << Vantir_ErrorMessage(hypothesis.code) << ")\n";
        }
    }
    if (run.results.empty()) out << "  (no address)\n";
    for (size_t k = 0; k < run.results.size(); ++k) {
        out << "  " << k + 1 << ". " << run.results[k] << '\n';
    }
    if (!run.emptyRanks.empty()) {
        const size_t count = run.emptyRanks.size();
        out << "  (" << count << (count == 1 ? " empty text" : " empty texts")
            << " left out: kept words without text)\n";
    }
}

void PrintJson(const UtteranceRun& run, std::ostream& out) {
    out << "{\"utterance\":" << JsonString(run.utterance->id) << ",\"hypotheses\":[";
    for (size_t k = 0; k < run.hypotheses.size(); ++k) {
        const HypothesisRun& hypothesis = run.hypotheses[k];
        if (k > 0) out << ',';
        out << "{\"rank\":" << hypothesis.hypothesis->rank
            << ",\"line\":" << hypothesis.hypothesis->line
            << ",\"words\":" << JsonStringArray(hypothesis.hypothesis->words)
            << ",\"unknown\":" << JsonStringArray(hypothesis.unknown)
            << ",\"code\":" << hypothesis.code << '}';
    }
    out << "],\"results\":" << JsonStringArray(run.results) << ",\"empty_ranks\":[";
    for (size_t k = 0; k < run.emptyRanks.size(); ++k)
        out << (k > 0 ? "," : "") << run.emptyRanks[k];
    out << "],\"details\":" << JsonDetails(run.details) << ",\"code\":" << run.resultCode << "}\n";
}

int RunFilter(const FilterOptions& options, CliContext& context) {
    LoadedData data = LoadDataDir(options.dataDir);
    const std::string file = DisplayName(options.input);
    Diagnostics diagnostics = context.MakeDiagnostics();
    const std::vector<Utterance> utterances =
        ReadNbest(options.input, FormatNamed(options.format), diagnostics).utterances;
    std::unique_ptr<SimplifiedToTaiwan> convert;
    if (options.s2t) convert = std::make_unique<SimplifiedToTaiwan>();
    FilterJob job;
    job.sessionOptions = (options.accurate ? VANTIR_OPTION_ACCURATE : 0u) |
                         SoundAlikeOption(data, options.soundAlike, options.dataDir);
    job.text = options.text || options.s2t;
    job.convert = convert.get();
    job.maxResults = options.maxResults;
    job.workers = WorkersFor(options.workers);
    job.details = options.json;
    Progress progress = context.MakeProgress();
    FilterUtterances(data, utterances, job, progress, [&](const TextUtteranceRun& textRun) {
        const UtteranceRun& run = textRun.run;
        ReportUnknownWords(run, file, diagnostics);
        if (options.json) {
            PrintJson(run, context.out);
        } else {
            PrintText(run, context.out);
        }
    });
    diagnostics.Summarise();
    return kExitSuccess;
}

}  // namespace

void AddFilterCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<FilterOptions>();
    CLI::App* command =
        app.add_subcommand("filter", "Run the utterances of an N-best file through the filter");
    command->footer(
        "Input: Kaldi N-best text ('UTTID-RANK word word ...', rank 1 best, a hypothesis\n"
        "a line) or plain lines, best first, with a blank line between utterances.\n"
        "Words that the lexicon does not hold are reported with their line and left out;\n"
        "the hypothesis is still filtered without them. Each utterance prints its ranked\n"
        "address texts; --json prints one object a line with the utterance id, the\n"
        "hypotheses with their unknown words and return codes, the results, and their\n"
        "details: confidence, class, support, first rank and fields of each.\n"
        "A hypothesis whose kept words have no text (only '@'/'!' marks, say) enters\n"
        "an empty text: it is never listed as an address; the JSON gives its rank in\n"
        "empty_ranks.\n"
        "With -j N, N threads filter the utterances, each with its own session sharing\n"
        "the loaded data (VANTIR_OPTION_SHARED_MODEL); the output is the same as with\n"
        "-j 1, in input order. A progress bar goes to standard error when it is a\n"
        "terminal and the input has 1000 utterances or more.");
    command->add_option("--data", options->dataDir, "Directory built by 'vantir build'")
        ->required()
        ->check(CLI::ExistingDirectory);
    command->add_option("FILE", options->input, "N-best file, or '-' for standard input")
        ->capture_default_str();
    command->add_flag("--json", options->json, "One JSON object per utterance");
    command->add_flag("--accurate", options->accurate,
                      "Filter in accurate mode (VANTIR_OPTION_ACCURATE)");
    command->add_flag("--sound-alike", options->soundAlike,
                      "With --text: read misheard characters as the word that sounds the same "
                      "(VANTIR_OPTION_SOUND_ALIKE; needs sounds.snd)");
    command->add_flag("--text", options->text,
                      "Hypotheses are recogniser text (no word boundaries needed), split by "
                      "the library's text intake; --json then lists the words found");
    command->add_flag("--s2t", options->s2t,
                      "With --text: convert simplified to Taiwan traditional characters "
                      "(OpenCC) first");
    command->add_option("--max", options->maxResults, "Most results listed per utterance")
        ->check(CLI::Range(0, kAllResults))
        ->capture_default_str();
    AddJobsOption(*command, options->workers);
    AddFormatOption(*command, options->format);
    command->callback([options, &context] {
        context.action = [options, &context] { return RunFilter(*options, context); };
    });
}

}  // namespace vantir::tools
