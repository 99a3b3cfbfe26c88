// Session pool and per-call runs of the Python module's filter engine, over the
// tooling's data loader, utterance run and explanation.
#include "python/src/filter_engine.h"

#include <ctime>
#include <sstream>
#include <utility>

#include "tools/compile/text_source.h"
#include "tools/run/explain.h"
#include "tools/run/explain_report.h"
#include "tools/run/filter_run.h"
#include "tools/run/postal_run.h"
#include "tools/run/sound_alike_run.h"

namespace vantir::python {

namespace {

// Every text the session's result table can hold.
constexpr int32_t kAllResults = Session::kAllResults;

// Name of the input in the tooling's messages.
constexpr const char* kInputName = "<hypotheses>";

// "(code -41: invalid argument: ...)", the end of every message on a library code.
std::string CodeNote(int32_t code) {
    return " (code " + std::to_string(code) + ": " + Vantir_ErrorMessage(code) + ")";
}

void ApplyOptions(FilterSession* session, uint32_t options) {
    const int32_t code = Vantir_SetOptions(session, options);
    if (code != VANTIR_OK) {
        throw EngineError{code, "the library refused the session options " +
                                    std::to_string(options) + CodeNote(code)};
    }
}

// CPU time of the calling thread, which other processes on a busy machine do
// not inflate the way they inflate wall time.
double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

FilterEngine::FilterEngine(const std::filesystem::path& dataDir, uint32_t options)
    : dataDir_(std::filesystem::absolute(dataDir)),
      data_(tools::LoadDataDir(dataDir)),
      options_(options | VANTIR_OPTION_SHARED_MODEL) {
    ApplyOptions(data_.session.get(), options_);
}

Session FilterEngine::TakeSession() {
    {
        std::lock_guard<std::mutex> lock(poolMutex_);
        if (!idle_.empty()) {
            Session session = std::move(idle_.back());
            idle_.pop_back();
            return session;
        }
    }
    Expected<Session> session =
        Session::Create(data_.model.get(), data_.lexicon.get(), data_.address.data());
    if (!session) throw EngineError{session.error().code, session.error().message};
    tools::AttachSoundsOf(data_, session->get());
    tools::AttachPostalOf(data_, session->get());
    ApplyOptions(session->get(), options_);
    return std::move(*session);
}

void FilterEngine::ReturnSession(Session session) {
    std::lock_guard<std::mutex> lock(poolMutex_);
    idle_.push_back(std::move(session));
}

FilterOutcome FilterEngine::Filter(const std::vector<std::string>& hypotheses, bool details) {
    tools::Utterance utterance;
    for (size_t k = 0; k < hypotheses.size(); ++k) {
        tools::Hypothesis hypothesis;
        hypothesis.rank = static_cast<int32_t>(k + 1);
        hypothesis.words = tools::SplitFields(hypotheses[k]);
        utterance.hypotheses.push_back(std::move(hypothesis));
    }

    // Sessions with VANTIR_OPTION_SHARED_MODEL only read the model and lexicon,
    // and so do explanations: every call shares them. Only the timing of the
    // bare calls waits for the others, so that they do not compete for its cores.
    std::shared_lock<std::shared_mutex> shared(timingMutex_);
    Session session = TakeSession();
    tools::Diagnostics quiet;  // unknown words come back in the run
    tools::UtteranceRun run = tools::RunUtterance(session, data_.lexicon.get(), utterance,
                                                  kInputName, quiet, kAllResults);
    if (details) tools::ReadRunDetails(session, &run);
    session.reset();
    ReturnSession(std::move(session));
    shared.unlock();

    return OutcomeOf(run);
}

FilterOutcome FilterEngine::OutcomeOf(const tools::UtteranceRun& run) {
    FilterOutcome outcome;
    for (size_t k = 0; k < run.hypotheses.size(); ++k) {
        const tools::HypothesisRun& entry = run.hypotheses[k];
        // A full table is no fault of the input: the best texts are already in it.
        if (entry.code < 0 && entry.code != VANTIR_RESULT_TABLE_FULL) {
            throw EngineError{entry.code, "hypotheses[" + std::to_string(k) +
                                              "]: the filter refused it" + CodeNote(entry.code)};
        }
        outcome.unknown.insert(outcome.unknown.end(), entry.unknown.begin(), entry.unknown.end());
    }
    if (run.resultCode < 0) {
        throw EngineError{run.resultCode,
                          "the results could not be listed" + CodeNote(run.resultCode)};
    }
    outcome.texts = run.results;  // read by the listing's count; never an empty text
    outcome.details = run.details;
    return outcome;
}

FilterOutcome FilterEngine::FilterText(const std::vector<std::string>& hypotheses, bool details) {
    std::vector<std::u16string> texts;
    for (size_t k = 0; k < hypotheses.size(); ++k) {
        Expected<std::u16string> units = ToUtf16(hypotheses[k]);
        if (!units) {
            throw EngineError{VANTIR_INVALID_ARGUMENT,
                              "hypotheses[" + std::to_string(k) + "]: " + units.error().message};
        }
        texts.push_back(std::move(*units));
    }
    tools::UtteranceRun run;
    std::shared_lock<std::shared_mutex> turn(timingMutex_);
    Session session = TakeSession();
    session.reset();
    for (const std::u16string& text : texts) {
        tools::HypothesisRun entry;
        entry.code = session.add_text(std::u16string_view(text));
        run.hypotheses.push_back(std::move(entry));
    }
    tools::ReadRunResults(session, kAllResults, &run);
    if (details) tools::ReadRunDetails(session, &run);
    session.reset();
    ReturnSession(std::move(session));
    turn.unlock();
    return OutcomeOf(run);
}

std::vector<std::string> FilterEngine::Segment(const std::string& text) {
    Expected<std::u16string> units = ToUtf16(text);
    if (!units) throw EngineError{VANTIR_INVALID_ARGUMENT, "text: " + units.error().message};
    std::shared_lock<std::shared_mutex> turn(timingMutex_);
    Session session = TakeSession();
    Expected<std::vector<WordId>> ids = session.segment(*units);
    ReturnSession(std::move(session));
    turn.unlock();
    if (!ids) {
        throw EngineError{ids.error().code,
                          "the text could not be segmented" + CodeNote(ids.error().code)};
    }
    std::vector<std::string> words;
    for (WordId id : *ids)
        words.push_back(ToUtf8(WordText(data_.lexicon.get(), id)));
    return words;
}

ExplainOutcome FilterEngine::Explain(const std::string& hypothesis) {
    ExplainOutcome outcome;
    const tools::WordLookup lookup =
        tools::LookUpWords(data_.lexicon.get(), tools::SplitFields(hypothesis));
    outcome.unknown = lookup.unknown;

    // An explanation scores read-only and runs the intake on a session of its
    // own, so it shares the model with the filters.
    std::shared_lock<std::shared_mutex> turn(timingMutex_);
    const tools::Explanation e = tools::ExplainHypothesis(data_, lookup.ids);
    std::ostringstream report;
    tools::PrintExplanation(data_, e, report);
    turn.unlock();

    outcome.report = report.str();
    return outcome;
}

double FilterEngine::TimeCCalls(const std::vector<std::vector<std::string>>& utterances,
                                int32_t rounds) {
    std::vector<std::vector<std::vector<WordId>>> ids;
    for (const std::vector<std::string>& hypotheses : utterances) {
        ids.emplace_back();
        for (const std::string& hypothesis : hypotheses) {
            ids.back().push_back(
                tools::LookUpWords(data_.lexicon.get(), tools::SplitFields(hypothesis)).ids);
        }
    }
    if (ids.empty() || rounds <= 0) return 0.0;
    std::unique_lock<std::shared_mutex> alone(timingMutex_);
    Session session = TakeSession();
    std::vector<char16_t> texts(1 << 16);
    const double start = ThreadCpuSeconds();
    for (int32_t round = 0; round < rounds; ++round) {
        for (const std::vector<std::vector<WordId>>& utterance : ids) {
            Vantir_Reset(session.get());
            for (const std::vector<WordId>& hypothesis : utterance) {
                Vantir_AddRecogResult(session.get(), hypothesis.data(), 0, 0, 0,
                                      static_cast<int32_t>(hypothesis.size()));
            }
            int32_t count = kAllResults;
            if (Vantir_GetFilterResult(session.get(), nullptr, 0, 0, &count) <=
                static_cast<int32_t>(texts.size())) {
                Vantir_GetFilterResult(session.get(), texts.data(), 0, 0, &count);
            }
        }
    }
    const double spent = ThreadCpuSeconds() - start;
    session.reset();
    ReturnSession(std::move(session));
    return spent / (static_cast<double>(rounds) * static_cast<double>(ids.size()));
}

double FilterEngine::TimeFilterCalls(const std::vector<std::vector<std::string>>& utterances,
                                     int32_t rounds) {
    if (utterances.empty() || rounds <= 0) return 0.0;
    const double start = ThreadCpuSeconds();
    for (int32_t round = 0; round < rounds; ++round) {
        for (const std::vector<std::string>& hypotheses : utterances)
            Filter(hypotheses);
    }
    const double spent = ThreadCpuSeconds() - start;
    return spent / (static_cast<double>(rounds) * static_cast<double>(utterances.size()));
}

}  // namespace vantir::python
