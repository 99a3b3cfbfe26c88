// Accurate mode in the filter: the intake of a hypothesis with its evidence,
// and the order of the results by that evidence when they are read.
#ifndef VANTIR_FILTER_ACCURATE_RESULTS_H
#define VANTIR_FILTER_ACCURATE_RESULTS_H

#include <cstdint>

#include "filter/session.h"

namespace vantir {

// Reads input[0..count-1] (followed by -1) with evidence and enters one text
// per region choice, gathering the utterance's evidence. Words without an
// address role between the fields, and a word said twice in a row, are passed
// over first: the input is compacted in place. `analysed` needs room
// for count + 10 ids, `sequence` for count + 15. Returns 0, or -1001 when the
// table had no room for the hypothesis' best reading. Never enters an empty text.
int32_t EnterHypothesisAccurately(FilterSession* session, WordId* input, int32_t count,
                                  WordId* analysed, WordId* sequence);

// Writes the indices of the session's entries, best supported first, to
// order[0..resultCount-1], and with `scores` each entry's evidence score to
// scores[entry]. Reads the table and the evidence; changes neither.
void OrderByEvidence(const FilterSession* session, int32_t* order, double* scores = nullptr);

}  // namespace vantir

#endif  // VANTIR_FILTER_ACCURATE_RESULTS_H
