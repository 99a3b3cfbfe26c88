// The result table: entry of distinct texts (an equal text keeps its entry and at
// most takes the smaller class), and delivery sorted by class, then arrival order.
#include <algorithm>

#include "address/compose_text.h"
#include "address/region_completion.h"
#include "filter/accurate_results.h"
#include "filter/postal_results.h"
#include "filter/session.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

namespace vantir {

namespace {

constexpr uint8_t kClassRegionSecond = 0;  // second word a lower or following region
constexpr uint8_t kClassOther = 1;

}  // namespace

uint8_t ResultClassOf(const AddressContext& context, const WordId* words, int32_t n,
                      int32_t completed) {
    if (completed != 0) return kClassCompleted;
    if (n == 1) return kClassBare;
    // Only the second word is looked at; the trigger matters for two words only.
    const WordId second = words[1];
    if (n == 2 && !Tagged(context, second, kTagCompletionTrigger)) return kClassBare;
    const bool regionSecond = Tagged(context, second, kTagOpenerFollower) ||
                              Tagged(context, second, kTagLowerHead) ||
                              Tagged(context, second, kTagUpperFollower);
    return regionSecond ? kClassRegionSecond : kClassOther;
}

int32_t InsertResult(FilterSession* session, const WordId* words, int32_t n, int32_t completed,
                     const HypothesisSource& source) {
    if (session->resultCount >= kMaxResults) return VANTIR_RESULT_TABLE_FULL;
    char16_t* text = session->scratchText;
    const AddressContext context = AddressContextOf(session);
    ComposedWords composed{words, n, {}, 0};
    int32_t length =
        ComposeResultText(context, words, n, text, kScratchTextCapacity, composed.wordStarts);
    if (length > kMaxResultTextLength) {
        text[kMaxResultTextLength] = 0;
        length = kMaxResultTextLength;
    }
    composed.length = length;
    const uint8_t resultClass = ResultClassOf(context, words, n, completed);

    for (int32_t i = 0; i < session->resultCount; ++i) {
        ResultEntry& entry = session->results[i];
        if (WStrCompare(entry.text, text) == 0) {
            if (entry.resultClass > resultClass) entry.resultClass = resultClass;
            AddEntrySupport(&entry, context, words, n, source);
            return session->resultCount;
        }
    }
    ResultEntry& entry = session->results[session->resultCount];
    entry.arrivalOrder = session->resultCount;
    entry.resultClass = resultClass;
    WStrCopy(entry.text, text);
    StartEntryDetails(&entry, source.rank, GuessesRegion(context, words, n, source), composed);
    return ++session->resultCount;
}

bool GuessesRegion(const AddressContext& context, const WordId* words, int32_t n,
                   const HypothesisSource& source) {
    // Two pairs of a lower name are enough to know it is shared.
    constexpr int32_t kShared = 2;
    // An upper region heads the address whenever it has one.
    if (n < 2 || !Tagged(context, words[0], kTagUpperHead)) return false;
    for (int32_t k = 0; k < source.count; ++k) {
        if (source.input[k] == words[0]) return false;
    }
    return CountPairsOfLowerWord(context, words[1], kShared) >= kShared;
}

void StartEntryDetails(ResultEntry* entry, int32_t rank, bool regionGuessed,
                       const ComposedWords& composed) {
    entry->support = 1;
    entry->firstRank = rank;
    entry->lastRank = rank;
    entry->postalOrigin = -1;
    entry->postal.read = false;
    entry->rankWeight = static_cast<float>(RankWeight(rank));
    entry->regionGuessed = regionGuessed;
    const int32_t n = composed.n < kMaxLocatedWords ? composed.n : kMaxLocatedWords;
    entry->wordCount = static_cast<uint8_t>(n);
    for (int32_t i = 0; i < n; ++i)
        entry->words[i] = composed.words[i];
    // A text cut after composition ends its words there.
    for (int32_t i = 0; i <= n; ++i) {
        const int32_t start = composed.wordStarts[i];
        entry->wordStarts[i] =
            static_cast<uint8_t>(start < composed.length ? start : composed.length);
    }
}

void EntryFields(const FilterSession* session, const ResultEntry& entry,
                 FieldSpan spans[kResultFieldCount]) {
    int32_t starts[kMaxLocatedWords + 1];
    for (int32_t i = 0; i <= entry.wordCount; ++i)
        starts[i] = entry.wordStarts[i];
    // Accurate mode composed its texts with the long number runs it reads.
    const NumberGrouping grouping = (session->options & VANTIR_OPTION_ACCURATE) != 0
                                        ? NumberGrouping::kLongRuns
                                        : NumberGrouping::kGrammarPrefixes;
    LocateWordFields(AddressContextOf(session), entry.words, entry.wordCount, grouping, starts,
                     starts[entry.wordCount], spans);
}

void AddEntrySupport(ResultEntry* entry, const AddressContext& context, const WordId* words,
                     int32_t n, const HypothesisSource& source) {
    // A text that one hypothesis said with its upper region is no guess.
    if (entry->regionGuessed) entry->regionGuessed = GuessesRegion(context, words, n, source);
    const int32_t rank = source.rank;
    if (entry->lastRank == rank) return;
    ++entry->support;
    entry->lastRank = rank;
    entry->rankWeight += static_cast<float>(RankWeight(rank));
}

int32_t CompareResults(const ResultEntry& a, const ResultEntry& b) {
    if (a.resultClass != b.resultClass) {
        return int32_t{a.resultClass} - int32_t{b.resultClass};
    }
    return a.arrivalOrder - b.arrivalOrder;
}

}  // namespace vantir

using namespace vantir;

extern "C" int32_t Vantir_GetFilterResult(FilterSession* session, char16_t* output,
                                          int32_t /*reserved1*/, int32_t /*reserved2*/,
                                          int32_t* count) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if (count == nullptr) return VANTIR_INVALID_ARGUMENT;
    if (*count < 0) return VANTIR_INVALID_ARGUMENT;
    if (*count > session->resultCount) *count = session->resultCount;
    const int32_t wanted = *count;

    // Accurate mode orders by the utterance's evidence and leaves the table
    // in place, since its evidence records are kept by entry.
    int32_t order[kMaxResults];
    const bool accurate = (session->options & VANTIR_OPTION_ACCURATE) != 0;
    if (accurate) {
        OrderByEvidence(session, order);
    } else {
        ResultEntry* first = session->results;
        std::sort(
            first, first + session->resultCount,
            [](const ResultEntry& a, const ResultEntry& b) { return CompareResults(a, b) < 0; });
    }

    int32_t total = 0;
    char16_t* at = output;
    if (at != nullptr) at[0] = 0;
    // The postal ranking works on the order of either mode; the default
    // mode's table is in delivery order once sorted.
    const bool postal = PostalRanking(session);
    if (postal) {
        if (!accurate) {
            for (int32_t i = 0; i < session->resultCount; ++i)
                order[i] = i;
        }
        ApplyPostalOrder(session, order, session->resultCount);
    }
    for (int32_t i = 0; i < wanted; ++i) {
        const char16_t* text = session->results[accurate || postal ? order[i] : i].text;
        const int32_t length = WStrLen(text);
        if (at != nullptr) {
            WStrCopy(at, text);
            at += length + 1;
        }
        total += length + 1;
    }
    if (at != nullptr) at[0] = 0;
    return total + 1;
}
