// `vantir segment --data DIR [FILE|-]`: the words that the library's text
// intake splits each recogniser text into, one line per hypothesis.
#include <memory>
#include <optional>

#include "tools/cli/cli_commands.h"
#include "tools/compile/text_source.h"
#include "tools/run/batch_filter.h"
#include "tools/run/ordered_batches.h"
#include "tools/run/parallel_filter.h"
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
    bool accurate = false;  // split as accurate mode's text intake does
    int32_t workers = 1;
};

NbestFormat FormatNamed(const std::string& name) {
    if (name == "kaldi") return NbestFormat::kKaldi;
    if (name == "plain") return NbestFormat::kPlain;
    return NbestFormat::kAuto;
}

// A worker's session (its own, or the data's with one worker) and buffers.
struct SegmentWorker {
    std::optional<Session> own;
    Session* session = nullptr;
    std::string text;
    std::u16string units;
    std::vector<WordId> ids;
    TextList words;
};

int RunSegment(const SegmentOptions& options, CliContext& context) {
    LoadedData data = LoadDataDir(options.dataDir);
    Diagnostics diagnostics = context.MakeDiagnostics();
    // Reading by sound marks its words from its own split, on the calling thread.
    const int32_t workers = options.soundAlike ? 1 : WorkersFor(options.workers);
    NbestStream stream(options.input, FormatNamed(options.format), diagnostics, workers);
    NbestFile input;
    bool more = stream.Next(input);  // before the options are checked, as the whole input was
    const std::string& file = stream.name();
    std::unique_ptr<SimplifiedToTaiwan> convert;
    if (options.s2t) convert = std::make_unique<SimplifiedToTaiwan>(data.lexicon.get());
    SoundAlikeOption(data, options.soundAlike, options.dataDir);
    const uint32_t sessionOptions = options.accurate ? VANTIR_OPTION_ACCURATE : 0u;
    if (workers <= 1) {
        const int32_t code = Vantir_SetOptions(data.session.get(), sessionOptions);
        if (code != VANTIR_OK)
            throw ToolError("the session refused options: " + SplitRefused(code));
    }
    bool kaldi = false;
    OrderedWork<SegmentWorker, std::string> plan;
    plan.open = [&] {
        SegmentWorker worker;
        if (workers <= 1) {
            worker.session = &data.session;
        } else {
            worker.own.emplace(OpenWorkerSession(data, sessionOptions));
        }
        return worker;
    };
    plan.work = [&](SegmentWorker& worker, size_t k, std::string& out) {
        Session& session = worker.own ? *worker.own : *worker.session;
        for (const HypothesisSpan& hypothesis : input.Hypotheses(k)) {
            JoinFields(hypothesis.text, worker.text);
            if (convert) worker.text = convert->Convert(worker.text);
            if (!DecodeUtf8(worker.text, worker.units)) {
                throw ToolError(Located(file, hypothesis.line, "text") + ": " +
                                ToUtf16(worker.text).error().message);
            }
            worker.words.clear();
            if (options.soundAlike) {
                for (const std::string& word :
                     SegmentWordsBySound(data, worker.text, Located(file, hypothesis.line, "text")))
                    worker.words.push_back(word);
            }
            const int32_t count = options.soundAlike
                                      ? 0
                                      : SplitIntoWords(session, data.lexicon.get(), worker.units,
                                                       worker.ids, worker.words);
            if (count < 0) {
                throw ToolError(Located(file, hypothesis.line, "text") + ": " +
                                SplitRefused(count));
            }
            if (kaldi) {
                out += input.Id(k);
                out += '-';
                out += std::to_string(hypothesis.rank);
                out += ' ';
            }
            for (size_t w = 0; w < worker.words.size(); ++w) {
                if (w > 0) out += ' ';
                out += worker.words[w];
            }
            out += '\n';
        }
        if (!kaldi) out += '\n';
    };
    plan.consume = [&](std::string& out, size_t) { WriteBatchOutput(context.out, out); };
    // A window at a time: memory stays bounded however long the input.
    while (more) {
        kaldi = input.format() == NbestFormat::kKaldi;
        RunOrdered(input.size(), workers, plan);
        more = stream.Next(input);
    }
    RequireUtterances(stream.utterances(), stream.name());
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
        "word covers are left out. With -j N, N threads split the texts; the output is\n"
        "the same as with -j 1.");
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
    command
        ->add_flag("--accurate", options->accurate,
                   "Split as accurate mode's text intake does (VANTIR_OPTION_ACCURATE): a road "
                   "said without its suffix after its region is read as the road")
        ->excludes("--sound-alike");
    AddJobsOption(*command, options->workers);
    AddFormatOption(*command, options->format);
    command->callback([options, &context] {
        context.action = [options, &context] { return RunSegment(*options, context); };
    });
}

}  // namespace vantir::tools
