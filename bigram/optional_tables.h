// Ownership of the two optional tables (alternative unigram bytes and the extra
// pair table), shared by their installation and the model's destruction.
#ifndef VANTIR_BIGRAM_OPTIONAL_TABLES_H
#define VANTIR_BIGRAM_OPTIONAL_TABLES_H

#include "vantir/bigram.h"

namespace vantir {

// Frees both tables, if present, through the model's pool or the heap, and
// clears their pointers. The alternative table is freed from its allocation
// start, one byte before the stored pointer.
void ReleaseOptionalTables(BigramModel* model);

}  // namespace vantir

#endif  // VANTIR_BIGRAM_OPTIONAL_TABLES_H
