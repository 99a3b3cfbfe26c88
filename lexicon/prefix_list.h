// Per-length steps of the prefix listing, over one static bucket or over the
// added words of one length.
#ifndef VANTIR_LEXICON_PREFIX_LIST_H
#define VANTIR_LEXICON_PREFIX_LIST_H

#include <cstdint>

#include "lexicon/lexicon_object.h"

namespace vantir {

// Ids of the matches among the words of exactly `length` units, ascending, at
// most room of them; with a null out, the number of all those matches.
int32_t ListBucketRange(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                        WordId* out, int32_t room);
int32_t ListAddedRange(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                       WordId* out, int32_t room);

}  // namespace vantir

#endif  // VANTIR_LEXICON_PREFIX_LIST_H
