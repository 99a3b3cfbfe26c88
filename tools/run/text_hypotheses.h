// Hypotheses given as recogniser text instead of words: the text of a line,
// simplified-to-Taiwan conversion with OpenCC, and an utterance run through
// the library's text intake.
#ifndef VANTIR_TOOLS_TEXT_HYPOTHESES_H
#define VANTIR_TOOLS_TEXT_HYPOTHESES_H

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>

#include "tools/run/data_dir.h"
#include "tools/run/filter_run.h"
#include "tools/run/nbest_reader.h"

namespace vantir::tools {

// The hypothesis's text: its fields joined by one blank, which text intake
// drops like the blanks between them in the file.
std::string HypothesisText(const Hypothesis& hypothesis);

// Simplified Chinese characters to the traditional ones Taiwan writes, with
// OpenCC's "s2tw" configuration. Only in builds configured with OpenCC.
// Worker threads may share one: conversions take turns, since OpenCC keeps its
// last error in one place for the whole process.
//
// s2tw converts character by character, also characters that Taiwan writes
// as they are: 里 becomes 裏 (嘉里二街), 庄 becomes 莊 (新庄街), and 幺, one
// in numbers said digit by digit, becomes 麼. A character that the words of
// `keepCharactersOf` write, or 幺 and 〇, is kept where the conversion kept
// the length of the text.
class SimplifiedToTaiwan {
  public:
    static bool Available();  // whether this build has OpenCC

    // Throws ToolError when the build lacks OpenCC or its data is missing.
    explicit SimplifiedToTaiwan(const Lexicon* keepCharactersOf = nullptr);
    ~SimplifiedToTaiwan();
    SimplifiedToTaiwan(const SimplifiedToTaiwan&) = delete;
    SimplifiedToTaiwan& operator=(const SimplifiedToTaiwan&) = delete;

    std::string Convert(const std::string& utf8) const;

  private:
    void* handle_ = nullptr;
    mutable std::mutex turn_;
    std::unordered_set<char32_t> kept_;
};

// Every hypothesis's text (converted first when `convert` is set) through
// Vantir_AddRecogText, then the ranked texts. The run's `words` of each
// hypothesis are the words the text split into.
struct TextUtteranceRun {
    UtteranceRun run;
    std::vector<Hypothesis> segmented;  // per hypothesis: rank, line and split words
};

TextUtteranceRun RunTextUtterance(LoadedData& data, const Utterance& utterance,
                                  const SimplifiedToTaiwan* convert, int32_t maxResults);
// The same through a session of the caller's over `lexicon` (a worker's own).
TextUtteranceRun RunTextUtterance(Session& session, const Lexicon* lexicon,
                                  const Utterance& utterance, const SimplifiedToTaiwan* convert,
                                  int32_t maxResults);

// The words the text splits into, as UTF-8; throws ToolError naming `where`
// when the text is not UTF-8 or the library refuses it.
std::vector<std::string> SegmentWords(LoadedData& data, const std::string& text,
                                      const std::string& where);
std::vector<std::string> SegmentWords(Session& session, const Lexicon* lexicon,
                                      const std::string& text, const std::string& where);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_TEXT_HYPOTHESES_H
