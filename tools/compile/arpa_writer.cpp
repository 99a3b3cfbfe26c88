// Writer of ARPA files for trained bigram models, so that other language model
// tools can read what `vantir train` estimates.
#include <iomanip>
#include <ostream>

#include "tools/compile/arpa_model.h"

namespace vantir::tools {

namespace {

constexpr int kDecimals = 6;

}  // namespace

void WriteArpa(const ArpaModel& model, std::ostream& out) {
    out << std::fixed << std::setprecision(kDecimals);
    out << "\\data\\\n";
    out << "ngram 1=" << model.unigrams.size() << "\n";
    out << "ngram 2=" << model.bigrams.size() << "\n\n";
    out << "\\1-grams:\n";
    for (const ArpaUnigram& unigram : model.unigrams) {
        out << unigram.logProb << '\t' << unigram.word;
        if (unigram.logBackoff != 0) out << '\t' << unigram.logBackoff;
        out << '\n';
    }
    out << "\n\\2-grams:\n";
    for (const ArpaBigram& bigram : model.bigrams) {
        out << bigram.logProb << '\t' << bigram.first << ' ' << bigram.second << '\n';
    }
    out << "\n\\end\\\n";
}

}  // namespace vantir::tools
