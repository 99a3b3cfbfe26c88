// Filtering many utterances at the library's pace: one utterance through a
// session with buffers kept from one utterance to the next, its output as
// `vantir filter` prints it, and whole N-best inputs on worker threads.
#ifndef VANTIR_TOOLS_BATCH_FILTER_H
#define VANTIR_TOOLS_BATCH_FILTER_H

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/compile/diagnostics.h"
#include "tools/compile/progress.h"
#include "tools/run/data_dir.h"
#include "tools/run/filter_run.h"
#include "tools/run/nbest_reader.h"
#include "tools/run/text_hypotheses.h"

namespace vantir::tools {

// Texts in one block: cleared without giving back its memory.
class TextList {
  public:
    size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](size_t k) const {
        const size_t begin = k == 0 ? 0 : ends_[k - 1];
        return std::string_view(bytes_).substr(begin, ends_[k] - begin);
    }
    void clear() {
        bytes_.clear();
        ends_.clear();
    }
    void push_back(std::string_view text) {
        bytes_ += text;
        ends_.push_back(bytes_.size());
    }
    // The bytes of a text being made; EndText closes it.
    std::string& Open() { return bytes_; }
    void EndText() { ends_.push_back(bytes_.size()); }

  private:
    std::string bytes_;
    std::vector<size_t> ends_;
};

// UTF-8 to UTF-16 into a buffer kept between calls; false where vantir::ToUtf16
// fails (the buffer is then undefined).
bool DecodeUtf8(std::string_view utf8, std::u16string& units);

// The fields of a hypothesis's text joined by one blank, as HypothesisText
// joins them (text_hypotheses.h), into a buffer kept between calls.
void JoinFields(std::string_view text, std::string& joined);

// The words that text intake splits `units` into (Vantir_SegmentText), each
// appended to `words` as UTF-8; `ids` is a buffer kept between calls. Returns
// the number of words, or the library's negative code (nothing appended).
int32_t SplitIntoWords(Session& session, const Lexicon* lexicon, std::u16string_view units,
                       std::vector<WordId>& ids, TextList& words);

// The message of a split the library refused, as SegmentWords gives it.
std::string SplitRefused(int32_t code);

// One hypothesis of a filtered utterance.
struct HypothesisOutcome {
    const HypothesisSpan* hypothesis = nullptr;
    int32_t code = 0;         // what the intake call returned
    size_t unknownBegin = 0;  // its unknown words: FilteredUtterance::unknown[begin, end)
    size_t unknownEnd = 0;
    size_t wordsBegin = 0;  // text intake: its split words, FilteredUtterance::split
    size_t wordsEnd = 0;
    bool looksUnsegmented = false;  // one unknown word, longer than any word of the lexicon
};

// What one utterance gave, as UtteranceRun holds it (filter_run.h), in buffers
// that a worker fills again for the next utterance.
struct FilteredUtterance {
    std::vector<HypothesisOutcome> hypotheses;
    std::vector<std::string_view> unknown;  // left out: the lexicon lacks them (views of the input)
    TextList split;                         // text intake: the words each text split into
    TextList results;                       // UTF-8 addresses, ranked; never an empty text
    std::vector<int32_t> emptyRanks;        // table ranks (from 1) that hold the empty text
    int32_t resultCode = 0;                 // 0, or the code of a failed listing
    bool splitText = false;                 // text intake: the words shown are those of `split`
    // With FilterSettings::details: one per result, in the same order.
    std::vector<ResultDetails> details;
    std::vector<std::array<double, kConfidenceFeatureCount>> features;

    void clear();
};

// What every utterance goes through.
struct FilterSettings {
    bool text = false;                            // hypotheses are recogniser text
    const SimplifiedToTaiwan* convert = nullptr;  // converts text first when set
    int32_t maxResults = 0;
    bool splitWords = false;  // text intake: also list the words of each text (Vantir_SegmentText)
    // Text intake: the hypothesis's text goes in as it is (Python's
    // filter_text), not its fields joined by one blank (`vantir filter --text`).
    bool textAsGiven = false;
    // Text intake without splitWords: a text the intake refuses is split all
    // the same and fails (ToolError) where the split fails, as in `vantir
    // filter --text`, which splits every text first; off, the refusal is only
    // the hypothesis's code, as in Python's filter_text.
    bool splitRefusedTexts = true;
    // Read each result's details and confidence features (Vantir_GetResultInfo).
    bool details = false;
};

