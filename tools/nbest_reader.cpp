// Readers of N-best files in the Kaldi and plain conventions, and of reference
// texts for evaluation.
#include "tools/nbest_reader.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <unordered_map>

#include "tools/diagnostics.h"

namespace vantir::tools {

namespace {

struct KaldiKey {
    std::string id;
    int32_t rank;
};

// "ID-RANK" with a non-empty id and a positive decimal rank.
std::optional<KaldiKey> SplitKaldiKey(const std::string& field) {
    const size_t dash = field.rfind('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == field.size()) return std::nullopt;
    int32_t rank = 0;
    const char* begin = field.data() + dash + 1;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(begin, end, rank);
    if (error != std::errc() || stop != end || rank < 1) return std::nullopt;
    return KaldiKey{field.substr(0, dash), rank};
}

bool LooksLikeKaldi(const std::vector<SourceLine>& lines) {
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        return SplitKaldiKey(SplitFields(line.text)[0]).has_value();
    }
    return false;
}

std::vector<Utterance> ParseKaldi(const std::vector<SourceLine>& lines, const std::string& file) {
    std::vector<Utterance> utterances;
    std::unordered_map<std::string, size_t> indexOf;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        std::vector<std::string> fields = SplitFields(line.text);
        const std::optional<KaldiKey> key = SplitKaldiKey(fields[0]);
        if (!key) {
            Fail(file, line.number, "expected 'UTTID-RANK word ...', found '" + fields[0] + "'");
        }
        const auto [at, inserted] = indexOf.emplace(key->id, utterances.size());
        if (inserted) utterances.push_back({key->id, {}});
        Utterance& utterance = utterances[at->second];
        for (const Hypothesis& other : utterance.hypotheses) {
            if (other.rank == key->rank) {
                Fail(file, line.number,
                     "rank " + std::to_string(key->rank) + " of '" + key->id + "' repeats line " +
                         std::to_string(other.line));
            }
        }
        fields.erase(fields.begin());
        utterance.hypotheses.push_back({key->rank, line.number, std::move(fields)});
    }
    for (Utterance& utterance : utterances) {
        std::stable_sort(utterance.hypotheses.begin(), utterance.hypotheses.end(),
                         [](const Hypothesis& a, const Hypothesis& b) { return a.rank < b.rank; });
    }
    return utterances;
}

std::vector<Utterance> ParsePlain(const std::vector<SourceLine>& lines) {
    std::vector<Utterance> utterances;
    bool open = false;
    for (const SourceLine& line : lines) {
        const std::vector<std::string> fields = SplitFields(line.text);
        if (fields.empty()) {
            open = false;
            continue;
        }
        if (fields[0][0] == '#') continue;
        if (!open) {
            utterances.push_back({std::to_string(utterances.size() + 1), {}});
            open = true;
        }
        Utterance& utterance = utterances.back();
        utterance.hypotheses.push_back(
            {static_cast<int32_t>(utterance.hypotheses.size() + 1), line.number, fields});
    }
    return utterances;
}

}  // namespace

std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format) {
    if (format == NbestFormat::kAuto) {
        format = LooksLikeKaldi(lines) ? NbestFormat::kKaldi : NbestFormat::kPlain;
    }
    return format == NbestFormat::kKaldi ? ParseKaldi(lines, file) : ParsePlain(lines);
}

std::map<std::string, std::string> ParseReferences(const std::vector<SourceLine>& lines,
                                                   const std::string& file) {
    std::map<std::string, std::string> references;
    std::unordered_map<std::string, int32_t> lineOf;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        const std::vector<std::string> fields = SplitFields(line.text);
        if (fields.size() < 2) Fail(file, line.number, "expected 'UTTID text'");
        const auto [at, inserted] = lineOf.emplace(fields[0], line.number);
        if (!inserted) {
            Fail(file, line.number,
                 "utterance '" + fields[0] + "' repeats line " + std::to_string(at->second));
        }
        std::string text;
        for (size_t k = 1; k < fields.size(); ++k)
            text += fields[k];
        references.emplace(fields[0], text);
    }
    return references;
}

}  // namespace vantir::tools
