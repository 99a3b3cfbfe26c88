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

#ifdef VANTIR_HAVE_OPENCC
// Marks of numbers said digit by digit, kept whatever the lexicon holds.
constexpr char32_t kSpokenOneMark = U'\u5E7A';   // 幺
constexpr char32_t kCircleZeroMark = U'\u3007';  // 〇

// The characters of a UTF-16 text, a surrogate pair as one code point.
std::u32string CodePoints(std::u16string_view text) {
    std::u32string points;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t point = text[i];
        const bool pair = point >= 0xD800 && point < 0xDC00 && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
        if (pair) point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
        points.push_back(point);
    }
    return points;
}

void AppendPoint(char32_t point, std::u16string* out) {
    if (point < 0x10000) {
        out->push_back(static_cast<char16_t>(point));
        return;
    }
    out->push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
}

// Every character that the lexicon's own words write.
void AddLexiconCharacters(const Lexicon* lexicon, std::unordered_set<char32_t>* kept) {
    const int32_t count = Lexicon_GetStaticCount(lexicon);
    for (WordId id = 0; id < count; ++id) {
        for (const char32_t point : CodePoints(WordText(lexicon, id)))
            kept->insert(point);
    }
}
#endif

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

SimplifiedToTaiwan::SimplifiedToTaiwan(const Lexicon* keepCharactersOf) {
    kept_ = {kSpokenOneMark, kCircleZeroMark};
    if (keepCharactersOf != nullptr) AddLexiconCharacters(keepCharactersOf, &kept_);
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
    const Expected<std::u16string> source = ToUtf16(utf8);
    const Expected<std::u16string> target = ToUtf16(out);
    if (!source || !target) return out;
    const std::u32string before = CodePoints(*source);
    const std::u32string after = CodePoints(*target);
    if (before.size() != after.size() || before == after) return out;
    std::u16string kept;
    for (size_t i = 0; i < after.size(); ++i)
        AppendPoint(kept_.count(before[i]) != 0 ? before[i] : after[i], &kept);
    return ToUtf8(kept);
}

#else

bool SimplifiedToTaiwan::Available() {
    return false;
}

SimplifiedToTaiwan::SimplifiedToTaiwan(const Lexicon* /*keepCharactersOf*/) {
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
