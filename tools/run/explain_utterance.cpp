// The explanation of a whole utterance: the hypotheses one by one, then the
// results of all of them together with the evidence that ordered them.
#include "tools/run/explain_utterance.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "tools/run/explain_report.h"
#include "tools/run/filter_run.h"

namespace vantir::tools {

namespace {

constexpr int kLabelWidth = 16;
constexpr const char* kIndent = "                   ";

std::string Fixed(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << value;
    return text.str();
}

std::string Ranks(const std::vector<int32_t>& ranks) {
    std::string text;
    for (int32_t rank : ranks)
        text += (text.empty() ? "" : ", ") + std::to_string(rank);
    return text;
}

std::string FieldsLine(const ResultDetails& result) {
    std::string text;
    for (int32_t f = 0; f < VANTIR_FIELD_COUNT; ++f) {
        const std::u16string_view field = result.field(f);
        if (field.empty()) continue;
        text += (text.empty() ? "" : ", ") + std::string(FieldName(f)) + " " + ToUtf8(field);
    }
    return text.empty() ? "none" : text;
}

const char* OrderRule(bool accurate) {
    return accurate ? "accurate mode: by evidence, the rank weights (1/rank) of the hypotheses "
                      "that give a text, region choices weighed by what the utterance heard, "
                      "votes of texts that share its fields; a text that a longer one begins "
                      "comes after it"
                    : "default mode: by class, then by the hypothesis that gave the text first "
                      "(support does not change the order)";
}

void PrintResult(std::ostream& out, const UtteranceExplanation& u, size_t k) {
    const UtteranceResult& result = u.results[k];
    const VantirResultInfo& info = result.details.info;
    const auto& x = result.features;
    out << std::left << std::setw(kLabelWidth) << (k == 0 ? "results" : "") << k + 1 << ". "
        << ToUtf8(result.details.text) << "  confidence " << Fixed(info.confidence) << '\n';
    out << kIndent << "class " << info.resultClass << ": "
        << ResultClassMeaning(static_cast<uint8_t>(info.resultClass)) << '\n';
    out << kIndent << "support " << info.support << " of " << u.hypotheses.size() << " hypotheses";
    if (!result.ranks.empty()) out << " (" << Ranks(result.ranks) << ")";
    out << ", first rank " << info.firstRank + 1 << ", rank-weight share "
        << Fixed(x[kFeatureSupportShare]) << '\n';
    out << kIndent << (u.accurate ? "evidence share " : "support among the results ")
        << Fixed(x[kFeatureScoreShare]) << ", " << Fixed(x[kFeatureMargin])
        << " against the strongest other result";
    if (x[kFeatureCutShort] > 0.0) out << "; cut short: a longer result begins with it";
    out << '\n' << kIndent << "fields " << FieldsLine(result.details) << '\n';
}

}  // namespace

UtteranceExplanation ExplainUtterance(LoadedData& data,
                                      const std::vector<std::vector<WordId>>& hypotheses) {
    UtteranceExplanation u;
    const uint32_t options = Vantir_GetOptions(data.session.get());
    u.accurate = (options & VANTIR_OPTION_ACCURATE) != 0;
    for (const std::vector<WordId>& ids : hypotheses)
        u.hypotheses.push_back(ExplainHypothesis(data, ids));

    // A session of its own, reading the model only, as ExplainHypothesis's intake.
    Expected<Session> session =
        Session::Create(data.model.get(), data.lexicon.get(), data.address.data());
    if (!session) {
        u.resultCode = session.error().code;
        return u;
    }
    u.resultCode = Vantir_SetOptions(session->get(), options | VANTIR_OPTION_SHARED_MODEL);
    if (u.resultCode != VANTIR_OK) return u;
    for (const std::vector<WordId>& ids : hypotheses)
        u.codes.push_back(session->add(ids));

    UtteranceRun run;
    ReadRunResults(*session, Session::kAllResults, &run);
    ReadRunDetails(*session, &run);
    u.resultCode = run.resultCode;
    for (size_t k = 0; k < run.details.size(); ++k) {
        UtteranceResult result{std::move(run.details[k]), run.features[k], {}};
        for (size_t h = 0; h < u.hypotheses.size(); ++h) {
            const std::vector<ResultView>& own = u.hypotheses[h].results;
            const bool gives = std::any_of(own.begin(), own.end(), [&](const ResultView& view) {
                return view.text == result.details.text;
            });
            if (gives) result.ranks.push_back(static_cast<int32_t>(h + 1));
        }
        u.results.push_back(std::move(result));
    }
    return u;
}

void PrintUtteranceExplanation(const LoadedData& data, const UtteranceExplanation& u,
                               std::ostream& out) {
    for (size_t h = 0; h < u.hypotheses.size(); ++h) {
        out << "== hypothesis " << h + 1 << " of " << u.hypotheses.size() << '\n';
        PrintExplanation(data, u.hypotheses[h], out);
    }
    out << "== utterance (" << u.hypotheses.size() << " hypotheses)\n";
    std::string codes;
    for (int32_t code : u.codes)
        codes += (codes.empty() ? "" : " ") + std::to_string(code);
    out << std::left << std::setw(kLabelWidth) << "intake"
        << "codes " << codes << '\n';
    out << std::left << std::setw(kLabelWidth) << "order" << OrderRule(u.accurate) << '\n';
    if (u.resultCode < 0) {
        out << std::left << std::setw(kLabelWidth) << "results"
            << "(listing failed with code " << u.resultCode << ")\n";
        return;
    }
    if (u.results.empty())
        out << std::left << std::setw(kLabelWidth) << "results"
            << "none\n";
    for (size_t k = 0; k < u.results.size(); ++k)
        PrintResult(out, u, k);
}

}  // namespace vantir::tools
