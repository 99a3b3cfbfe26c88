// vantir.Filter's batch entry point (filter_many) and its pickling: the
// methods that AddBatchMethods adds to the Filter class of the module.
#ifndef VANTIR_PYTHON_BATCH_H
#define VANTIR_PYTHON_BATCH_H

#include <pybind11/pybind11.h>

#include <string_view>

#include "python/src/filter_engine.h"

namespace vantir::python {

// A hypothesis as filter() takes it in: without a byte order mark before it and
// the line break (LF, CR LF or CR) after it, which lines read from a file keep
// and which would otherwise stick to its first and last word.
std::string_view HypothesisText(std::string_view utf8);

// Adds filter_many and __reduce__ to the Filter class; `unknownWordWarning`
// is the category filter() warns with.
void AddBatchMethods(pybind11::class_<FilterEngine>& filter, pybind11::handle unknownWordWarning);

}  // namespace vantir::python

#endif  // VANTIR_PYTHON_BATCH_H
