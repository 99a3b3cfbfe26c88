// `vantir eval`: accuracy of the filtered lists against reference texts, beside
// the accuracy of the recogniser's own best hypothesis.
#include <iomanip>
#include <map>
#include <memory>
#include <sstream>
#include <unordered_map>

#include "textutil/chinese_numerals.h"
#include "tools/cli/cli_commands.h"
#include "tools/compile/file_output.h"
#include "tools/compile/text_source.h"
#include "tools/run/batch_filter.h"
#include "tools/run/calibration_report.h"
#include "tools/run/json_text.h"
#include "tools/run/parallel_filter.h"
#include "tools/run/postal_run.h"
#include "tools/run/sound_alike_run.h"
#include "tools/run/text_hypotheses.h"

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
    bool accurate = false;
    bool soundAlike = false;
    bool postal = false;
    bool compare = false;
    bool text = false;  // hypotheses are recogniser text, not words
    bool s2t = false;   // convert simplified characters first (implies text)
    bool skipMissing = false;
    bool json = false;            // one JSON object for machines instead of the text report
    bool calibration = false;     // print the reliability of the confidences
    std::string calibrationData;  // write every result's confidence and features here
    int32_t workers = 1;
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

// The recogniser's best hypothesis with its words joined.
std::string RawBest(const NbestFile& input, size_t k) {
    std::string joined;
    const std::span<const HypothesisSpan> hypotheses = input.Hypotheses(k);
    if (hypotheses.empty()) return joined;
    size_t at = 0;
    for (std::string_view word = NextField(hypotheses.front().text, at); !word.empty();
         word = NextField(hypotheses.front().text, at))
        joined += word;
    return joined;
}

struct Tally {
    int32_t utterances = 0;
    int32_t rawTop = 0;
    int32_t filteredTop = 0;
    int32_t filteredAny = 0;
};

// One mode's figures over the whole file and per error kind.
struct ModeTally {
    Tally total;
    std::map<std::string, Tally> kinds;
    CalibrationTally calibration;  // with --calibration or --calibration-data
    // With --show-errors and --json: the JSON objects of the utterances whose
    // filtered top-1 is wrong, each followed by a comma, in input order.
    std::string errors;
};

// The error kind of an utterance is its id up to the last '_' ("truncated_007"
// is of kind "truncated"); ids without one are all of one kind.
std::string KindOf(const std::string& id) {
    const size_t cut = id.rfind('_');
    return cut == std::string::npos || cut == 0 ? std::string("all") : id.substr(0, cut);
}

double Percent(int32_t hits, int32_t total) {
    return total > 0 ? kPercent * hits / total : 0.0;
}

void PrintLine(std::ostream& out, const char* label, int32_t hits, int32_t total) {
    out << std::left << std::setw(20) << label << std::right << std::setw(5) << hits << "  "
        << std::fixed << std::setprecision(1) << std::setw(5) << Percent(hits, total) << "%\n";
}

struct EvalInput {
    NbestFile utterances;
    std::map<std::string, std::string> references;
    std::unordered_map<std::string_view, const std::string*> referenceOf;  // into references
    std::string nbestFile;
    std::string referenceFile;
};

// What an utterance's run matched, worked out on the thread that filtered it.
enum EvalMark : uint8_t { kRawTop = 1, kFilteredTop = 2, kFilteredAny = 4 };

