// What the filter does with one hypothesis: the steps the grammar engine notes
// while it analyses it, then completion's listing, composition and the intake.
#include "tools/run/explain.h"

#include <algorithm>

#include "address/address_grammar.h"
#include "address/compose_text.h"
#include "address/region_completion.h"
#include "address/tag_codes.h"
#include "bigram/scorers.h"
#include "filter/session.h"
#include "tools/run/postal_run.h"
#include "tools/run/sound_alike_run.h"

namespace vantir::tools {

namespace {

// Room the intake gives the analysed address: count + 10 words.
constexpr int32_t kOutputSlack = 10;

bool Contains(const std::vector<WordId>& words, WordId word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// The failed pair tests a traced step noted (those past the trace's room are lost).
std::vector<PairRefusal> RefusalsOf(const GrammarTrace& trace, const GrammarStep& step) {
    const int32_t from = std::min(step.refusalsFrom, PairTrace::kCapacity);
    const int32_t to = std::min(step.refusalsTo, PairTrace::kCapacity);
    return std::vector<PairRefusal>(trace.pairs.refusals + from, trace.pairs.refusals + to);
}

// The explanation of the analysis, from the steps the grammar engine noted
// while it kept `analysed` (the words of the start it kept and its segments
// stand there).
void ExplainSteps(const AddressContext& context, const std::vector<WordId>& words,
                  const GrammarTrace& trace, Explanation& e) {
    const char* names[] = {"first segment", "second segment", "third segment"};
    const int32_t steps = std::min(trace.count, GrammarTrace::kCapacity);
    for (int32_t k = 0; k < steps; ++k) {
        const GrammarStep& step = trace.steps[k];
        const auto at = [&](int32_t position) { return words.begin() + position; };
        if (step.kind == GrammarStepKind::kSegment) {
            e.segments.push_back(
                {names[step.segment],
                 std::vector<WordId>(e.analysed.begin() + step.outFrom,
                                     e.analysed.begin() + step.outFrom + step.kept),
                 RefusalsOf(trace, step)});
            e.consumedEnd = step.next;
            continue;
        }
        e.anyHead = true;
        const bool completion =
            Tagged(context, words[static_cast<size_t>(step.headEnd)], kTagCompletionTrigger);
        if (step.kind == GrammarStepKind::kStartRefused) {
            e.rejectedStarts.push_back(step.start);
            RefusedStart refused;
            refused.position = step.start;
            refused.step = completion ? "region completion" : "head";
            refused.words.assign(at(step.start), at(step.headEnd + (completion ? 1 : 0)));
            refused.refusals = RefusalsOf(trace, step);
            e.refusedStarts.push_back(std::move(refused));
            continue;
        }
        e.completionRefusals = RefusalsOf(trace, step);
        e.start = step.start;
        e.head.assign(at(step.start), at(step.headEnd));
        e.hasTrigger = completion;
        if (e.hasTrigger) e.trigger = words[static_cast<size_t>(step.headEnd)];
        e.keptHead.assign(e.analysed.begin(), e.analysed.begin() + step.kept);
        std::vector<WordId> given = e.head;
        if (e.hasTrigger) given.push_back(e.trigger);
        for (WordId w : e.keptHead) {
            if (!Contains(given, w)) e.inserted.push_back(w);
        }
        for (WordId w : given) {
            if (!Contains(e.keptHead, w)) e.droppedByCompletion.push_back(w);
        }
        e.consumedEnd = step.next;
        e.headEndsAddress = EndsAddress(context, e.keptHead.back());
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

    const int32_t count = static_cast<int32_t>(ids.size());
    std::vector<WordId> analysed(static_cast<size_t>(count) + kOutputSlack, -1);
    GrammarTrace trace{};
    const int32_t kept = AnalyseAddress(context, words.data(), count, analysed.data(), &trace);
    e.analysed.assign(analysed.begin(), analysed.begin() + std::max(kept, 0));
    ExplainSteps(context, words, trace, e);
    if (e.start < 0) e.usedFallback = kept == 1;

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
    AttachPostalOf(data, intake->get());
    e.intakeCode =
        Vantir_SetOptions(intake->get(), Vantir_GetOptions(own) | VANTIR_OPTION_SHARED_MODEL);
    if (e.intakeCode != VANTIR_OK) return e;
    e.intakeCode = intake->add(ids);
    Expected<std::vector<std::u16string>> texts = intake->entries(kMaxResults);
    for (size_t k = 0; texts && k < texts->size(); ++k) {
        ResultView view{(*texts)[k], 0, {}, {}};
        Vantir_GetResultInfo(intake->get(), static_cast<int32_t>(k), &view.info);
        view.resultClass = static_cast<uint8_t>(view.info.resultClass);
        if (!data.postal.empty())
            view.postal = DescribePostal(intake->get(), static_cast<int32_t>(k));
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