// One utterance through a session, as FilterUtterance and RunTextUtterance
// run it (the same calls, the same outcome), without allocating once its
// buffers have grown. The session and lexicon must outlive it.
class UtteranceFilter {
  public:
    UtteranceFilter(Session& session, const Lexicon* lexicon, const FilterSettings& settings);

    // Throws ToolError (naming the line) for a text the library cannot take
    // in, as RunTextUtterance does.
    void Run(std::span<const HypothesisSpan> hypotheses, FilteredUtterance& out);

  private:
    void AddWords(const HypothesisSpan& hypothesis, FilteredUtterance& out);
    void AddText(const HypothesisSpan& hypothesis, FilteredUtterance& out);
    void ReadResults(FilteredUtterance& out);

    Session* session_;
    const Lexicon* lexicon_;
    FilterSettings settings_;
    int32_t longestWord_;
    std::vector<WordId> ids_;
    std::u16string units_;
    std::string text_;
    std::vector<char16_t> listing_;
};

// The utterance as `vantir filter` prints it, appended to `out`.
// With `postcodes` (and the run's details read) each result is followed by its
// postcode in brackets, when it has one.
void AppendFilterText(std::string_view id, const FilteredUtterance& run, std::string& out,
                      bool postcodes = false);
void AppendFilterJson(std::string_view id, const FilteredUtterance& run, std::string& out);

// An unknown word to warn about, in input order.
struct UnknownWordNote {
    int32_t line = 0;
    std::string_view word;
    bool unsegmented = false;  // the line is this one word, longer than any of the lexicon
};
void NoteUnknownWords(const FilteredUtterance& run, std::vector<UnknownWordNote>& notes);
// The warnings ReportUnknownWords gives (filter_run.h), one note each.
void ReportUnknownWordNotes(std::span<const UnknownWordNote> notes, const std::string& file,
                            Diagnostics& diagnostics);

// What a worker hands on for a batch of utterances.
struct FilteredBatch {
    std::string out;                     // for standard output, in input order
    std::vector<UnknownWordNote> notes;  // warnings, in input order
    std::vector<uint8_t> marks;          // per utterance, what the caller's produce notes
};

// How the utterances of an input are filtered: the session options (workers
// add VANTIR_OPTION_SHARED_MODEL), the settings, and the worker threads (1:
// the data's own session on the calling thread, as a single-threaded host).
struct BatchJob {
    uint32_t sessionOptions = 0;
    FilterSettings settings;
    int32_t workers = 1;
};

// Filters every utterance of the input: `produce(k, run, batch)` takes
// utterance k's run on the worker that filtered it, `consume(batch)` the
// batches on the calling thread, in input order, where the progress bar is
// drawn too. Failures are thrown on the calling thread after every utterance
// before them has been consumed; a failure of a text names its utterance.
void FilterInBatches(LoadedData& data, const NbestFile& input, const BatchJob& job,
                     Progress& progress,
                     const std::function<void(size_t k, const FilteredUtterance& run,
                                              FilteredBatch& batch)>& produce,
                     const std::function<void(FilteredBatch& batch)>& consume);

// One batch's output written and flushed; when the stream fails (a full disk,
// a closed output) the run stops here, after the batches before it, with a
// ToolError, instead of filtering the rest for nothing.
void WriteBatchOutput(std::ostream& out, std::string_view bytes);

// The message of an output that failed.
constexpr const char* kOutputFailed =
    "cannot write the output (disk full or output closed?); it is incomplete";

// `vantir filter` after its options: every utterance of the input filtered,
// printed to `out` (as text, or one JSON object a line), and its unknown
// words reported to `diagnostics`.
struct PrintOptions {
    bool json = false;
    bool postcodes = false;  // the text listing shows each result's postcode
};
void FilterAndPrint(LoadedData& data, const NbestFile& input, const BatchJob& job,
                    const PrintOptions& print, std::ostream& out, Diagnostics& diagnostics,
                    Progress& progress);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_BATCH_FILTER_H
