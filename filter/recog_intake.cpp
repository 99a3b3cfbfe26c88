// Intake of one recognised hypothesis: checks, the three work arrays, the address
// grammar, widening through region candidates, and entry into the result table.
#include <cstddef>

#include "address/address_grammar.h"
#include "address/region_completion.h"
#include "filter/accurate_results.h"
#include "filter/postal_results.h"
#include "filter/session.h"
#include "mempool/heap.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

namespace vantir {

namespace {

// Extra room past the hypothesis length: completion inserts at most one word,
// and a candidate sequence holds one word more than the kept address.
constexpr int64_t kAnalysedExtraRoom = 10;
constexpr int64_t kCandidateExtraRoom = 15;
constexpr WordId kEndOfWords = -1;

struct WorkArrays {
    WordId* input;      // count + 1: the host's ids, then -1
    WordId* analysed;   // count + 10: the kept address
    WordId* candidate;  // count + 15: one widened sequence at a time
};

WordId* AllocateIds(int64_t ids) {
    return static_cast<WordId*>(HeapAlloc(static_cast<size_t>(ids) * sizeof(WordId)));
}

void FreeWorkArrays(WorkArrays* work) {
    HeapFree(work->input);
    HeapFree(work->analysed);
    HeapFree(work->candidate);
}

bool AllocateWorkArrays(WorkArrays* work, int32_t count) {
    // Stops at the first refusal; the arrays not asked for stay null.
    work->analysed = nullptr;
    work->candidate = nullptr;
    work->input = AllocateIds(int64_t{count} + 1);
    if (work->input != nullptr) work->analysed = AllocateIds(int64_t{count} + kAnalysedExtraRoom);
    if (work->analysed != nullptr) {
        work->candidate = AllocateIds(int64_t{count} + kCandidateExtraRoom);
    }
    if (work->candidate != nullptr) return true;
    FreeWorkArrays(work);
    return false;
}

bool AllModelWords(const WordId* ids, int32_t count, int64_t limit) {
    for (int32_t i = 0; i < count; ++i) {
        if (!IsModelWord(limit, ids[i])) return false;
    }
    return true;
}

// Enters [x, c, t, rest...] for every candidate c between the first two kept words.
int32_t EnterRegionCandidates(FilterSession* session, const WordId* kept, int32_t k,
                              WordId* sequence, const HypothesisSource& source) {
    WordId candidates[kMaxRegionCandidates];
    const int32_t found =
        ListRegionCandidates(AddressContextOf(session), kept, candidates, kMaxRegionCandidates);
    sequence[0] = kept[0];
    sequence[2] = kept[1];
    for (int32_t i = 2; i < k; ++i)
        sequence[i + 1] = kept[i];
    // With postal ranking only the districts whose ranges hold the address are
    // listed, when there are any.
    bool held[kMaxRegionCandidates];
    bool anyHeld = false;
    const bool postal = PostalRanking(session);
    // The address is read once; each candidate only changes its district.
    PostalQuery query{};
    for (int32_t c = 0; postal && c < found; ++c) {
        if (c == 0) {
            sequence[1] = candidates[0];
            WordsPostal(session, sequence, k + 1, &query);
        }
        query.district = PostalNameOfWord(session, candidates[c]);
        held[c] = PostalConfirms(AnswerPostal(session->postalView, query).status);
        anyHeld = anyHeld || held[c];
    }
    for (int32_t c = 0; c < found; ++c) {
        if (anyHeld && !held[c]) continue;
        sequence[1] = candidates[c];
        const int32_t entered = InsertResult(session, sequence, k + 1, 1, source);
        if (entered < 0) return entered;  // entries made so far stay
    }
    return VANTIR_OK;
}

// The table index of the entry with the text, or -1.
int32_t EntryOfText(const FilterSession* session, const char16_t* text) {
    for (int32_t i = 0; i < session->resultCount; ++i) {
        if (WStrCompare(session->results[i].text, text) == 0) return i;
    }
    return -1;
}

// After kept[0..k-1] was entered: when the ranges refuse its district and other
// districts of its county hold the address, the address in each of them is
// entered too, standing in for the one said (postal ranking only).
int32_t EnterPostalAlternatives(FilterSession* session, const WordId* kept, int32_t k,
                                WordId* sequence, const HypothesisSource& source) {
    const int32_t origin = EntryOfText(session, session->scratchText);
    if (origin < 0) return VANTIR_OK;
    WordId replacements[kMaxPostalAlternatives];
    int32_t at = -1;
    const int32_t found = PostalAlternatives(session, session->results[origin], &at, replacements,
                                             kMaxPostalAlternatives);
    if (found == 0) return VANTIR_OK;
    const int32_t originArrival = session->results[origin].arrivalOrder;
    for (int32_t i = 0; i < k; ++i)
        sequence[i] = kept[i];
    for (int32_t r = 0; r < found; ++r) {
        sequence[at] = replacements[r];
        const int32_t before = session->resultCount;
        const int32_t entered = InsertResult(session, sequence, k, 0, source);
        if (entered < 0) return entered;
        if (session->resultCount > before) {
            session->results[before].postalOrigin = static_cast<int8_t>(originArrival);
        }
    }
    return VANTIR_OK;
}

int32_t EnterHypothesis(FilterSession* session, const WorkArrays& work, int32_t count) {
    // Every hypothesis taken counts for the details, whatever it gives.
    const HypothesisSource source{session->hypothesisCount++, work.input, count};
    session->delivery.current = false;
    if ((session->options & VANTIR_OPTION_ACCURATE) != 0) {
        return EnterHypothesisAccurately(session, work.input, count, work.analysed, work.candidate);
    }
    const AddressContext context = AddressContextOf(session);
    const int32_t k = AnalyseAddress(context, work.input, count, work.analysed);
    if (k <= 0) return VANTIR_OK;
    const WordId* kept = work.analysed;
    if (k >= 2 && Tagged(context, kept[0], kTagUpperHead) &&
        Tagged(context, kept[1], kTagCompletionTrigger)) {
        return EnterRegionCandidates(session, kept, k, work.candidate, source);
    }
    const int32_t entered = InsertResult(session, kept, k, 0, source);
    if (entered < 0) return entered;
    return PostalRanking(session)
               ? EnterPostalAlternatives(session, kept, k, work.candidate, source)
               : VANTIR_OK;
}

}  // namespace

}  // namespace vantir

using namespace vantir;

extern "C" int32_t Vantir_AddRecogResult(FilterSession* session, const WordId* ids,
                                         int32_t /*reserved1*/, int32_t /*reserved2*/,
                                         int32_t /*reserved3*/, int32_t count) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if (count < 0 || (count > 0 && ids == nullptr)) return VANTIR_INVALID_ARGUMENT;
    // A model without a blob answers zero words; it has no arrays to score with.
    // An empty hypothesis scores nothing, so it needs no blob.
    const int64_t limit = ModelWordLimit(session->model);
    if (count > 0 && limit <= 0) return VANTIR_WRONG_STATE;
    // The scorers check nothing, so an id without a row in the model never gets in.
    if (!AllModelWords(ids, count, limit)) return VANTIR_INVALID_ARGUMENT;

    WorkArrays work;
    if (!AllocateWorkArrays(&work, count)) return VANTIR_OUT_OF_MEMORY;
    RefreshRegionIndex(session);
    for (int32_t i = 0; i < count; ++i)
        work.input[i] = ids[i];
    work.input[count] = kEndOfWords;
    const int32_t result = EnterHypothesis(session, work, count);
    FreeWorkArrays(&work);
    return result;
}
