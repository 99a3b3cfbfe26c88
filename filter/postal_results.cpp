// The postal ranges in the filter: a result's fields read as a postal query, the
// districts that stand in for a refused one, and the postal delivery order.
#include "filter/postal_results.h"

#include "address/word_fields.h"
#include "textutil/byte_order.h"
#include "textutil/chinese_numerals.h"
#include "vantir/lexicon.h"

namespace vantir {

namespace {

constexpr char16_t kNumberPartUnit = u'\u4E4B';  // 之
constexpr int32_t kMostNameUnits = 64;           // longer names are no names of the blob

int32_t NameOfSpan(const PostalView& view, const char16_t* text, const FieldSpan& span) {
    if (span.length <= 0) return kPostalNotSaid;
    const int32_t found = FindPostalName(view, text + span.start, span.length);
    return found >= 0 ? found : kPostalNoSuchName;
}

// The number of a field that ends in its key (五段, 123巷, 4弄); 0 for none.
int32_t NumberOfSpan(const char16_t* text, const FieldSpan& span) {
    if (span.length <= 1) return 0;
    const int32_t value = ReadNumber(text + span.start, span.length - 1);
    return value > 0 ? value : 0;
}

// Accurate mode composes and groups numbers with the long runs it reads.
NumberGrouping GroupingOf(const FilterSession* session) {
    return (session->options & VANTIR_OPTION_ACCURATE) != 0 ? NumberGrouping::kLongRuns
                                                            : NumberGrouping::kGrammarPrefixes;
}

}  // namespace

PostalQuery PostalQueryOf(const PostalView& view, const char16_t* text,
                          const FieldSpan spans[kResultFieldCount]) {
    PostalQuery query{};
    query.county = NameOfSpan(view, text, spans[kFieldUpper]);
    query.district = NameOfSpan(view, text, spans[kFieldLower]);
    query.road = NameOfSpan(view, text, spans[kFieldRoad]);
    query.section = NumberOfSpan(text, spans[kFieldSection]);
    query.lane = NumberOfSpan(text, spans[kFieldLane]);
    query.alley = NumberOfSpan(text, spans[kFieldAlley]);
    const FieldSpan number = spans[kFieldNumber];
    if (number.length > 1) {
        // "15號" or "15之1號": the part after 之 lies between 15 and 16.
        const char16_t* units = text + number.start;
        const int32_t length = number.length - 1;
        int32_t split = 0;
        while (split < length && units[split] != kNumberPartUnit)
            ++split;
        const int32_t value = ReadNumber(units, split);
        const int32_t part = split < length ? ReadNumber(units + split + 1, length - split - 1) : 0;
        if (value > 0 && part >= 0) {
            query.number = value;
            query.part = part;
        }
    }
    return query;
}

PostalAnswer EntryPostal(const FilterSession* session, const ResultEntry& entry,
                         PostalQuery* query) {
    if (session->postalBlob == nullptr) return PostalAnswer{VANTIR_POSTAL_UNKNOWN, -1, -1, -1};
    PostalMark& mark = entry.postal;
    if (mark.read && query == nullptr) {
        return PostalAnswer{mark.status, mark.code, mark.district, mark.range};
    }
    FieldSpan spans[kResultFieldCount];
    EntryFields(session, entry, spans);
    const PostalQuery asked = PostalQueryOf(session->postalView, entry.text, spans);
    if (query != nullptr) *query = asked;
    if (mark.read) return PostalAnswer{mark.status, mark.code, mark.district, mark.range};
    const PostalAnswer answer = AnswerPostal(session->postalView, asked);
    // The ranges contradict the district when another district of its county
    // holds the address; a number no district holds contradicts none.
    int32_t other = 0;
    const bool refused =
        answer.status == kPostalNotFound && answer.district >= 0 &&
        OtherDistrictsHolding(session->postalView, asked, static_cast<uint32_t>(answer.district),
                              &other, 1) > 0;
    mark = PostalMark{answer.code,
                      answer.range,
                      static_cast<int16_t>(answer.district),
                      static_cast<int8_t>(answer.status),
                      true,
                      refused};
    return answer;
}

PostalAnswer WordsPostal(const FilterSession* session, const WordId* words, int32_t n,
                         PostalQuery* query) {
    if (session->postalBlob == nullptr) return PostalAnswer{VANTIR_POSTAL_UNKNOWN, -1, -1, -1};
    const AddressContext context = AddressContextOf(session);
    char16_t text[kComposeBufferCapacity];
    int32_t starts[kMaxLocatedWords + 1];
    const int32_t length =
        (session->options & VANTIR_OPTION_ACCURATE) != 0
            ? ComposeWholeNumbersText(context, words, n, text, kComposeBufferCapacity, starts)
            : ComposeResultText(context, words, n, text, kComposeBufferCapacity, starts);
    FieldSpan spans[kResultFieldCount];
    LocateWordFields(context, words, n, GroupingOf(session), starts, length, spans);
    const PostalQuery asked = PostalQueryOf(session->postalView, text, spans);
    if (query != nullptr) *query = asked;
    return AnswerPostal(session->postalView, asked);
}

void ApplyPostalOrder(const FilterSession* session, int32_t* order, int32_t n) {
    const ResultEntry* table = session->results;
    // Table index of each arrival order, for the entries that stand in for one.
    int32_t byArrival[kMaxResults];
    for (int32_t i = 0; i < kMaxResults; ++i)
        byArrival[i] = -1;
    for (int32_t i = 0; i < n; ++i)
        byArrival[table[i].arrivalOrder] = i;
    // An entry stands in for another only when that one was said itself.
    auto standsInFor = [&](int32_t entry) {
        const int32_t origin = table[entry].postalOrigin;
        if (origin < 0 || origin >= kMaxResults || byArrival[origin] < 0) return -1;
        return table[byArrival[origin]].postalOrigin < 0 ? byArrival[origin] : -1;
    };
    int32_t placed[kMaxResults];
    int32_t count = 0;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t entry = order[k];
        if (standsInFor(entry) >= 0) continue;
        for (int32_t j = 0; j < n; ++j) {
            if (standsInFor(order[j]) == entry) placed[count++] = order[j];
        }
        placed[count++] = entry;
    }
    bool refused[kMaxResults];
    int32_t lastConfirmed = -1;
    for (int32_t k = 0; k < count; ++k) {
        const PostalAnswer answer = EntryPostal(session, table[placed[k]]);
        if (PostalConfirms(answer.status)) lastConfirmed = k;
        refused[k] = table[placed[k]].postal.refused;
    }
    // Refused results above the last confirmed one move right below it.
    int32_t at = 0;
    for (int32_t k = 0; k <= lastConfirmed; ++k) {
        if (!refused[k]) order[at++] = placed[k];
    }
    for (int32_t k = 0; k <= lastConfirmed; ++k) {
        if (refused[k]) order[at++] = placed[k];
    }
    for (int32_t k = lastConfirmed + 1; k < count; ++k)
        order[at++] = placed[k];
}

