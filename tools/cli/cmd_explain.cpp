// `vantir explain --data DIR "word word ..."`: the filter's decisions for one
// hypothesis, from start position to ranked results.
#include <memory>

#include "tools/cli/cli_commands.h"
#include "tools/compile/text_source.h"
#include "tools/run/explain.h"
#include "tools/run/explain_report.h"
#include "tools/run/sound_alike_run.h"
#include "tools/run/text_hypotheses.h"

namespace vantir::tools {

namespace {

struct ExplainOptions {
    std::string dataDir;
    std::vector<std::string> words;
    bool text = false;        // the arguments are recogniser text, split by text intake
    bool s2t = false;         // convert simplified characters first (implies text)
    bool soundAlike = false;  // text intake also reads by sound (implies text)
};

int RunExplain(const ExplainOptions& options, CliContext& context) {
    LoadedData data = LoadDataDir(options.dataDir);
    std::vector<std::string> words;
    for (size_t k = 0; k < options.words.size(); ++k) {
        const std::string& argument = options.words[k];
        // The same check the source files get: a mangled argument is no unknown word.
        if (Expected<std::u16string> decoded = ToUtf16(argument); !decoded) {
            throw ToolError("word argument " + std::to_string(k + 1) +
                            " is not valid UTF-8: " + decoded.error().message);
        }
        for (std::string& word : SplitFields(argument))
            words.push_back(std::move(word));
    }
    Vantir_SetOptions(data.session.get(),
                      SoundAlikeOption(data, options.soundAlike, options.dataDir));
    if (options.text || options.s2t || options.soundAlike) {
        std::string text = HypothesisText(Hypothesis{1, 0, words});
        if (options.s2t) text = SimplifiedToTaiwan().Convert(text);
        words = SegmentWords(data, text, "text");
    }
    const WordLookup lookup = LookUpWords(data.lexicon.get(), words);
    for (const std::string& word : lookup.unknown) {
        context.err << "warning: unknown word " << Shown(word) << " left out of the hypothesis\n";
    }
    const Explanation e = ExplainHypothesis(data, lookup.ids);
    if (!e.stepsAgree) {
        context.err << "warning: the step view differs from the analysis; trust 'kept'\n";
    }
    PrintExplanation(data, e, context.out);
    return kExitSuccess;
}

}  // namespace

void AddExplainCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<ExplainOptions>();
    CLI::App* command =
        app.add_subcommand("explain", "Show what the filter does with one hypothesis");
    command->footer(
        "Shows the start position that matched, the head, the trigger and what region\n"
        "completion inserted or dropped, the segments kept, the words dropped, the\n"
        "region candidates listed, the composed text with its rank class, and the results\n"
        "the session returns. Words the lexicon does not hold are left out with a warning.");
    command->add_option("--data", options->dataDir, "Directory built by 'vantir build'")
        ->required()
        ->check(CLI::ExistingDirectory);
    command->add_option("WORDS", options->words, "The hypothesis: words separated by blanks")
        ->required();
    command->add_flag("--text", options->text,
                      "The hypothesis is recogniser text, split by the library's text intake");
    command->add_flag("--s2t", options->s2t,
                      "With --text: convert simplified to Taiwan traditional characters "
                      "(OpenCC) first");
    command->add_flag("--sound-alike", options->soundAlike,
                      "Text intake also reads misheard characters as the word that sounds the "
                      "same (implies --text; needs sounds.snd)");
    command->callback([options, &context] {
        context.action = [options, &context] { return RunExplain(*options, context); };
    });
}

}  // namespace vantir::tools