ModeTally RunMode(LoadedData& data, const EvalInput& input, const EvalOptions& options,
                  uint32_t sessionOptions, CliContext& context) {
    Diagnostics quiet;  // unknown words are counted here and reported by `vantir filter`
    std::unique_ptr<SimplifiedToTaiwan> convert;
    if (options.s2t) convert = std::make_unique<SimplifiedToTaiwan>(data.lexicon.get());
    BatchJob job;
    job.sessionOptions = sessionOptions;
    job.settings.text = options.text || options.s2t;
    job.settings.convert = convert.get();
    job.settings.maxResults = kAllResults;
    job.workers = WorkersFor(options.workers);
    job.settings.details = options.calibration || !options.calibrationData.empty();
    const NbestFile& utterances = input.utterances;
    // Each utterance's calibration rows, filled by the worker that filtered it
    // and tallied in input order after the run.
    std::vector<std::vector<CalibrationRow>> rowsOf(job.settings.details ? utterances.size() : 0);
    // A missing reference stops the run before any utterance is filtered.
    for (size_t k = 0; k < utterances.size(); ++k) {
        if (!input.referenceOf.contains(utterances.Id(k))) {
            Fail(input.referenceFile, 0,
                 "no reference for utterance " + Shown(utterances.Id(k)) +
                     " (--skip-missing leaves such utterances out and counts them)");
        }
    }
    ModeTally tally;
    size_t consumed = 0;
    Progress progress = context.MakeProgress();
    FilterInBatches(
        data, utterances, job, progress,
        [&](size_t k, const FilteredUtterance& run, FilteredBatch& batch) {
            NoteUnknownWords(run, batch.notes);
            const std::string& reference = *input.referenceOf.at(utterances.Id(k));
            const std::string wanted = Folded(reference, options.exact);
            const std::string raw = Folded(RawBest(utterances, k), options.exact);
            const std::string top =
                run.results.empty() ? "" : Folded(std::string(run.results[0]), options.exact);
            bool any = false;
            for (size_t r = 0; r < run.results.size() && !any; ++r)
                any = Folded(std::string(run.results[r]), options.exact) == wanted;
            batch.marks.push_back(static_cast<uint8_t>((raw == wanted ? kRawTop : 0) |
                                                       (top == wanted ? kFilteredTop : 0) |
                                                       (any ? kFilteredAny : 0)));
            if (job.settings.details) {
                for (size_t r = 0; r < run.details.size(); ++r) {
                    rowsOf[k].push_back(
                        CalibrationRow{std::string(utterances.Id(k)), static_cast<int32_t>(r),
                                       Folded(std::string(run.results[r]), options.exact) == wanted,
                                       run.details[r].info.confidence, run.features[r]});
                }
            }
            if (options.showErrors && top != wanted && options.json) {
                batch.out += "{\"id\":" + JsonString(utterances.Id(k)) +
                             ",\"wanted\":" + JsonString(reference) + ",\"filtered\":" +
                             JsonString(run.results.empty() ? std::string_view()
                                                            : std::string_view(run.results[0])) +
                             ",\"raw\":" + JsonString(RawBest(utterances, k)) + "},";
            } else if (options.showErrors && top != wanted) {
                batch.out +=
                    std::string(utterances.Id(k)) + ": wanted " + reference + ", filtered " +
                    (run.results.empty() ? std::string("(none)") : std::string(run.results[0])) +
                    ", raw " + RawBest(utterances, k) + '\n';
            }
        },
        [&](FilteredBatch& batch) {
            ReportUnknownWordNotes(batch.notes, input.nbestFile, quiet);
            for (const uint8_t mark : batch.marks) {
                const std::string_view id = utterances.Id(consumed++);
                for (Tally* t : {&tally.total, &tally.kinds[KindOf(std::string(id))]}) {
                    ++t->utterances;
                    t->rawTop += (mark & kRawTop) != 0;
                    t->filteredTop += (mark & kFilteredTop) != 0;
                    t->filteredAny += (mark & kFilteredAny) != 0;
                }
            }
            if (options.json) {
                tally.errors += batch.out;
                return;
            }
            WriteBatchOutput(context.out, batch.out);
        });
    for (std::vector<CalibrationRow>& rows : rowsOf) {
        if (rows.empty()) tally.calibration.CountUtterance();
        for (CalibrationRow& row : rows)
            tally.calibration.Add(std::move(row));
    }
    if (quiet.warnings > 0) {
        context.err << "warning: " << Counted(quiet.warnings, "unknown word")
                    << (quiet.warnings == 1 ? " was" : " were")
                    << " left out (see 'vantir filter')\n";
    }
    return tally;
}

