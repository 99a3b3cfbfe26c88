// Reader of ARPA back-off language model files, 1-grams and 2-grams.
// Works section by section: \data\ counts, \N-grams:, \end\.
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <string_view>
#include <utility>

#include "tools/compile/arpa_model.h"

namespace vantir::tools {

namespace {

constexpr int32_t kHighestOrderRead = 2;

enum class Section { kPreamble, kData, kGrams, kEnd };

struct ParseState {
    const std::string& file;
    Diagnostics& diagnostics;
    ArpaModel model;
    Section section = Section::kPreamble;
    int32_t order = 0;                       // of the current \N-grams: section
    std::map<int32_t, int64_t> declared;     // order -> count declared in the data section
    std::map<int32_t, int64_t> found;        // order -> entries read
    std::map<int32_t, int32_t> sectionLine;  // order -> line of its header
    std::map<std::string, size_t> unigramAt;
    std::set<std::pair<std::string, std::string>> bigramSeen;
};

double ParseLog10(const std::string& text, const std::string& file, int32_t line) {
    double value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || std::isnan(value)) {
        Fail(file, line, Shown(text) + " is not a number");
    }
    return value;
}

void ReadDataLine(ParseState& state, const SourceLine& line, std::string_view text) {
    // "ngram N=COUNT"
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.size() != 2 || fields[0] != "ngram") {
        Fail(state.file, line.number, "expected 'ngram N=COUNT' in the \\data\\ section");
    }
    const std::string& countField = fields[1];
    const size_t equals = countField.find('=');
    int32_t order = 0;
    int64_t count = -1;
    if (equals != std::string::npos) {
        const char* orderEnd = countField.data() + equals;
        const char* countEnd = countField.data() + countField.size();
        if (std::from_chars(countField.data(), orderEnd, order).ptr != orderEnd) order = 0;
        if (std::from_chars(orderEnd + 1, countEnd, count).ptr != countEnd) count = -1;
    }
    if (order < 1 || count < 0) {
        Fail(state.file, line.number, "expected 'ngram N=COUNT' in the \\data\\ section");
    }
    state.declared[order] = count;
}

void ReadUnigram(ParseState& state, const SourceLine& line,
                 const std::vector<std::string>& fields) {
    if (fields.size() != 2 && fields.size() != 3) {
        Fail(state.file, line.number, "expected 'log10prob word [log10backoff]'");
    }
    ArpaUnigram unigram;
    unigram.logProb = ParseLog10(fields[0], state.file, line.number);
    unigram.word = fields[1];
    if (fields.size() == 3) unigram.logBackoff = ParseLog10(fields[2], state.file, line.number);
    unigram.line = line.number;
    if (unigram.logProb > 0) {
        Fail(state.file, line.number, "probability of " + Shown(unigram.word) + " is above 1");
    }
    const auto [at, inserted] = state.unigramAt.emplace(unigram.word, state.model.unigrams.size());
    if (!inserted) {
        Fail(state.file, line.number,
             "1-gram " + Shown(unigram.word) + " repeats line " +
                 std::to_string(state.model.unigrams[at->second].line));
    }
    state.model.unigrams.push_back(std::move(unigram));
}

void ReadBigram(ParseState& state, const SourceLine& line, const std::vector<std::string>& fields) {
    if (fields.size() != 3 && fields.size() != 4) {
        Fail(state.file, line.number, "expected 'log10prob word word [log10backoff]'");
    }
    ArpaBigram bigram;
    bigram.logProb = ParseLog10(fields[0], state.file, line.number);
    bigram.first = fields[1];
    bigram.second = fields[2];
    bigram.line = line.number;
    if (bigram.logProb > 0) {
        Fail(state.file, line.number,
             "probability of " + Shown(bigram.first + " " + bigram.second) + " is above 1");
    }
    for (const std::string* word : {&bigram.first, &bigram.second}) {
        if (state.unigramAt.count(*word) == 0) {
            Fail(state.file, line.number, "word " + Shown(*word) + " of a 2-gram has no 1-gram");
        }
    }
    if (!state.bigramSeen.emplace(bigram.first, bigram.second).second) {
        Fail(state.file, line.number,
             "2-gram " + Shown(bigram.first + " " + bigram.second) + " repeats");
    }
    state.model.bigrams.push_back(std::move(bigram));
}

void CloseSection(ParseState& state) {
    if (state.section != Section::kGrams || state.order > kHighestOrderRead) return;
    const int64_t declared = state.declared.count(state.order) ? state.declared[state.order] : -1;
    if (declared != state.found[state.order]) {
        Fail(state.file, state.sectionLine[state.order],
             "\\data\\ declares " + std::to_string(declared) + " " + std::to_string(state.order) +
                 "-grams but the section holds " + std::to_string(state.found[state.order]));
    }
}

bool ReadSectionHeader(ParseState& state, const SourceLine& line, std::string_view text) {
    // "\N-grams:"
    if (text.size() < 9 || text.front() != '\\' || text.substr(text.size() - 7) != "-grams:") {
        return false;
    }
    int32_t order = 0;
    const auto [stop, error] =
        std::from_chars(text.data() + 1, text.data() + text.size() - 7, order);
    if (error != std::errc() || stop != text.data() + text.size() - 7 || order < 1) return false;
    CloseSection(state);
    if (state.declared.count(order) == 0) {
        Fail(state.file, line.number,
             "section of " + std::to_string(order) + "-grams is not declared in \\data\\");
    }
    if (order > kHighestOrderRead) {
        state.diagnostics.Warn(state.file, line.number,
                               std::to_string(order) + "-grams are ignored (bigram model)");
    }
    state.section = Section::kGrams;
    state.order = order;
    state.sectionLine[order] = line.number;
    return true;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

ArpaModel ParseArpa(const std::vector<SourceLine>& lines, const std::string& file,
                    Diagnostics& diagnostics) {
    ParseState state{file, diagnostics, {}, Section::kPreamble, 0, {}, {}, {}, {}, {}};
    for (const SourceLine& line : lines) {
        const std::string_view text = Trimmed(line.text);
        if (state.section == Section::kPreamble) {
            if (text == "\\data\\") state.section = Section::kData;
            continue;  // anything before \data\ is commentary
        }
        if (text.empty()) continue;
        if (state.section == Section::kEnd) {
            Fail(file, line.number, "text after \\end\\");
        }
        if (text == "\\end\\") {
            CloseSection(state);
            state.section = Section::kEnd;
            continue;
        }
        if (ReadSectionHeader(state, line, text)) continue;
        if (state.section == Section::kData) {
            ReadDataLine(state, line, text);
            continue;
        }
        if (state.order > kHighestOrderRead) continue;
        const std::vector<std::string> fields = SplitFields(text);
        ++state.found[state.order];
        if (state.order == 1) {
            ReadUnigram(state, line, fields);
        } else {
            ReadBigram(state, line, fields);
        }
    }
    if (state.section == Section::kPreamble) Fail(file, 0, "no \\data\\ section: not an ARPA file");
    if (state.section != Section::kEnd) {
        Fail(file, lines.empty() ? 0 : lines.back().number, "missing \\end\\ (file cut short?)");
    }
    if (state.declared.count(1) == 0) Fail(file, 0, "\\data\\ declares no 1-grams");
    for (int32_t order = 1; order <= kHighestOrderRead; ++order) {
        if (state.declared.count(order) && state.sectionLine.count(order) == 0 &&
            state.declared[order] > 0) {
            Fail(file, 0, "the section of " + std::to_string(order) + "-grams is missing");
        }
    }
    return std::move(state.model);
}

}  // namespace vantir::tools
