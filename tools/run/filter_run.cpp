// One utterance through the session: word lookup, intake calls, result listing.
#include "tools/run/filter_run.h"

#include "tools/compile/session_view.h"

namespace vantir::tools {

namespace {

bool LongerThanAnyWord(const Lexicon* lexicon, const std::string& word) {
    const Expected<std::u16string> units = ToUtf16(word);
    return units && static_cast<int32_t>(units->size()) > Lexicon_GetMaxWordLength(lexicon);
}

}  // namespace

void UseSessionOptions(LoadedData& data, uint32_t options) {
    data.session.reset();
    const int32_t code = Vantir_SetOptions(data.session.get(), options);
    if (code != VANTIR_OK) {
        throw ToolError("the filter session refused options " + std::to_string(options) +
                        " (code " + std::to_string(code) + ": " + Vantir_ErrorMessage(code) + ")");
    }
}

UtteranceRun RunUtterance(LoadedData& data, const Utterance& utterance, const std::string& file,
                          Diagnostics& diagnostics, int32_t maxResults) {
    return RunUtterance(data.session, data.lexicon.get(), utterance, file, diagnostics, maxResults);
}

UtteranceRun RunUtterance(Session& session, const Lexicon* lexicon, const Utterance& utterance,
                          const std::string& file, Diagnostics& diagnostics, int32_t maxResults) {
    UtteranceRun run = FilterUtterance(session, lexicon, utterance, maxResults);
    ReportUnknownWords(run, file, diagnostics);
    return run;
}

UtteranceRun FilterUtterance(Session& session, const Lexicon* lexicon, const Utterance& utterance,
                             int32_t maxResults) {
    UtteranceRun run;
    run.utterance = &utterance;
    session.reset();
    for (const Hypothesis& hypothesis : utterance.hypotheses) {
        WordLookup lookup = LookUpWords(lexicon, hypothesis.words);
        HypothesisRun entry;
        entry.hypothesis = &hypothesis;
        entry.unknown = std::move(lookup.unknown);
        entry.looksUnsegmented = hypothesis.words.size() == 1 && entry.unknown.size() == 1 &&
                                 LongerThanAnyWord(lexicon, entry.unknown[0]);
        entry.code = session.add(lookup.ids);
        run.hypotheses.push_back(std::move(entry));
    }
    ReadRunResults(session, maxResults, &run);
    return run;
}

void ReportUnknownWords(const UtteranceRun& run, const std::string& file,
                        Diagnostics& diagnostics) {
    for (const HypothesisRun& hypothesis : run.hypotheses) {
        if (hypothesis.looksUnsegmented) {
            diagnostics.Warn(file, hypothesis.hypothesis->line,
                             "the line is one unknown word " + Shown(hypothesis.unknown[0]) +
                                 ", longer than any word of the lexicon; for recogniser text "
                                 "without blanks between words give --text",
                             "unsegmented lines");
            continue;
        }
        for (const std::string& word : hypothesis.unknown) {
            diagnostics.Warn(file, hypothesis.hypothesis->line,
                             "unknown word " + Shown(word) + " left out of the hypothesis",
                             "unknown words left out");
        }
    }
}

void ReadRunResults(Session& session, int32_t maxResults, UtteranceRun* run) {
    Expected<std::vector<std::u16string>> texts = session.entries(Session::kAllResults);
    if (!texts) {
        run->resultCode = texts.error().code;
        return;
    }
    for (size_t k = 0; k < texts->size(); ++k) {
        const std::u16string& text = (*texts)[k];
        if (text.empty()) {
            run->emptyRanks.push_back(static_cast<int32_t>(k + 1));
        } else if (static_cast<int32_t>(run->results.size()) < maxResults) {
            run->results.push_back(ToUtf8(text));
        }
    }
}

int32_t ReadResultDetails(Session& session, size_t results, std::vector<ResultDetails>& details,
                          std::vector<std::array<double, kConfidenceFeatureCount>>& features) {
    Expected<std::vector<std::u16string>> texts = session.entries(Session::kAllResults);
    if (!texts) return texts.error().code;
    // The results are the table's non-empty texts, in order; the details are
    // read by the table's index.
    for (size_t k = 0; k < texts->size() && details.size() < results; ++k) {
        if ((*texts)[k].empty()) continue;
        const auto index = static_cast<int32_t>(k);
        ResultDetails result;
        result.text = std::move((*texts)[k]);
        std::array<double, kConfidenceFeatureCount> found{};
        int32_t code = Vantir_GetResultInfo(session.get(), index, &result.info);
        result.withPostal = SessionHasPostal(session.get());
        if (code == VANTIR_OK && result.withPostal) {
            code = Vantir_GetResultPostal(session.get(), index, &result.postal);
        }
        if (code == VANTIR_OK) code = ReadConfidenceFeatures(session.get(), index, found.data());
        if (code != VANTIR_OK) return code;
        details.push_back(std::move(result));
        features.push_back(found);
    }
    return VANTIR_OK;
}

void ReadRunDetails(Session& session, UtteranceRun* run) {
    if (run->resultCode < 0) return;
    const int32_t code =
        ReadResultDetails(session, run->results.size(), run->details, run->features);
    if (code != VANTIR_OK) run->resultCode = code;
}

}  // namespace vantir::tools