void PrintKinds(std::ostream& out, const ModeTally& tally) {
    if (tally.kinds.size() < 2) return;
    out << "per error kind (filtered top-1, any rank):\n";
    for (const auto& [kind, t] : tally.kinds) {
        out << "  " << std::left << std::setw(18) << kind << std::right << std::setw(4)
            << t.utterances << std::fixed << std::setprecision(1) << std::setw(8)
            << Percent(t.filteredTop, t.utterances) << "%" << std::setw(8)
            << Percent(t.filteredAny, t.utterances) << "%\n";
    }
}

void PrintComparedLine(std::ostream& out, const std::string& label, int32_t total,
                       int32_t defaultHits, int32_t accurateHits) {
    out << std::left << std::setw(20) << label << std::right << std::fixed << std::setprecision(1)
        << std::setw(5) << defaultHits << std::setw(7) << Percent(defaultHits, total) << "%"
        << std::setw(8) << accurateHits << std::setw(7) << Percent(accurateHits, total) << "%\n";
}

// Both modes side by side, over the file and per error kind.
void PrintComparison(std::ostream& out, const ModeTally& plain, const ModeTally& accurate) {
    out << std::left << std::setw(20) << "utterances" << std::right << std::setw(5)
        << plain.total.utterances << '\n';
    PrintLine(out, "raw top-1", plain.total.rawTop, plain.total.utterances);
    out << std::left << std::setw(20) << "" << std::right << std::setw(13) << "default"
        << std::setw(16) << "accurate" << '\n';
    PrintComparedLine(out, "filtered top-1", plain.total.utterances, plain.total.filteredTop,
                      accurate.total.filteredTop);
    PrintComparedLine(out, "filtered any rank", plain.total.utterances, plain.total.filteredAny,
                      accurate.total.filteredAny);
    if (plain.kinds.size() < 2) return;
    out << "per error kind      top-1: default accurate   any rank: default accurate\n";
    for (const auto& [kind, p] : plain.kinds) {
        const Tally& a = accurate.kinds.at(kind);
        out << "  " << std::left << std::setw(18) << kind << std::right << std::setw(4)
            << p.utterances << std::fixed << std::setprecision(1) << std::setw(10)
            << Percent(p.filteredTop, p.utterances) << "%" << std::setw(8)
            << Percent(a.filteredTop, a.utterances) << "%" << std::setw(18)
            << Percent(p.filteredAny, p.utterances) << "%" << std::setw(8)
            << Percent(a.filteredAny, a.utterances) << "%\n";
    }
}

using NamedTally = std::pair<std::string, const ModeTally*>;

// Counts, not shares: a reader divides as it needs. Kinds are listed even when
// the file has only one.
void AppendJsonTally(std::string& out, const Tally& t) {
    out += "\"utterances\":" + std::to_string(t.utterances) +
           ",\"top1\":" + std::to_string(t.filteredTop) +
           ",\"any_rank\":" + std::to_string(t.filteredAny);
}

