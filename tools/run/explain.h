// What the filter does with one hypothesis, step by step, taken from the
// library's own grammar, completion, composition and intake routines.
#ifndef VANTIR_TOOLS_EXPLAIN_H
#define VANTIR_TOOLS_EXPLAIN_H

#include <cstdint>
#include <string>
#include <vector>

#include "address/address_context.h"
#include "address/evidence_reading.h"
#include "tools/run/data_dir.h"

namespace vantir::tools {

struct SegmentStep {
    const char* name;                   // "first segment", ...
    std::vector<WordId> words;          // kept words of the segment; empty if it did not match
    std::vector<PairRefusal> refusals;  // pair tests of the segment that failed
};

// A start position whose head was found but refused, and the step and pair that refused it.
struct RefusedStart {
    int32_t position = 0;
    const char* step = "";              // "head" or "region completion"
    std::vector<WordId> words;          // the head words and the trigger, as in the input
    std::vector<PairRefusal> refusals;  // failed pair tests, in order; the last one decided
};

struct ResultView {
    std::u16string text;
    uint8_t resultClass = 0;
    VantirResultInfo info{};  // the details the session gives the result
    std::string postal;       // with a postal blob: the range that placed or refused it
};

// Accurate mode's reading of the hypothesis: the region words it may be
// completed with and their weights (address/evidence_reading.h).
struct AccurateReading {
    bool read = false;  // the session runs in accurate mode
    ChoicePlace place = ChoicePlace::kNone;
    std::vector<RegionChoice> choices;
    std::vector<WordId> kept;  // the words the choices complete
};

struct Explanation {
    std::vector<WordId> input;
    int32_t start = -1;  // position where the address starts; -1: none
    std::vector<int32_t>
        rejectedStarts;  // positions with a head that completion or a pair test refused
    std::vector<RefusedStart> refusedStarts;  // the same, with the pairs that refused them
    bool anyHead = false;                     // some word can start an address
    std::vector<WordId> head;                 // head words as found in the input
    bool hasTrigger = false;
    WordId trigger = -1;
    std::vector<WordId> keptHead;                 // head (and trigger) after region completion
    std::vector<WordId> inserted;                 // words completion put in
    std::vector<WordId> droppedByCompletion;      // head or trigger words completion left out
    std::vector<PairRefusal> completionRefusals;  // failed pair tests behind those drops
    bool headEndsAddress = false;                 // the last head word allows no body
    std::vector<SegmentStep> segments;
    int32_t consumedEnd = 0;  // input position after the last consumed word
    bool usedFallback = false;
    std::vector<WordId> analysed;    // what AnalyseAddress keeps
    bool candidatesListed = false;   // kept words begin with an upper head and a trigger
    std::vector<WordId> candidates;  // lower regions listed between kept words 1 and 2
    std::u16string composed;         // text of the analysed words
    uint8_t composedClass = 0;
    int32_t intakeCode = 0;           // Vantir_AddRecogResult
    std::vector<ResultView> results;  // ranked
    AccurateReading reading;
};

Explanation ExplainHypothesis(LoadedData& data, const std::vector<WordId>& ids);

// One-line meaning of a rank class.
const char* ResultClassMeaning(uint8_t resultClass);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_EXPLAIN_H
