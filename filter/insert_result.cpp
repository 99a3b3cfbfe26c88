// The result table grows by distinct texts only: an equal text already stored
// keeps its entry and arrival order and at most takes the smaller class.
#include "filter/insert_result.h"

#include "address/compose_text.h"
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

int32_t InsertResult(FilterSession* session, const WordId* words, int32_t n, int32_t completed) {
    if (session->resultCount >= kMaxResults) return VANTIR_RESULT_TABLE_FULL;
    char16_t* text = session->scratchText;
    const AddressContext context = AddressContextOf(session);
    const int32_t length = ComposeResultText(context, words, n, text, kScratchTextCapacity);
    if (length > kMaxResultTextLength) text[kMaxResultTextLength] = 0;
    const uint8_t resultClass = ResultClassOf(context, words, n, completed);

    for (int32_t i = 0; i < session->resultCount; ++i) {
        ResultEntry& entry = session->results[i];
        if (WStrCompare(entry.text, text) == 0) {
            if (entry.resultClass > resultClass) entry.resultClass = resultClass;
            return session->resultCount;
        }
    }
    ResultEntry& entry = session->results[session->resultCount];
    entry.arrivalOrder = session->resultCount;
    entry.resultClass = resultClass;
    WStrCopy(entry.text, text);
    return ++session->resultCount;
}

}  // namespace vantir