// The whole report as one JSON object on one line:
// {"utterances":N,"skipped":N,"raw_top1":N,"exact":B,"modes":{"default":{...},...}}
// where a mode holds its tally, "kinds" (kind -> tally) and, with
// --show-errors, "errors" (id, wanted, filtered, raw).
void PrintJsonReport(std::ostream& out, const EvalOptions& options, int64_t skipped,
                     const std::vector<NamedTally>& modes) {
    const Tally& first = modes.front().second->total;
    std::string json = "{\"utterances\":" + std::to_string(first.utterances);
    if (options.skipMissing) json += ",\"skipped\":" + std::to_string(skipped);
    json += ",\"raw_top1\":" + std::to_string(first.rawTop);
    json += std::string(",\"exact\":") + (options.exact ? "true" : "false") + ",\"modes\":{";
    for (size_t m = 0; m < modes.size(); ++m) {
        const ModeTally& tally = *modes[m].second;
        json += (m > 0 ? "," : "") + JsonString(modes[m].first) + ":{";
        AppendJsonTally(json, tally.total);
        json += ",\"kinds\":{";
        bool firstKind = true;
        for (const auto& [kind, t] : tally.kinds) {
            json += (firstKind ? "" : ",") + JsonString(kind) + ":{";
            AppendJsonTally(json, t);
            json += "}";
            firstKind = false;
        }
        json += "}";
        if (options.showErrors) {
            // Each object ends with a comma; the last one's is dropped.
            json += ",\"errors\":[" +
                    tally.errors.substr(0, tally.errors.empty() ? 0 : tally.errors.size() - 1) +
                    "]";
        }
        json += "}";
    }
    out << json << "}}\n";
}

// The reliability table of each mode run, and the rows for a refit.
void ReportCalibration(const EvalOptions& options, const std::vector<NamedTally>& modes,
                       CliContext& context) {
    if (options.calibration) {
        for (const auto& [mode, tally] : modes)
            tally->calibration.Print(context.out, mode + " mode");
    }
    if (options.calibrationData.empty()) return;
    // Written whole under a temporary name and renamed: a failed write leaves
    // the file that was there, never a cut one.
    std::ostringstream rows;
    CalibrationTally::WriteHeader(rows);
    for (const auto& [mode, tally] : modes)
        tally->calibration.WriteRows(rows, mode);
    try {
        WriteFilesAtomically({{options.calibrationData, std::move(rows).str()}});
    } catch (const ToolError& error) {
        throw ToolError(std::string("cannot write the calibration rows: ") + error.what());
    }
}

