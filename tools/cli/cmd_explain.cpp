// `vantir explain --data DIR "word word ..." [/ "word ..." ...]`: the filter's
// decisions for one hypothesis, or for each of an utterance's and their order.
#include <memory>

#include "tools/cli/cli_commands.h"
#include "tools/compile/text_source.h"
#include "tools/run/explain.h"
#include "tools/run/explain_report.h"
#include "tools/run/explain_utterance.h"
#include "tools/run/filter_run.h"
#include "tools/run/postal_run.h"
#include "tools/run/sound_alike_run.h"
#include "tools/run/text_hypotheses.h"

namespace vantir::tools {

namespace {

// A word argument of its own that separates the hypotheses of an utterance.
constexpr const char* kHypothesisSeparator = "/";

struct ExplainOptions {
    std::string dataDir;
    std::vector<std::string> words;
    bool text = false;        // the arguments are recogniser text, split by text intake
    bool s2t = false;         // convert simplified characters first (implies text)
    bool soundAlike = false;  // text intake also reads by sound (implies text)
    bool postal = false;
    bool accurate = false;  // VANTIR_OPTION_ACCURATE
    std::string nbest;      // an N-best file to take the utterance from
    std::string utterance;  // its id; the file's first utterance when empty
};

// The hypotheses of the arguments, each a list of words; a lone "/" starts the
// next. Each argument is checked as the source files are: a mangled one is no
// unknown word.
std::vector<std::vector<std::string>> ArgumentHypotheses(const std::vector<std::string>& args) {
    std::vector<std::vector<std::string>> hypotheses(1);
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& argument = args[k];
        if (Expected<std::u16string> decoded = ToUtf16(argument); !decoded) {
            throw ToolError("word argument " + std::to_string(k + 1) +
                            " is not valid UTF-8: " + decoded.error().message);
        }
        if (argument == kHypothesisSeparator) {
            hypotheses.emplace_back();
            continue;
        }
        for (std::string& word : SplitFields(argument))
            hypotheses.back().push_back(std::move(word));
    }
    return hypotheses;
}

std::vector<std::vector<std::string>> FileHypotheses(const ExplainOptions& options) {
    const std::string file = DisplayName(options.nbest);
    const std::vector<Utterance> utterances =
        ParseNbest(ReadSourceLines(options.nbest), file, NbestFormat::kAuto);
    for (const Utterance& utterance : utterances) {
        if (!options.utterance.empty() && utterance.id != options.utterance) continue;
        std::vector<std::vector<std::string>> hypotheses;
        for (const Hypothesis& hypothesis : utterance.hypotheses)
            hypotheses.push_back(hypothesis.words);
        return hypotheses;
    }
    throw ToolError(file + ": " +
                    (options.utterance.empty() ? std::string("no utterance")
                                               : "no utterance " + Shown(options.utterance)));
}

std::vector<WordId> HypothesisIds(LoadedData& data, const ExplainOptions& options,
                                  std::vector<std::string> words, CliContext& context) {
    if (options.text || options.s2t || options.soundAlike) {
        std::string text = HypothesisText(Hypothesis{1, 0, words});
        if (options.s2t) text = SimplifiedToTaiwan(data.lexicon.get()).Convert(text);
        words = SegmentWords(data, text, "text");
    }
    const WordLookup lookup = LookUpWords(data.lexicon.get(), words);
    for (const std::string& word : lookup.unknown) {
        context.err << "warning: unknown word " << Shown(word) << " left out of the hypothesis\n";
    }
    return lookup.ids;
}

int RunExplain(const ExplainOptions& options, CliContext& context) {
    LoadedData data = LoadDataDir(options.dataDir);
    const std::vector<std::vector<std::string>> given =
        options.nbest.empty() ? ArgumentHypotheses(options.words) : FileHypotheses(options);
    UseSessionOptions(data, (options.accurate ? VANTIR_OPTION_ACCURATE : 0u) |
                                SoundAlikeOption(data, options.soundAlike, options.dataDir) |
                                PostalOption(data, options.postal, options.dataDir));
    std::vector<std::vector<WordId>> hypotheses;
    for (const std::vector<std::string>& words : given)
        hypotheses.push_back(HypothesisIds(data, options, words, context));

    if (hypotheses.size() == 1) {
        const Explanation e = ExplainHypothesis(data, hypotheses.front());
        PrintExplanation(data, e, context.out);
        return kExitSuccess;
    }
    const UtteranceExplanation u = ExplainUtterance(data, hypotheses);
    PrintUtteranceExplanation(data, u, context.out);
    return kExitSuccess;
}

}  // namespace

void AddExplainCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<ExplainOptions>();
    CLI::App* command = app.add_subcommand(
        "explain", "Show what the filter does with a hypothesis, or with a whole utterance");
    command->footer(
        "Shows the start position that matched, the head, the trigger and what region\n"
        "completion inserted or dropped, the segments kept, the words dropped, the\n"
        "region candidates listed, the composed text with its rank class, and the results\n"
        "the session returns with their confidence; with --accurate also the region\n"
        "choices of accurate mode and their weights. Words the lexicon does not hold are\n"
        "left out with a warning.\n"
        "Several hypotheses (arguments separated by a lone '/', best first, or an\n"
        "utterance of an N-best file with --nbest) are explained one by one, then\n"
        "entered together: each result is shown with the hypotheses that give it, its\n"
        "support, evidence and confidence, and the rule that orders them.");
    command->add_option("--data", options->dataDir, "Directory built by 'vantir build'")
        ->required()
        ->check(CLI::ExistingDirectory);
    command->add_option("WORDS", options->words,
                        "The hypothesis: words separated by blanks; a lone '/' starts the next");
    command->add_flag("--accurate", options->accurate,
                      "Explain accurate mode (VANTIR_OPTION_ACCURATE)");
    CLI::Option* nbest =
        command->add_option("--nbest", options->nbest, "Take the utterance from this N-best file")
            ->check(CLI::ExistingFile)
            ->excludes("WORDS");
    command
        ->add_option("--utterance", options->utterance,
                     "With --nbest: the id of the utterance (default: the first)")
        ->needs(nbest);
    command->add_flag("--text", options->text,
                      "The hypotheses are recogniser text, split by the library's text intake");
    command->add_flag("--s2t", options->s2t,
                      "With --text: convert simplified to Taiwan traditional characters "
                      "(OpenCC) first");
    command->add_flag("--sound-alike", options->soundAlike,
                      "Text intake also reads misheard characters as the word that sounds the "
                      "same (implies --text; needs sounds.snd)");
    command->add_flag("--postal", options->postal,
                      "List and rank by the postal ranges, and say which range placed or "
                      "refused each result (VANTIR_OPTION_POSTAL; needs postal.pst)");
    command->callback([options, &context] {
        if (options->words.empty() && options->nbest.empty()) {
            throw CLI::RequiredError("WORDS or --nbest");
        }
        context.action = [options, &context] { return RunExplain(*options, context); };
    });
}

}  // namespace vantir::tools
