// The postal ranges in the filter: the postal answer of a result or of a word
// sequence, and the delivery order that VANTIR_OPTION_POSTAL gives the results.
#ifndef VANTIR_FILTER_POSTAL_RESULTS_H
#define VANTIR_FILTER_POSTAL_RESULTS_H

#include <cstdint>

#include "address/postal_lookup.h"
#include "filter/session.h"

namespace vantir {

// Districts of one county that another district's address may be moved to.
constexpr int32_t kMaxPostalAlternatives = 8;

// True when the option is set and a postal blob is attached: only then do the
// ranges change what is listed and in which order.
inline bool PostalRanking(const FilterSession* session) {
    return (session->options & VANTIR_OPTION_POSTAL) != 0 && session->postalBlob != nullptr;
}

// The query of a composed text whose fields stand at `spans`.
PostalQuery PostalQueryOf(const PostalView& view, const char16_t* text,
                          const FieldSpan spans[kResultFieldCount]);

// The postal answer of a stored result (unknown without a blob); its query
// into *query when that is not null.
PostalAnswer EntryPostal(const FilterSession* session, const ResultEntry& entry,
                         PostalQuery* query = nullptr);

// The postal answer of words[0..n-1], composed as the session's mode composes
// them; its query into *query when that is not null.
PostalAnswer WordsPostal(const FilterSession* session, const WordId* words, int32_t n,
                         PostalQuery* query = nullptr);

// The name index of the word's text in the postal blob: kPostalNoSuchName for
// a word the blob does not name.
int32_t PostalNameOfWord(const FilterSession* session, WordId word);

// Rearranges order[0..n-1] (table indices in delivery order): an entry that
// stands in for a refused district goes right before the entry it stands in
// for, and, when the ranges confirm any result, results whose district they
// refuse (another district of the county holds the address) go below the last
// one they confirm, each group in its order.
void ApplyPostalOrder(const FilterSession* session, int32_t* order, int32_t n);

// The word of the district of index `district` of the postal blob, or -1.
WordId PostalDistrictWord(const FilterSession* session, int32_t district);

// When the entry `said` names a district that the ranges refuse and other
// districts of its county hold the address: the words of those districts into
// replacements[0..] (at most `capacity`), and where the district word stands
// in the entry's words into *at. Returns how many; 0 without postal ranking.
int32_t PostalAlternatives(const FilterSession* session, const ResultEntry& said, int32_t* at,
                           WordId* replacements, int32_t capacity);

}  // namespace vantir

#endif  // VANTIR_FILTER_POSTAL_RESULTS_H
