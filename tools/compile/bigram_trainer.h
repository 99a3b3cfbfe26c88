// Training of a bigram model from a corpus of tokenised addresses: counts with
// interpolated Witten-Bell smoothing, written out as an ARPA model.
#ifndef VANTIR_TOOLS_BIGRAM_TRAINER_H
#define VANTIR_TOOLS_BIGRAM_TRAINER_H

#include <string>
#include <vector>

#include "tools/compile/arpa_model.h"
#include "tools/compile/progress.h"
#include "tools/compile/text_source.h"
#include "tools/compile/vocabulary_reader.h"

namespace vantir::tools {

using Sentence = std::vector<std::string>;

// One address a line, words separated by blanks; '#' comment lines and blank
// lines are skipped. Fails, naming the line, on a word outside the vocabulary.
std::vector<Sentence> ParseCorpus(const std::vector<SourceLine>& lines, const std::string& file,
                                  const Vocabulary& vocabulary);

// Each sentence is read as <s> w1 ... wn </s>. With c counts, T numbers of
// distinct successors, N all predicted tokens (words and </s>) and V the
// vocabulary plus </s>:
//   P1(w)     = (c(w) + T1 / V) / (N + T1)             T1: distinct tokens seen
//   P(w | h)  = (c(h w) + T(h) P1(w)) / (c(h) + T(h))  listed for every pair seen
//   bow(h)    = T(h) / (c(h) + T(h))                    so unseen pairs get bow(h) P1(w)
// <s> gets the 1-gram log10 probability -99 (it is never predicted).
ArpaModel TrainWittenBell(const std::vector<Sentence>& sentences, const Vocabulary& vocabulary,
                          Progress& progress);

// The log10 probability written for <s>.
constexpr double kNeverPredictedLog10 = -99.0;

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_BIGRAM_TRAINER_H
