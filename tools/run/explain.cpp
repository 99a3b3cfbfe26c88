// Re-runs the steps of the address analysis one by one with the library's own
// routines, so that each decision can be shown, and checks the outcome against
// AnalyseAddress itself.
#include "tools/run/explain.h"

#include <algorithm>

#include "address/address_grammar.h"
#include "address/compose_text.h"
#include "address/region_completion.h"
#include "address/tag_codes.h"
#include "bigram/scorers.h"
#include "filter/session.h"
#include "tools/run/sound_alike_run.h"

namespace vantir::tools {

namespace {

// Room the intake gives the analysed address: count + 10 words.
constexpr int32_t kOutputSlack = 10;

bool Contains(const std::vector<WordId>& words, WordId word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// The failed pair tests a traced step noted, then an empty trace for the next step.
std::vector<PairRefusal> TakeRefusals(PairTrace& trace) {
    const int32_t kept = std::min(trace.count, PairTrace::kCapacity);
    std::vector<PairRefusal> refusals(trace.refusals, trace.refusals + kept);
    trace.count = 0;
    return refusals;
}

void ExplainBody(const AddressContext& context, const WordId* words, int32_t from,
                 std::vector<WordId>& output, int32_t outPos, Explanation& e) {
    StepResult step{from, 0};
    const char* names[] = {"first segment", "second segment", "third segment"};
    for (int32_t k = 0; k < 3; ++k) {
        TakeRefusals(*context.trace);
        const int32_t at = step.next;
        if (k == 0) MatchFirstSegment(context, words, at, output.data(), outPos, &step);
        if (k == 1) MatchSecondSegment(context, words, at, output.data(), outPos, &step);
        if (k == 2) MatchThirdSegment(context, words, at, output.data(), outPos, &step);
        e.segments.push_back(
            {names[k],
             std::vector<WordId>(output.begin() + outPos, output.begin() + outPos + step.kept),
             TakeRefusals(*context.trace)});
        outPos += step.kept;
    }
    e.consumedEnd = step.next;
}

std::vector<WordId> StepView(const Explanation& e) {
    std::vector<WordId> kept = e.keptHead;
    for (const SegmentStep& segment : e.segments) {
        kept.insert(kept.end(), segment.words.begin(), segment.words.end());
    }
    return kept;
}

void ExplainAnalysis(const AddressContext& untraced, const std::vector<WordId>& words,
                     Explanation& e) {
    PairTrace trace{};
    AddressContext context = untraced;
    context.trace = &trace;
    const int32_t count = static_cast<int32_t>(e.input.size());
    std::vector<WordId> output(static_cast<size_t>(count) + kOutputSlack, -1);
    // The steps below test pairs as the strict-mode part of the analysis does;
    // the context's shared scorer is that mode's, so the model is only read.
    for (int32_t start = 0; start < count && e.start < 0; ++start) {
        StepResult head;
        if (MatchHead(context, words.data(), start, output.data(), &head) != 1) continue;
        e.anyHead = true;
        TakeRefusals(trace);
        StepResult matched;
        if (MatchAddressStart(context, words.data(), start, output.data(), &matched) != 1) {
            e.rejectedStarts.push_back(start);
            const bool completion =
                Tagged(context, words[static_cast<size_t>(head.next)], kTagCompletionTrigger);
            RefusedStart refused;
            refused.position = start;
            refused.step = completion ? "region completion" : "head";
            refused.words.assign(words.begin() + start,
                                 words.begin() + head.next + (completion ? 1 : 0));
            refused.refusals = TakeRefusals(trace);
            e.refusedStarts.push_back(std::move(refused));
            continue;
        }
        e.completionRefusals = TakeRefusals(trace);
        e.start = start;
        e.head.assign(words.begin() + start, words.begin() + start + head.kept);
        e.hasTrigger = matched.next > head.next;
        if (e.hasTrigger) e.trigger = words[static_cast<size_t>(head.next)];
        e.keptHead.assign(output.begin(), output.begin() + matched.kept);
        std::vector<WordId> given = e.head;
        if (e.hasTrigger) given.push_back(e.trigger);
        for (WordId w : e.keptHead) {
            if (!Contains(given, w)) e.inserted.push_back(w);
        }
        for (WordId w : given) {
            if (!Contains(e.keptHead, w)) e.droppedByCompletion.push_back(w);
        }
        e.consumedEnd = matched.next;
        e.headEndsAddress = EndsAddress(context, e.keptHead.back());
        if (!e.headEndsAddress) {
            ExplainBody(context, words.data(), matched.next, output, matched.kept, e);
        }
    }
}

}  // namespace

const char* ResultClassMeaning(uint8_t resultClass) {
    switch (resultClass) {
        case 0:
            return "address with its lower region";
        case 1:
            return "address without a lower region after the first word";
        case 2:
            return "completed with a listed lower region";
        default:
            return "bare head or single word";
    }
}

Explanation ExplainHypothesis(LoadedData& data, const std::vector<WordId>& ids) {
    Explanation e;
    e.input = ids;
    const FilterSession* own = data.session.get();
    // Scoring as a session with VANTIR_OPTION_SHARED_MODEL does: the same scores
    // as the mode switch would give, without writing the model, so that an
    // explanation may run beside filtering threads.
    AddressContext context{&own->addressView, data.lexicon.get(), data.model.get()};
    context.sharedStrictScorer = StrictPairScorer(data.model.get());
    std::vector<WordId> words = ids;
    words.push_back(-1);  // the routines stop at the -1 that ends the input

    ExplainAnalysis(context, words, e);
    const int32_t count = static_cast<int32_t>(ids.size());
    std::vector<WordId> analysed(static_cast<size_t>(count) + kOutputSlack, -1);
    const int32_t kept = AnalyseAddress(context, words.data(), count, analysed.data());
    e.analysed.assign(analysed.begin(), analysed.begin() + std::max(kept, 0));
    if (e.start < 0) {
        e.usedFallback = kept == 1;
        e.stepsAgree = kept == 0 || (kept == 1 && Tagged(context, e.analysed[0], kTagFallbackWord));
    } else {
        e.stepsAgree = StepView(e) == e.analysed;
    }

    if (kept >= 2 && Tagged(context, e.analysed[0], kTagUpperHead) &&
        Tagged(context, e.analysed[1], kTagCompletionTrigger)) {
        e.candidatesListed = true;
        std::vector<WordId> candidates(kMaxRegionCandidates);
        const int32_t listed = ListRegionCandidates(context, e.analysed.data(), candidates.data(),
                                                    kMaxRegionCandidates);
        candidates.resize(static_cast<size_t>(std::max(listed, 0)));
        e.candidates = std::move(candidates);
    }
    if (kept > 0) {
        std::u16string text(kScratchTextCapacity, u'\0');
        const int32_t length =
            ComposeResultText(context, e.analysed.data(), kept, text.data(), kScratchTextCapacity);
        text.resize(static_cast<size_t>(length));
        e.composed = std::move(text);
        e.composedClass = ResultClassOf(context, e.analysed.data(), kept, 0);
    }

    // The intake itself, on a fresh session with the data's options: texts and
    // classes as the host gets them. Its own session leaves the data's alone,
    // and the shared-model option keeps the model unwritten.
    Expected<Session> intake =
        Session::Create(data.model.get(), data.lexicon.get(), data.address.data());
    if (!intake) {
        e.intakeCode = intake.error().code;
        return e;
    }
    AttachSoundsOf(data, intake->get());
    e.intakeCode =
        Vantir_SetOptions(intake->get(), Vantir_GetOptions(own) | VANTIR_OPTION_SHARED_MODEL);
    if (e.intakeCode != VANTIR_OK) return e;
    e.intakeCode = intake->add(ids);
    Expected<std::vector<std::u16string>> texts = intake->entries(kMaxResults);
    for (size_t k = 0; texts && k < texts->size(); ++k) {
        ResultView view{(*texts)[k], 0, {}};
        Vantir_GetResultInfo(intake->get(), static_cast<int32_t>(k), &view.info);
        view.resultClass = static_cast<uint8_t>(view.info.resultClass);
        e.results.push_back(std::move(view));
    }
    if ((Vantir_GetOptions(own) & VANTIR_OPTION_ACCURATE) != 0) {
        AddressReading reading{};
        std::vector<WordId> read(static_cast<size_t>(count) + kOutputSlack, -1);
        const int32_t k =
            ReadAddressWithEvidence(context, words.data(), count, read.data(), &reading);
        e.reading.read = true;
        e.reading.kept.assign(read.begin(), read.begin() + std::max(k, 0));
        e.reading.place = reading.place;
        e.reading.choices.assign(reading.choices, reading.choices + reading.choiceCount);
    }
    return e;
}

}  // namespace vantir::tools
