// The batch path of `vantir filter`, `eval` and Python's filter_many: words
// looked up through the lexicon (and its look-up index) straight from the
// input's bytes, the listing read once into a buffer of the largest size it can
// take, output formatted into the batch's text; worker threads filter whole
// batches and the calling thread writes them in order.
#include "tools/run/batch_filter.h"

#include <algorithm>
#include <charconv>
#include <memory>

#include "tools/compile/text_source.h"
#include "tools/run/json_details.h"
#include "tools/run/json_text.h"
#include "tools/run/ordered_batches.h"
#include "tools/run/parallel_filter.h"

namespace vantir::tools {

namespace {

// The table's size, and the units that every listing of it fits in: 128 texts
// of at most 127 units and their terminators, and one more (vantir.h).
constexpr int32_t kTableTexts = Session::kAllResults;
constexpr size_t kListingUnits = 128 * 128 + 1;

constexpr const char* kFilterProgressLabel = "filtering";
constexpr const char* kFilterProgressUnits = "utterances";

}  // namespace

bool DecodeUtf8(std::string_view utf8, std::u16string& units) {
    // At most one unit a byte: the buffer grows once and is then written in place.
    if (units.size() < utf8.size()) units.resize(utf8.size());
    char16_t* out = units.data();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* const end = p + utf8.size();
    auto continues = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
    while (p < end) {
        const unsigned lead = *p;
        const ptrdiff_t left = end - p;
        if (lead < 0x80) {
            *out++ = static_cast<char16_t>(lead);
            p += 1;
        } else if (lead < 0xC2) {  // a continuation byte, or the lead of an overlong pair
            return false;
        } else if (lead < 0xE0) {
            if (left < 2 || !continues(p[1])) return false;
            *out++ = static_cast<char16_t>(((lead & 0x1Fu) << 6) | (p[1] & 0x3Fu));
            p += 2;
        } else if (lead < 0xF0) {
            if (left < 3 || !continues(p[1]) || !continues(p[2])) return false;
            if ((lead == 0xE0 && p[1] < 0xA0) || (lead == 0xED && p[1] >= 0xA0)) return false;
            *out++ = static_cast<char16_t>(((lead & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) |
                                           (p[2] & 0x3Fu));
            p += 3;
        } else if (lead < 0xF5) {
            if (left < 4 || !continues(p[1]) || !continues(p[2]) || !continues(p[3])) return false;
            if ((lead == 0xF0 && p[1] < 0x90) || (lead == 0xF4 && p[1] >= 0x90)) return false;
            const char32_t point = (((lead & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) |
                                    ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu)) -
                                   0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (point >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (point & 0x3FF));
            p += 4;
        } else {
            return false;
        }
    }
    units.resize(static_cast<size_t>(out - units.data()));
    return true;
}

namespace {

// vantir::ToUtf8 appended to `out`: a lone surrogate becomes U+FFFD.
void AppendUtf8(std::u16string_view utf16, std::string& out) {
    constexpr char32_t kReplacement = 0xFFFD;
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t point = utf16[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            point = kReplacement;
        }
        if (point < 0x80) {
            out += static_cast<char>(point);
        } else if (point < 0x800) {
            out += static_cast<char>(0xC0 | (point >> 6));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            out += static_cast<char>(0xE0 | (point >> 12));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (point >> 18));
            out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
}

void AppendNumber(std::string& out, int64_t value) {
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, end);
}

std::string LineNamed(int32_t line) {
    return "line " + std::to_string(line);
}

}  // namespace

std::string SplitRefused(int32_t code) {
    return std::string("cannot segment the text: ") + Vantir_ErrorMessage(code) + " (code " +
           std::to_string(code) + ")";
}

namespace {

[[noreturn]] void FailToSegment(int32_t line, int32_t code) {
    throw ToolError(LineNamed(line) + ": " + SplitRefused(code));
}

}  // namespace

void JoinFields(std::string_view text, std::string& joined) {
    joined.clear();
    size_t at = 0;
    for (std::string_view field = NextField(text, at); !field.empty();
         field = NextField(text, at)) {
        if (!joined.empty()) joined += ' ';
        joined += field;
    }
}

int32_t SplitIntoWords(Session& session, const Lexicon* lexicon, std::u16string_view units,
                       std::vector<WordId>& ids, TextList& words) {
    const auto length = static_cast<int32_t>(units.size());
    // A text splits into at most one word a unit.
    if (ids.size() < units.size() + 1) ids.resize(units.size() + 1);
    int32_t count = Vantir_SegmentText(session.get(), units.data(), length, ids.data(),
                                       static_cast<int32_t>(ids.size()));
    if (count > static_cast<int32_t>(ids.size())) {
        ids.resize(static_cast<size_t>(count));
        count = Vantir_SegmentText(session.get(), units.data(), length, ids.data(), count);
    }
    if (count < 0) return count;
    for (int32_t k = 0; k < count; ++k) {
        int32_t wordUnits = 0;
        const char16_t* word = Lexicon_GetWord(lexicon, ids[static_cast<size_t>(k)], &wordUnits);
        AppendUtf8(std::u16string_view(word, word == nullptr ? 0 : static_cast<size_t>(wordUnits)),
                   words.Open());
        words.EndText();
    }
    return count;
}

void FilteredUtterance::clear() {
    hypotheses.clear();
    unknown.clear();
    split.clear();
    results.clear();
    emptyRanks.clear();
    resultCode = 0;
    details.clear();
    features.clear();
}

UtteranceFilter::UtteranceFilter(Session& session, const Lexicon* lexicon,
                                 const FilterSettings& settings)
    : session_(&session), lexicon_(lexicon), settings_(settings), listing_(kListingUnits) {}

void UtteranceFilter::Run(std::span<const HypothesisSpan> hypotheses, FilteredUtterance& out) {
    out.clear();
    out.splitText = settings_.text;
    session_->reset();
    for (const HypothesisSpan& hypothesis : hypotheses) {
        if (settings_.text) {
            AddText(hypothesis, out);
        } else {
            AddWords(hypothesis, out);
        }
    }
    ReadResults(out);
    if (settings_.details && out.resultCode >= 0) {
        const int32_t code =
            ReadResultDetails(*session_, out.results.size(), out.details, out.features);
        if (code != VANTIR_OK) out.resultCode = code;
    }
}

void UtteranceFilter::AddWords(const HypothesisSpan& hypothesis, FilteredUtterance& out) {
    HypothesisOutcome outcome;
    outcome.hypothesis = &hypothesis;
    outcome.unknownBegin = out.unknown.size();
    ids_.clear();
    size_t words = 0;
    bool lastUnknownDecoded = false;
    size_t at = 0;
    for (std::string_view word = NextField(hypothesis.text, at); !word.empty();
         word = NextField(hypothesis.text, at)) {
        ++words;
        const bool decoded = DecodeUtf8(word, units_);
        const WordId id = decoded ? FindWord(lexicon_, units_) : VANTIR_NOT_FOUND;
        if (id < 0) {
            out.unknown.push_back(word);
            lastUnknownDecoded = decoded;
        } else {
            ids_.push_back(id);
        }
    }
    outcome.unknownEnd = out.unknown.size();
    // The one word is still in the buffer: it was the last one decoded.
    outcome.looksUnsegmented =
        words == 1 && outcome.unknownEnd - outcome.unknownBegin == 1 && lastUnknownDecoded &&
        static_cast<int32_t>(units_.size()) > Lexicon_GetMaxWordLength(lexicon_);
    outcome.code = session_->add(ids_);
    out.hypotheses.push_back(outcome);
}

void UtteranceFilter::AddText(const HypothesisSpan& hypothesis, FilteredUtterance& out) {
    HypothesisOutcome outcome;
    outcome.hypothesis = &hypothesis;
    // The fields joined by one blank, which text intake drops like the blanks between them.
    if (settings_.textAsGiven) {
        text_.assign(hypothesis.text);
    } else {
        JoinFields(hypothesis.text, text_);
    }
    if (settings_.convert != nullptr) text_ = settings_.convert->Convert(text_);
    if (!DecodeUtf8(text_, units_)) {
        throw ToolError(LineNamed(hypothesis.line) + ": " + ToUtf16(text_).error().message);
    }
    const auto length = static_cast<int32_t>(units_.size());
    outcome.wordsBegin = out.split.size();
    if (settings_.splitWords) {
        // The split comes first, as RunTextUtterance takes it: a text it refuses fails.
        const int32_t count = SplitIntoWords(*session_, lexicon_, units_, ids_, out.split);
        if (count < 0) FailToSegment(hypothesis.line, count);
    }
    outcome.wordsEnd = out.split.size();
    outcome.code = session_->add_text(std::u16string_view(units_));
    // The split is left out when its words are not shown; a text that the
    // intake refused is split all the same, so that a text whose split fails
    // fails as it did when every text was split first.
    if (!settings_.splitWords && settings_.splitRefusedTexts && outcome.code < 0 &&
        outcome.code != VANTIR_RESULT_TABLE_FULL) {
        const int32_t count =
            Vantir_SegmentText(session_->get(), units_.data(), length, nullptr, 0);
        if (count < 0) FailToSegment(hypothesis.line, count);
    }
    out.hypotheses.push_back(outcome);
}

void UtteranceFilter::ReadResults(FilteredUtterance& out) {
    int32_t count = kTableTexts;
    const int32_t units = Vantir_GetFilterResult(session_->get(), listing_.data(), 0, 0, &count);
    if (units < 0) {
        out.resultCode = units;
        return;
    }
    // Cut by the count the library returns, never by its terminators: an
    // empty text is a lone 0 unit, the same unit that ends the list.
    const char16_t* at = listing_.data();
    const char16_t* const end = at + units;
    for (int32_t k = 0; k < count && at != end; ++k) {
        const char16_t* stop = std::find(at, end, u'\0');
        if (stop == at) {
            out.emptyRanks.push_back(k + 1);
        } else if (static_cast<int32_t>(out.results.size()) < settings_.maxResults) {
            AppendUtf8(std::u16string_view(at, static_cast<size_t>(stop - at)), out.results.Open());
            out.results.EndText();
        }
        at = stop == end ? end : stop + 1;
    }
}

void AppendFilterText(std::string_view id, const FilteredUtterance& run, std::string& out,
                      bool postcodes) {
    out += id;
    out += '\n';
    if (run.resultCode < 0) {
        out += "  (listing failed with code ";
        AppendNumber(out, run.resultCode);
        out += ": ";
        out += Vantir_ErrorMessage(run.resultCode);
        out += ")\n";
        return;
    }
    for (const HypothesisOutcome& hypothesis : run.hypotheses) {
        if (hypothesis.code >= 0) continue;
        out += "  (hypothesis ";
        AppendNumber(out, hypothesis.hypothesis->rank);
        out += " failed with code ";
        AppendNumber(out, hypothesis.code);
        out += ": ";
        out += Vantir_ErrorMessage(hypothesis.code);
        out += ")\n";
    }
    if (run.results.empty()) out += "  (no address)\n";
    for (size_t k = 0; k < run.results.size(); ++k) {
        out += "  ";
        AppendNumber(out, static_cast<int64_t>(k + 1));
        out += ". ";
        out += run.results[k];
        if (postcodes && k < run.details.size() && run.details[k].postal.code[0] != 0) {
            out += "  (";
            out += run.details[k].postal.code;
            out += ')';
        }
        out += '\n';
    }
    if (!run.emptyRanks.empty()) {
        const size_t count = run.emptyRanks.size();
        out += "  (";
        AppendNumber(out, static_cast<int64_t>(count));
        out += count == 1 ? " empty text" : " empty texts";
        out += " left out: kept words without text)\n";
    }
}

void AppendFilterJson(std::string_view id, const FilteredUtterance& run, std::string& out) {
    out += "{\"utterance\":";
    AppendJsonString(out, id);
    out += ",\"hypotheses\":[";
    for (size_t k = 0; k < run.hypotheses.size(); ++k) {
        const HypothesisOutcome& hypothesis = run.hypotheses[k];
        if (k > 0) out += ',';
        out += "{\"rank\":";
        AppendNumber(out, hypothesis.hypothesis->rank);
        out += ",\"line\":";
        AppendNumber(out, hypothesis.hypothesis->line);
        out += ",\"words\":[";
        bool first = true;
        if (run.splitText) {
            for (size_t w = hypothesis.wordsBegin; w < hypothesis.wordsEnd; ++w) {
                if (!first) out += ',';
                first = false;
                AppendJsonString(out, run.split[w]);
            }
        } else {
            size_t at = 0;
            const std::string_view text = hypothesis.hypothesis->text;
            for (std::string_view word = NextField(text, at); !word.empty();
                 word = NextField(text, at)) {
                if (!first) out += ',';
                first = false;
                AppendJsonString(out, word);
            }
        }
        out += "],\"unknown\":[";
        for (size_t w = hypothesis.unknownBegin; w < hypothesis.unknownEnd; ++w) {
            if (w > hypothesis.unknownBegin) out += ',';
            AppendJsonString(out, run.unknown[w]);
        }
        out += "],\"code\":";
        AppendNumber(out, hypothesis.code);
        out += '}';
    }
    out += "],\"results\":[";
    for (size_t k = 0; k < run.results.size(); ++k) {
        if (k > 0) out += ',';
        AppendJsonString(out, run.results[k]);
    }
    out += "],\"empty_ranks\":[";
    for (size_t k = 0; k < run.emptyRanks.size(); ++k) {
        if (k > 0) out += ',';
        AppendNumber(out, run.emptyRanks[k]);
    }
    out += "],\"details\":";
    out += JsonDetails(run.details);
    out += ",\"code\":";
    AppendNumber(out, run.resultCode);
    out += "}\n";
}

void NoteUnknownWords(const FilteredUtterance& run, std::vector<UnknownWordNote>& notes) {
    for (const HypothesisOutcome& hypothesis : run.hypotheses) {
        const int32_t line = hypothesis.hypothesis->line;
        if (hypothesis.looksUnsegmented) {
            notes.push_back({line, run.unknown[hypothesis.unknownBegin], true});
            continue;
        }
        for (size_t w = hypothesis.unknownBegin; w < hypothesis.unknownEnd; ++w)
            notes.push_back({line, run.unknown[w], false});
    }
}

void ReportUnknownWordNotes(std::span<const UnknownWordNote> notes, const std::string& file,
                            Diagnostics& diagnostics) {
    for (const UnknownWordNote& note : notes) {
        if (note.unsegmented) {
            diagnostics.Warn(file, note.line,
                             "the line is one unknown word " + Shown(note.word) +
                                 ", longer than any word of the lexicon; for recogniser text "
                                 "without blanks between words give --text",
                             "unsegmented lines");
        } else {
            diagnostics.Warn(file, note.line,
                             "unknown word " + Shown(note.word) + " left out of the hypothesis",
                             "unknown words left out");
        }
    }
}

namespace {

// A worker's session (its own, or the data's with one worker), the filter over
// it and the run it refills; kept at one address, since the filter points at
// the session.
struct BatchWorkerState {
    Session own;
    Session* session = nullptr;
    std::unique_ptr<UtteranceFilter> filter;
    FilteredUtterance run;
};
using BatchWorker = std::unique_ptr<BatchWorkerState>;

}  // namespace

void FilterInBatches(LoadedData& data, const NbestFile& input, const BatchJob& job,
                     Progress& progress,
                     const std::function<void(size_t k, const FilteredUtterance& run,
                                              FilteredBatch& batch)>& produce,
                     const std::function<void(FilteredBatch& batch)>& consume) {
    const size_t total = input.size();
    const bool showProgress = total >= kProgressMinUtterances;
    OrderedWork<BatchWorker, FilteredBatch> plan;
    plan.open = [&] {
        auto state = std::make_unique<BatchWorkerState>();
        if (job.workers <= 1) {
            state->session = &data.session;
        } else {
            state->own = OpenWorkerSession(data, job.sessionOptions);
            state->session = &state->own;
        }
        state->filter =
            std::make_unique<UtteranceFilter>(*state->session, data.lexicon.get(), job.settings);
        return state;
    };
    plan.work = [&](BatchWorker& worker, size_t k, FilteredBatch& batch) {
        try {
            worker->filter->Run(input.Hypotheses(k), worker->run);
        } catch (const ToolError& error) {
            throw ToolError("utterance " + Shown(input.Id(k)) + ": " + error.what());
        }
        produce(k, worker->run, batch);
    };
    plan.consume = [&](FilteredBatch& batch, size_t done) {
        consume(batch);
        if (showProgress && done > 0) {
            progress.Count(kFilterProgressLabel, done, total, kFilterProgressUnits);
        }
    };
    try {
        // One thread uses the data's own session in the design's mode; its
        // options are refused before any utterance, as a host would see it.
        if (job.workers <= 1) UseSessionOptions(data, job.sessionOptions);
        RunOrdered(total, job.workers, plan);
    } catch (...) {
        progress.Finish();  // the error message starts a line of its own
        throw;
    }
    progress.Finish();
}

void FilterAndPrint(LoadedData& data, const NbestFile& input, const BatchJob& job,
                    const PrintOptions& print, std::ostream& out, Diagnostics& diagnostics,
                    Progress& progress) {
    BatchJob printing = job;
    // The JSON lists the words each text split into.
    printing.settings.splitWords = job.settings.text && print.json;
    printing.settings.details = job.settings.details || print.postcodes;
    FilterInBatches(
        data, input, printing, progress,
        [&](size_t k, const FilteredUtterance& run, FilteredBatch& batch) {
            if (print.json) {
                AppendFilterJson(input.Id(k), run, batch.out);
            } else {
                AppendFilterText(input.Id(k), run, batch.out, print.postcodes);
            }
            NoteUnknownWords(run, batch.notes);
        },
        [&](FilteredBatch& batch) {
            ReportUnknownWordNotes(batch.notes, input.name(), diagnostics);
            WriteBatchOutput(out, batch.out);
        });
}

void WriteBatchOutput(std::ostream& out, std::string_view bytes) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw ToolError(kOutputFailed);
}

}  // namespace vantir::tools