int RunEval(const EvalOptions& options, CliContext& context) {
    LoadedData data = LoadDataDir(options.dataDir);
    EvalInput input;
    input.nbestFile = DisplayName(options.nbest);
    Diagnostics diagnostics = context.MakeDiagnostics();
    input.utterances = ReadNbestFile(options.nbest, FormatNamed(options.format), diagnostics,
                                     WorkersFor(options.workers));
    diagnostics.Summarise();
    RequireUtterances(input.utterances.size(), input.nbestFile);
    input.referenceFile = DisplayName(options.references);
    input.references = ParseReferences(ReadSourceLines(options.references), input.referenceFile);
    for (const auto& [id, text] : input.references)
        input.referenceOf.emplace(id, &text);
    int64_t skipped = 0;
    if (options.skipMissing) {
        // Utterances without a reference have nothing to compare with: left
        // out of every figure, and counted.
        const size_t given = input.utterances.size();
        input.utterances.KeepIf(
            [&](size_t k) { return input.referenceOf.contains(input.utterances.Id(k)); });
        skipped = static_cast<int64_t>(given - input.utterances.size());
        if (!options.json) {
            context.out << std::left << std::setw(20) << "skipped (no ref)" << std::right
                        << std::setw(5) << skipped << '\n';
        }
    }

    // --postal rides along with the mode bits, as --sound-alike does.
    const uint32_t sound = SoundAlikeOption(data, options.soundAlike, options.dataDir) |
                           PostalOption(data, options.postal, options.dataDir);
    if (options.compare) {
        const ModeTally plain = RunMode(data, input, options, sound, context);
        const ModeTally accurate =
            RunMode(data, input, options, VANTIR_OPTION_ACCURATE | sound, context);
        const std::vector<NamedTally> modes = {{"default", &plain}, {"accurate", &accurate}};
        if (options.json) {
            PrintJsonReport(context.out, options, skipped, modes);
        } else {
            PrintComparison(context.out, plain, accurate);
        }
        ReportCalibration(options, modes, context);
    } else {
        const ModeTally tally =
            RunMode(data, input, options, (options.accurate ? VANTIR_OPTION_ACCURATE : 0u) | sound,
                    context);
        const std::vector<NamedTally> modes = {{options.accurate ? "accurate" : "default", &tally}};
        if (options.json) {
            PrintJsonReport(context.out, options, skipped, modes);
            ReportCalibration(options, modes, context);
            return kExitSuccess;
        }
        context.out << std::left << std::setw(20) << "utterances" << std::right << std::setw(5)
                    << tally.total.utterances << '\n';
        PrintLine(context.out, "raw top-1", tally.total.rawTop, tally.total.utterances);
        PrintLine(context.out, "filtered top-1", tally.total.filteredTop, tally.total.utterances);
        PrintLine(context.out, "filtered any rank", tally.total.filteredAny,
                  tally.total.utterances);
        PrintKinds(context.out, tally);
        ReportCalibration(options, modes, context);
    }
    if (options.json) return kExitSuccess;
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
        "compared with spoken numerals folded to digits on both sides. The error kind of\n"
        "an utterance is its id up to the last '_' (truncated_007: truncated); figures\n"
        "per kind are printed when a file has more than one.");
    command->add_option("--data", options->dataDir, "Directory built by 'vantir build'")
        ->required()
        ->check(CLI::ExistingDirectory);
    command->add_option("--nbest", options->nbest, "N-best file")
        ->required()
        ->check(CLI::ExistingPath);
    command->add_option("--ref", options->references, "Reference texts")
        ->required()
        ->check(CLI::ExistingPath);
    command->add_flag("--exact", options->exact, "Compare texts as they are");
    command->add_flag("--accurate", options->accurate,
                      "Filter in accurate mode (VANTIR_OPTION_ACCURATE)");
    command->add_flag("--compare", options->compare,
                      "Both modes side by side, with figures per error kind");
    command->add_flag("--show-errors", options->showErrors,
                      "List the utterances whose filtered top-1 is wrong");
    CLI::Option* json = command->add_flag(
        "--json", options->json,
        "Print the report as one JSON object: counts per mode and error kind (and the errors "
        "with --show-errors)");
    command->add_flag("--sound-alike", options->soundAlike,
                      "With --text: read misheard characters as the word that sounds the same "
                      "(VANTIR_OPTION_SOUND_ALIKE; needs sounds.snd)");
    command->add_flag("--postal", options->postal,
                      "List and rank by the postal ranges (VANTIR_OPTION_POSTAL; needs "
                      "postal.pst)");
    command->add_flag("--text", options->text,
                      "Hypotheses are recogniser text, split by the library's text intake");
    command->add_flag("--s2t", options->s2t,
                      "With --text: convert simplified to Taiwan traditional characters "
                      "(OpenCC) first");
    command->add_flag("--skip-missing", options->skipMissing,
                      "Leave out utterances without a reference (counted) instead of failing");
    command
        ->add_flag("--calibration", options->calibration,
                   "Print how well the results' confidences are calibrated: a reliability "
                   "table, the expected calibration error, and the first results at or "
                   "above 0.9")
        ->excludes(json);
    command->add_option("--calibration-data", options->calibrationData,
                        "Write each result's mode, utterance, position, rightness, confidence "
                        "and features to this tab-separated file (scripts/calibrate.py fits "
                        "the confidence model on it)");
    AddJobsOption(*command, options->workers);
    AddFormatOption(*command, options->format);
    command->callback([options, &context] {
        // Reading by sound is a way of text intake: with words it would do nothing.
        if (options->soundAlike && !options->text && !options->s2t) {
            throw CLI::ValidationError("--sound-alike", "reads recogniser text: give --text too");
        }
        context.action = [options, &context] { return RunEval(*options, context); };
    });
}

}  // namespace vantir::tools
