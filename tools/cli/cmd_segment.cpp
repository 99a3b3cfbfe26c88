// `vantir segment --data DIR [FILE|-]`: the words that the library's text
// intake splits each recogniser text into, one line per hypothesis.
#include <memory>

#include "tools/cli/cli_commands.h"
#include "tools/compile/text_source.h"
#include "tools/run/sound_alike_run.h"
#include "tools/run/text_hypotheses.h"

namespace vantir::tools {

namespace {

struct SegmentOptions {
    std::string dataDir;
    std::string input = "-";
    std::string format = "auto";
    bool s2t = false;
    bool soundAlike = false;
};

NbestFormat FormatNamed(const std::string& name) {
    if (name == "kaldi") return NbestFormat::kKaldi;
    if (name == "plain") return NbestFormat::kPlain;
    return NbestFormat::kAuto;
}

int RunSegment(const SegmentOptions& options, CliContext& context) {
    LoadedData data = LoadDataDir(options.dataDir);
    const std::string file = DisplayName(options.input);
    Diagnostics diagnostics = context.MakeDiagnostics();
    const NbestInput input = ReadNbest(options.input, FormatNamed(options.format), diagnostics);
    const NbestFormat format = input.format;
    const std::vector<Utterance>& utterances = input.utterances;
    std::unique_ptr<SimplifiedToTaiwan> convert;
    if (options.s2t) convert = std::make_unique<SimplifiedToTaiwan>();
    const bool kaldi = format == NbestFormat::kKaldi;
    SoundAlikeOption(data, options.soundAlike, options.dataDir);
    for (const Utterance& utterance : utterances) {
        for (const Hypothesis& hypothesis : utterance.hypotheses) {
            std::string text = HypothesisText(hypothesis);
            if (convert) text = convert->Convert(text);
            const std::string where = Located(file, hypothesis.line, "text");
            const std::vector<std::string> words = options.soundAlike
                                                       ? SegmentWordsBySound(data, text, where)
                                                       : SegmentWords(data, text, where);
            if (kaldi) context.out << utterance.id << '-' << hypothesis.rank << ' ';
            for (size_t k = 0; k < words.size(); ++k)
                context.out << (k > 0 ? " " : "") << words[k];
            context.out << '\n';
        }
        if (!kaldi) context.out << '\n';
    }
    return kExitSuccess;
}

}  // namespace

void AddSegmentCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<SegmentOptions>();
    CLI::App* command = app.add_subcommand(
        "segment", "Split recogniser text into the lexicon's words, as text intake does");
    command->footer(
        "Input: N-best text as for 'vantir filter --text' (Kaldi 'UTTID-RANK text' lines or\n"
        "plain lines with a blank line between utterances). Prints each hypothesis as the\n"
        "words it splits into, separated by blanks, in the same layout. Blanks and\n"
        "punctuation are dropped, 台/臺 and the other variant pairs, both widths and ASCII\n"
        "case find the lexicon's word, digits are read as numerals, and characters that no\n"
        "word covers are left out.");
    command->add_option("--data", options->dataDir, "Directory built by 'vantir build'")
        ->required()
        ->check(CLI::ExistingDirectory);
    command->add_option("FILE", options->input, "Text file, or '-' for standard input")
        ->capture_default_str();
    command->add_flag("--s2t", options->s2t,
                      "Convert simplified to Taiwan traditional characters (OpenCC) first");
    command->add_flag("--sound-alike", options->soundAlike,
                      std::string("Also read misheard characters as the word that sounds the "
                                  "same (needs sounds.snd); such words end in '") +
                          kSoundReadMarker + "'");
    AddFormatOption(*command, options->format);
    command->callback([options, &context] {
        context.action = [options, &context] { return RunSegment(*options, context); };
    });
}

}  // namespace vantir::tools
