// The printed form of an explanation: one labelled line per decision, as
// `vantir explain` shows it and the Python module returns it.
#ifndef VANTIR_TOOLS_EXPLAIN_REPORT_H
#define VANTIR_TOOLS_EXPLAIN_REPORT_H

#include <ostream>

#include "tools/run/data_dir.h"
#include "tools/run/explain.h"

namespace vantir::tools {

// Writes the report of `e`, which ExplainHypothesis made over `data`. Words are
// spelled through the data's lexicon and tagged through its session.
void PrintExplanation(const LoadedData& data, const Explanation& e, std::ostream& out);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_EXPLAIN_REPORT_H
