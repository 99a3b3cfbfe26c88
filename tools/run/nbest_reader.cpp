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
bool StartsKaldi(const SourceLine& line, const std::string& file) {
    const std::string field = SplitFields(line.text)[0];
    const KeyReading reading = ReadKaldiKey(field);
    if (!reading.key && reading.meantAsKey) {
        Fail(file, line.number,
             Shown(field) + " looks like a Kaldi 'UTTID-RANK' key, but " + reading.problem +
                 "; correct it, or give --format plain to read the lines as words");
    }
    return reading.key.has_value();
}

bool LooksLikeKaldi(const std::vector<SourceLine>& lines, const std::string& file) {
    for (const SourceLine& line : lines) {
        if (!IsBlankOrComment(line.text)) return StartsKaldi(line, file);
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

// Takes the lines one by one in either convention; the convention of kAuto is
// settled by the first line that is neither blank nor a comment, which both
// conventions skip.
class NbestParser {
  public:
    NbestParser(std::string file, NbestFormat format, Diagnostics& diagnostics)
        : file_(std::move(file)), format_(format), diagnostics_(diagnostics) {}

    void Add(const SourceLine& line) {
        if (format_ == NbestFormat::kAuto) {
            if (IsBlankOrComment(line.text)) return;
            format_ = StartsKaldi(line, file_) ? NbestFormat::kKaldi : NbestFormat::kPlain;
        }
        if (format_ == NbestFormat::kKaldi) {
            AddKaldi(line);
        } else {
            AddPlain(line);
        }
    }

    NbestInput Finish() {
        NbestInput input;
        input.format = format_ == NbestFormat::kKaldi ? NbestFormat::kKaldi : NbestFormat::kPlain;
        if (format_ == NbestFormat::kKaldi) {
            for (Utterance& utterance : utterances_) {
                std::stable_sort(
                    utterance.hypotheses.begin(), utterance.hypotheses.end(),
                    [](const Hypothesis& a, const Hypothesis& b) { return a.rank < b.rank; });
                WarnAboutRankGaps(utterance, file_, diagnostics_);
            }
        }
        input.utterances = std::move(utterances_);
        return input;
    }

  private:
    void AddKaldi(const SourceLine& line) {
        if (IsBlankOrComment(line.text)) return;
        std::vector<std::string> fields = SplitFields(line.text);
        const KeyReading reading = ReadKaldiKey(fields[0]);
        if (!reading.key) {
            Fail(file_, line.number,
                 "expected 'UTTID-RANK word ...', found " + Shown(fields[0]) + " (" +
                     reading.problem + ")");
        }
        const KaldiKey& key = *reading.key;
        const auto [at, inserted] = indexOf_.emplace(key.id, utterances_.size());
        if (inserted) utterances_.push_back({key.id, {}});
        // One look-up per line: an utterance of many hypotheses costs no more per line.
        const uint64_t rankKey =
            (static_cast<uint64_t>(at->second) << 32) | static_cast<uint32_t>(key.rank);
        const auto [seen, fresh] = lineOfRank_.emplace(rankKey, line.number);
        if (!fresh) {
            Fail(file_, line.number,
                 "rank " + std::to_string(key.rank) + " of " + Shown(key.id) + " repeats line " +
                     std::to_string(seen->second));
        }
        fields.erase(fields.begin());
        utterances_[at->second].hypotheses.push_back({key.rank, line.number, std::move(fields)});
    }

    void AddPlain(const SourceLine& line) {
        std::vector<std::string> fields = SplitFields(line.text);
        if (fields.empty()) {
            open_ = false;
            return;
        }
        if (fields[0][0] == '#') return;
        if (!open_) {
            utterances_.push_back({std::to_string(utterances_.size() + 1), {}});
            open_ = true;
        }
        Utterance& utterance = utterances_.back();
        utterance.hypotheses.push_back({static_cast<int32_t>(utterance.hypotheses.size() + 1),
                                        line.number, std::move(fields)});
    }

    std::string file_;
    NbestFormat format_;
    Diagnostics& diagnostics_;
    std::vector<Utterance> utterances_;
    std::unordered_map<std::string, size_t> indexOf_;   // Kaldi: id -> utterance
    std::unordered_map<uint64_t, int32_t> lineOfRank_;  // Kaldi: utterance and rank -> line
    bool open_ = false;                                 // plain: an utterance takes lines
};

}  // namespace

NbestFormat ResolveNbestFormat(const std::vector<SourceLine>& lines, const std::string& file,
                               NbestFormat format) {
    if (format != NbestFormat::kAuto) return format;
    return LooksLikeKaldi(lines, file) ? NbestFormat::kKaldi : NbestFormat::kPlain;
}

std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format, Diagnostics& diagnostics) {
    NbestParser parser(file, format, diagnostics);
    for (const SourceLine& line : lines)
        parser.Add(line);
    return parser.Finish().utterances;
}

std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format) {
    Diagnostics quiet;
    return ParseNbest(lines, file, format, quiet);
}

NbestInput ReadNbest(const std::filesystem::path& path, NbestFormat format,
                     Diagnostics& diagnostics) {
    SourceReader reader(path);
    NbestParser parser(reader.name(), format, diagnostics);
    SourceLine line;
    while (reader.Next(line))
        parser.Add(line);
    return parser.Finish();
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