int32_t PostalNameOfWord(const FilterSession* session, WordId word) {
    int32_t length = 0;
    const char16_t* text = Lexicon_GetWord(session->lexicon, word, &length);
    if (text == nullptr || length <= 0 || length > kMostNameUnits) return kPostalNoSuchName;
    char16_t units[kMostNameUnits];
    for (int32_t i = 0; i < length; ++i)
        units[i] = LoadUnitAt(text, i);
    PostalWordName& cached =
        session->postalWords[static_cast<uint32_t>(word) % static_cast<uint32_t>(kPostalWordCache)];
    if (cached.word == word && static_cast<uint32_t>(cached.name) < session->postalView.nameCount) {
        int32_t nameLength = 0;
        const unsigned char* name =
            PostalName(session->postalView, static_cast<uint32_t>(cached.name), &nameLength);
        bool same = nameLength == length;
        for (int32_t i = 0; same && i < length; ++i)
            same = LoadU16(name + 2 * i) == units[i];
        if (same) return cached.name;
    }
    const int32_t name = FindPostalName(session->postalView, units, length);
    if (name < 0) return kPostalNoSuchName;
    cached = PostalWordName{word, name};
    return name;
}

WordId PostalDistrictWord(const FilterSession* session, int32_t district) {
    const PostalView& view = session->postalView;
    if (district < 0 || static_cast<uint32_t>(district) >= view.districtCount) return -1;
    int32_t length = 0;
    const unsigned char* name =
        PostalName(view, DistrictAt(view, static_cast<uint32_t>(district)).district, &length);
    if (length > kMostNameUnits) return -1;
    char16_t units[kMostNameUnits];
    for (int32_t i = 0; i < length; ++i)
        units[i] = static_cast<char16_t>(LoadU16(name + 2 * i));
    const WordId word = Lexicon_FindIdN(session->lexicon, units, length);
    return word >= 0 && IsModelWord(ModelWordLimit(session->model), word) ? word : -1;
}

int32_t PostalAlternatives(const FilterSession* session, const ResultEntry& said, int32_t* at,
                           WordId* replacements, int32_t capacity) {
    if (!PostalRanking(session) || said.wordCount < 2) return 0;
    // The entry's text was composed already: its fields are read, not made again.
    // The answer is kept per entry; the query is read again only for a refusal.
    if (EntryPostal(session, said).status != VANTIR_POSTAL_NOT_FOUND || !said.postal.refused) {
        return 0;
    }
    PostalQuery query;
    const PostalAnswer answer = EntryPostal(session, said, &query);
    if (answer.district < 0 || query.road < 0) return 0;
    int8_t fields[kMaxLocatedWords];
    const int32_t located = said.wordCount;
    AssignWordFields(AddressContextOf(session), said.words, located, GroupingOf(session), fields);
    *at = -1;
    for (int32_t i = 0; i < located && *at < 0; ++i) {
        if (fields[i] == kFieldLower) *at = i;
    }
    if (*at < 0) return 0;
    int32_t districts[kMaxPostalAlternatives];
    const int32_t most = capacity < kMaxPostalAlternatives ? capacity : kMaxPostalAlternatives;
    const int32_t found = OtherDistrictsHolding(
        session->postalView, query, static_cast<uint32_t>(answer.district), districts, most);
    int32_t kept = 0;
    for (int32_t i = 0; i < found; ++i) {
        const WordId word = PostalDistrictWord(session, districts[i]);
        if (word >= 0) replacements[kept++] = word;
    }
    return kept;
}

}  // namespace vantir
