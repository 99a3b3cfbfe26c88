// vantir.Filter's batch entry point (filter_many) and its pickling: the
// methods that AddBatchMethods adds to the Filter class of the module.
#ifndef VANTIR_PYTHON_BATCH_H
#define VANTIR_PYTHON_BATCH_H

#include <pybind11/pybind11.h>

#include "python/src/filter_engine.h"

namespace vantir::python {

// Adds filter_many and __reduce__ to the Filter class; `unknownWordWarning`
// is the category filter() warns with.
void AddBatchMethods(pybind11::class_<FilterEngine>& filter, pybind11::handle unknownWordWarning);

}  // namespace vantir::python

#endif  // VANTIR_PYTHON_BATCH_H
