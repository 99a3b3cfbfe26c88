// Readers of N-best files in the Kaldi and plain conventions, and of reference
// texts for evaluation.
#include "tools/run/nbest_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "tools/compile/diagnostics.h"

namespace vantir::tools {

namespace {

struct KaldiKey {
    std::string id;
    int32_t rank;
};

// A first field read as "ID-RANK": the key, or why it is none. A field whose
// part after the last '-' is ASCII letters and digits was meant as a key.
struct KeyReading {
    std::optional<KaldiKey> key;
    std::string problem;
    bool meantAsKey = false;
};

bool IsAsciiAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

KeyReading ReadKaldiKey(const std::string& field) {
    const size_t dash = field.rfind('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == field.size()) {
        return {std::nullopt, "no '-RANK' after an utterance id", false};
    }
    const std::string_view rankText(field.data() + dash + 1, field.size() - dash - 1);
    const bool meant = std::all_of(rankText.begin(), rankText.end(), IsAsciiAlphanumeric);
    const bool digits =
        std::all_of(rankText.begin(), rankText.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return {std::nullopt, "rank " + Shown(rankText) + " is not a number", meant};
    int32_t rank = 0;
    const auto [stop, error] =
        std::from_chars(rankText.data(), rankText.data() + rankText.size(), rank);
    if (error == std::errc::result_out_of_range) {
        return {std::nullopt, "rank " + Shown(rankText) + " is above " + std::to_string(INT32_MAX),
                true};
    }
    if (rank < 1) return {std::nullopt, "ranks start at 1", true};
    return {KaldiKey{field.substr(0, dash), rank}, {}, true};
}

// Kaldi when the first non-blank line starts with a key; a first field that was
// meant as a key but is malformed fails rather than turning the file into plain lines.
bool LooksLikeKaldi(const std::vector<SourceLine>& lines, const std::string& file) {
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        const std::string field = SplitFields(line.text)[0];
        const KeyReading reading = ReadKaldiKey(field);
        if (!reading.key && reading.meantAsKey) {
            Fail(file, line.number,
                 Shown(field) + " looks like a Kaldi 'UTTID-RANK' key, but " + reading.problem +
                     "; correct it, or give --format plain to read the lines as words");
        }
        return reading.key.has_value();
    }
    return false;
}

// Ranks need not be dense, but a gap usually means lost or mislabelled lines.
void WarnAboutRankGaps(const Utterance& utterance, const std::string& file,
                       Diagnostics& diagnostics) {
    int32_t previous = 0;
    for (const Hypothesis& hypothesis : utterance.hypotheses) {
        if (hypothesis.rank > previous + 1) {
            const int32_t first = previous + 1;
            const int32_t last = hypothesis.rank - 1;
            const std::string missing = first == last
                                            ? "rank " + std::to_string(first) + " is missing"
                                            : "ranks " + std::to_string(first) + " to " +
                                                  std::to_string(last) + " are missing";
            diagnostics.Warn(file, hypothesis.line,
                             "utterance " + Shown(utterance.id) + ": " + missing + " before rank " +
                                 std::to_string(hypothesis.rank) +
                                 "; the hypotheses are taken in rank order",
                             "gaps in the ranks");
        }
        previous = hypothesis.rank;
    }
}

std::vector<Utterance> ParseKaldi(const std::vector<SourceLine>& lines, const std::string& file,
                                  Diagnostics& diagnostics) {
    std::vector<Utterance> utterances;
    std::unordered_map<std::string, size_t> indexOf;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        std::vector<std::string> fields = SplitFields(line.text);
        const KeyReading reading = ReadKaldiKey(fields[0]);
        if (!reading.key) {
            Fail(file, line.number,
                 "expected 'UTTID-RANK word ...', found " + Shown(fields[0]) + " (" +
                     reading.problem + ")");
        }
        const KaldiKey* key = &*reading.key;
        const auto [at, inserted] = indexOf.emplace(key->id, utterances.size());
        if (inserted) utterances.push_back({key->id, {}});
        Utterance& utterance = utterances[at->second];
        for (const Hypothesis& other : utterance.hypotheses) {
            if (other.rank == key->rank) {
                Fail(file, line.number,
                     "rank " + std::to_string(key->rank) + " of " + Shown(key->id) +
                         " repeats line " + std::to_string(other.line));
            }
        }
        fields.erase(fields.begin());
        utterance.hypotheses.push_back({key->rank, line.number, std::move(fields)});
    }
    for (Utterance& utterance : utterances) {
        std::stable_sort(utterance.hypotheses.begin(), utterance.hypotheses.end(),
                         [](const Hypothesis& a, const Hypothesis& b) { return a.rank < b.rank; });
        WarnAboutRankGaps(utterance, file, diagnostics);
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

NbestFormat ResolveNbestFormat(const std::vector<SourceLine>& lines, const std::string& file,
                               NbestFormat format) {
    if (format != NbestFormat::kAuto) return format;
    return LooksLikeKaldi(lines, file) ? NbestFormat::kKaldi : NbestFormat::kPlain;
}

std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format, Diagnostics& diagnostics) {
    if (format == NbestFormat::kAuto) {
        format = LooksLikeKaldi(lines, file) ? NbestFormat::kKaldi : NbestFormat::kPlain;
    }
    return format == NbestFormat::kKaldi ? ParseKaldi(lines, file, diagnostics) : ParsePlain(lines);
}

std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format) {
    Diagnostics quiet;
    return ParseNbest(lines, file, format, quiet);
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
                 "utterance " + Shown(fields[0]) + " repeats line " + std::to_string(at->second));
        }
        std::string text;
        for (size_t k = 1; k < fields.size(); ++k)
            text += fields[k];
        references.emplace(fields[0], text);
    }
    return references;
}

}  // namespace vantir::tools
