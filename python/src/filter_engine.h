// The engine behind vantir.Filter: the three blobs of a data directory loaded
// and verified once, and a pool of filter sessions over them for many threads.
#ifndef VANTIR_PYTHON_FILTER_ENGINE_H
#define VANTIR_PYTHON_FILTER_ENGINE_H

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "tools/run/data_dir.h"
#include "tools/run/filter_run.h"

namespace vantir::python {

// A refusal of the library, with its result code and a message naming the input.
struct EngineError {
    int32_t code;
    std::string message;
};

// Ranked texts of one utterance and the words the lexicon did not hold.
struct FilterOutcome {
    std::vector<std::string> texts;      // UTF-8, best first
    std::vector<std::string> unknown;    // left out of their hypothesis, in input order
    std::vector<ResultDetails> details;  // when asked for: one per text
};

struct ExplainOutcome {
    std::string report;  // the lines `vantir explain` prints
    std::vector<std::string> unknown;
};

class FilterEngine {
  public:
    // Loads the directory with the tooling's loader (ToolError on a bad blob);
    // `options` are the session options every session gets besides the shared
    // model flag. Throws EngineError when the library refuses the options.
    FilterEngine(const std::filesystem::path& dataDir, uint32_t options);

    // One utterance, hypotheses best first, each a UTF-8 line of words split by
    // blanks; with `details` the results' details too. Safe to call from
    // several threads at once.
    FilterOutcome Filter(const std::vector<std::string>& hypotheses, bool details = false);

    // The same from recogniser text, a hypothesis a string, through the
    // library's text intake (Vantir_AddRecogText). Safe on several threads.
    FilterOutcome FilterText(const std::vector<std::string>& hypotheses, bool details = false);

    // The lexicon words that the text intake splits a text into, as UTF-8.
    std::vector<std::string> Segment(const std::string& text);

    // What the filter does with one hypothesis. Safe beside Filter and on
    // several threads: explaining only reads the model.
    ExplainOutcome Explain(const std::string& hypothesis);

    // CPU seconds (of the calling thread) per utterance of the bare C calls (reset, one intake a
    // hypothesis, listing into a buffer) over ids looked up beforehand, `rounds` times over the
    // utterances: the floor the binding's cost is measured against.
    double TimeCCalls(const std::vector<std::vector<std::string>>& utterances, int32_t rounds);

    // The same for Filter itself called from C++: splitting, word look-up and the
    // calls, without the Python objects and the GIL.
    double TimeFilterCalls(const std::vector<std::vector<std::string>>& utterances, int32_t rounds);

    uint32_t options() const noexcept { return options_; }

    // The data folder as an absolute path, so that a Filter restored from a
    // pickle in another working directory opens the same folder.
    const std::filesystem::path& dataDir() const noexcept { return dataDir_; }
    const Lexicon* lexicon() const noexcept { return data_.lexicon.get(); }

    // Runs f(session) with a session of the pool, beside other calls on other
    // threads (as Filter does), and returns the session to the pool.
    template <class F>
    auto WithSession(F&& f) {
        std::shared_lock<std::shared_mutex> turn(timingMutex_);
        struct Lease {
            FilterEngine& engine;
            Session session;
            ~Lease() {
                session.reset();
                engine.ReturnSession(std::move(session));
            }
        } lease{*this, TakeSession()};
        return f(lease.session);
    }

  private:
    Session TakeSession();
    // The outcome of a run, or EngineError for a hypothesis or listing refused.
    static FilterOutcome OutcomeOf(const tools::UtteranceRun& run);
    void ReturnSession(Session session);

    std::filesystem::path dataDir_;
    tools::LoadedData data_;
    uint32_t options_ = 0;
    std::mutex poolMutex_;
    std::vector<Session> idle_;      // sessions between calls, at most one per concurrent caller
    std::shared_mutex timingMutex_;  // every call shares it; TimeCCalls holds it alone
};

}  // namespace vantir::python

#endif  // VANTIR_PYTHON_FILTER_ENGINE_H
