// `vantir filter --data DIR [FILE|-]`: every utterance of an N-best file through
// a filter session, printed as ranked texts or as one JSON object a line.
#include <memory>

#include "tools/cli/cli_commands.h"
#include "tools/run/batch_filter.h"
#include "tools/run/parallel_filter.h"
#include "tools/run/postal_run.h"
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
    bool postal = false;
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

int RunFilter(const FilterOptions& options, CliContext& context) {
    LoadedData data = LoadDataDir(options.dataDir);
    Diagnostics diagnostics = context.MakeDiagnostics();
    const int32_t workers = WorkersFor(options.workers);
    NbestStream stream(options.input, FormatNamed(options.format), diagnostics, workers);
    // The first window is read before the options are checked, as the whole
    // input was: a bad first line is reported before a refused option.
    NbestFile input;
    bool more = stream.Next(input);
    std::unique_ptr<SimplifiedToTaiwan> convert;
    if (options.s2t) convert = std::make_unique<SimplifiedToTaiwan>(data.lexicon.get());
    BatchJob job;
    job.sessionOptions = (options.accurate ? VANTIR_OPTION_ACCURATE : 0u) |
                         SoundAlikeOption(data, options.soundAlike, options.dataDir) |
                         PostalOption(data, options.postal, options.dataDir);
    job.settings.text = options.text || options.s2t;
    job.settings.convert = convert.get();
    job.settings.maxResults = options.maxResults;
    job.settings.details = options.json;
    job.workers = workers;
    PrintOptions print;
    print.json = options.json;
    print.postcodes = options.postal;
    Progress progress = context.MakeProgress();
    // A window of the input at a time: memory stays bounded however long it is.
    while (more) {
        FilterAndPrint(data, input, job, print, context.out, diagnostics, progress);
        more = stream.Next(input);
    }
    RequireUtterances(stream.utterances(), stream.name());
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
        "With -j N, N threads read, filter and format the utterances, each with its own\n"
        "session sharing the loaded data (VANTIR_OPTION_SHARED_MODEL); the output is the\n"
        "same as with -j 1, in input order. A progress bar goes to standard error when it\n"
        "is a terminal and the input has 1000 utterances or more.");
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
    command->add_flag("--postal", options->postal,
                      "List and rank by the postal ranges: districts whose ranges hold the "
                      "road, section and number first, each result with its postcode "
                      "(VANTIR_OPTION_POSTAL; needs postal.pst)");
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
        // Reading by sound is a way of text intake: with words it would do nothing.
        if (options->soundAlike && !options->text && !options->s2t) {
            throw CLI::ValidationError("--sound-alike", "reads recogniser text: give --text too");
        }
        context.action = [options, &context] { return RunFilter(*options, context); };
    });
}

}  // namespace vantir::tools
