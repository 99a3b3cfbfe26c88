// Text hypotheses for `vantir filter --text`, `segment`, `explain --text` and
// `eval --text`. OpenCC is optional at configure time (VANTIR_HAVE_OPENCC).
#include "tools/run/text_hypotheses.h"

#include "tools/compile/diagnostics.h"

#ifdef VANTIR_HAVE_OPENCC
#include <opencc.h>
#endif

namespace vantir::tools {

namespace {

constexpr const char* kTaiwanConfig = "s2tw.json";

}  // namespace

std::string HypothesisText(const Hypothesis& hypothesis) {
    std::string text;
    for (const std::string& field : hypothesis.words)
        text += (text.empty() ? "" : " ") + field;
    return text;
}

#ifdef VANTIR_HAVE_OPENCC

bool SimplifiedToTaiwan::Available() {
    return true;
}

SimplifiedToTaiwan::SimplifiedToTaiwan() {
    opencc_t handle = opencc_open(kTaiwanConfig);
    if (handle == reinterpret_cast<opencc_t>(-1)) {
        throw ToolError(std::string("--s2t: OpenCC cannot open ") + kTaiwanConfig + ": " +
                        opencc_error());
    }
    handle_ = handle;
}

SimplifiedToTaiwan::~SimplifiedToTaiwan() {
    opencc_close(static_cast<opencc_t>(handle_));
}

std::string SimplifiedToTaiwan::Convert(const std::string& utf8) const {
    const std::lock_guard<std::mutex> lock(turn_);
    char* converted = opencc_convert_utf8(static_cast<opencc_t>(handle_), utf8.data(), utf8.size());
    if (converted == nullptr) {
        throw ToolError(std::string("--s2t: OpenCC cannot convert '") + utf8 +
                        "': " + opencc_error());
    }
    std::string out(converted);
    opencc_convert_utf8_free(converted);
    return out;
}

#else

bool SimplifiedToTaiwan::Available() {
    return false;
}

SimplifiedToTaiwan::SimplifiedToTaiwan() {
    throw ToolError(
        "--s2t: this vantir was built without OpenCC; install the Debian package "
        "libopencc-dev (scripts/install-deps s2t) and configure again");
}

SimplifiedToTaiwan::~SimplifiedToTaiwan() = default;

std::string SimplifiedToTaiwan::Convert(const std::string& utf8) const {
    return utf8;
}

#endif

std::vector<std::string> SegmentWords(LoadedData& data, const std::string& text,
                                      const std::string& where) {
    return SegmentWords(data.session, data.lexicon.get(), text, where);
}

std::vector<std::string> SegmentWords(Session& session, const Lexicon* lexicon,
                                      const std::string& text, const std::string& where) {
    const Expected<std::u16string> units = ToUtf16(text);
    if (!units) throw ToolError(where + ": " + units.error().message);
    const Expected<std::vector<WordId>> ids = session.segment(*units);
    if (!ids) {
        throw ToolError(where + ": " + ids.error().message + " (code " +
                        std::to_string(ids.error().code) + ")");
    }
    std::vector<std::string> words;
    for (WordId id : *ids)
        words.push_back(ToUtf8(WordText(lexicon, id)));
    return words;
}

TextUtteranceRun RunTextUtterance(LoadedData& data, const Utterance& utterance,
                                  const SimplifiedToTaiwan* convert, int32_t maxResults) {
    return RunTextUtterance(data.session, data.lexicon.get(), utterance, convert, maxResults);
}

TextUtteranceRun RunTextUtterance(Session& session, const Lexicon* lexicon,
                                  const Utterance& utterance, const SimplifiedToTaiwan* convert,
                                  int32_t maxResults) {
    TextUtteranceRun result;
    result.segmented.reserve(utterance.hypotheses.size());
    UtteranceRun& run = result.run;
    run.utterance = &utterance;
    session.reset();
    for (const Hypothesis& hypothesis : utterance.hypotheses) {
        std::string text = HypothesisText(hypothesis);
        if (convert != nullptr) text = convert->Convert(text);
        const std::string where = "line " + std::to_string(hypothesis.line);
        result.segmented.push_back(Hypothesis{hypothesis.rank, hypothesis.line,
                                              SegmentWords(session, lexicon, text, where)});
        HypothesisRun entry;
        entry.hypothesis = &result.segmented.back();
        const Expected<std::u16string> units = ToUtf16(text);
        entry.code =
            units ? session.add_text(std::u16string_view(*units)) : VANTIR_INVALID_ARGUMENT;
        run.hypotheses.push_back(std::move(entry));
    }
    ReadRunResults(session, maxResults, &run);
    return result;
}

}  // namespace vantir::tools
