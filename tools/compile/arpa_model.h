// A bigram language model in the terms of the ARPA text format: log10
// probabilities of words and word pairs, and log10 back-off weights.
#ifndef VANTIR_TOOLS_ARPA_MODEL_H
#define VANTIR_TOOLS_ARPA_MODEL_H

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/compile/diagnostics.h"
#include "tools/compile/text_source.h"

namespace vantir::tools {

constexpr const char* kSentenceStart = "<s>";
constexpr const char* kSentenceEnd = "</s>";
constexpr const char* kUnknownWord = "<unk>";

struct ArpaUnigram {
    std::string word;
    double logProb = 0;     // log10 P(word)
    double logBackoff = 0;  // log10 back-off weight; 0 when the file gives none
    int32_t line = 0;       // source line, 0 for a trained model
};

struct ArpaBigram {
    std::string first;
    std::string second;
    double logProb = 0;  // log10 P(second | first)
    int32_t line = 0;
};

struct ArpaModel {
    std::vector<ArpaUnigram> unigrams;
    std::vector<ArpaBigram> bigrams;
};

// Parses the 1-gram and 2-gram sections of an ARPA file. Sections of higher
// orders are skipped with a warning. Fails, naming the line, on a malformed
// entry, a repeated n-gram, a 2-gram over a word without a 1-gram, counts that
// differ from the \data\ header, and a missing \end\.
ArpaModel ParseArpa(const std::vector<SourceLine>& lines, const std::string& file,
                    Diagnostics& diagnostics);

// Writes the model as an ARPA file with 1-grams and 2-grams.
void WriteArpa(const ArpaModel& model, std::ostream& out);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_ARPA_MODEL_H
