// Printing of an explanation: labelled lines for the start, the head and
// completion, the segments, what was dropped, kept and composed, and the results.
#include "tools/run/explain_report.h"

#include <iomanip>
#include <sstream>

#include "address/tag_codes.h"
#include "tools/compile/session_view.h"
#include "tools/compile/tag_roles.h"

namespace vantir::tools {

namespace {

constexpr int kLabelWidth = 16;
constexpr int32_t kMaxTagCode = 255;

class Printer {
  public:
    Printer(const LoadedData& data, std::ostream& out)
        : data_(data), context_(SessionAddressContext(data.session.get())), out_(out) {}

    std::string Word(WordId id) const {
        const std::string text = ToUtf8(WordText(data_.lexicon.get(), id));
        return text.empty() ? "<" + std::to_string(id) + ">" : text;
    }

    std::string Tags(WordId id) const {
        std::string tags;
        for (int32_t tag = 0; tag <= kMaxTagCode; ++tag) {
            if (!Tagged(context_, id, tag)) continue;
            tags += (tags.empty() ? "" : ",") + TagName(static_cast<uint8_t>(tag));
        }
        return tags.empty() ? "no tags" : tags;
    }

    std::string Words(const std::vector<WordId>& ids, bool withTags = false) const {
        std::string text;
        for (WordId id : ids) {
            if (!text.empty()) text += ' ';
            text += Word(id);
            if (withTags) text += " (" + Tags(id) + ")";
        }
        return text.empty() ? "-" : text;
    }

    void Line(const std::string& label, const std::string& text) {
        out_ << std::left << std::setw(kLabelWidth) << label << text << '\n';
    }

    // "pair 雲港市→文昌路 not listed in the model"
    std::string Refusal(const PairRefusal& refusal) const {
        std::string text = "pair " + Word(refusal.first) + "→" + Word(refusal.second);
        if (refusal.score < kLowestPassingScore) return text + " not listed in the model";
        return text + " scores " + std::to_string(refusal.score) +
               ", which this test needs above " + std::to_string(kLowestPassingScore);
    }

  private:
    const LoadedData& data_;
    AddressContext context_;  // the tag test reads its database view
    std::ostream& out_;
};

std::vector<WordId> Slice(const std::vector<WordId>& words, int32_t from, int32_t to) {
    if (from >= to) return {};
    return std::vector<WordId>(words.begin() + from, words.begin() + to);
}

// Each refused start: its words, the step, and the pair that decided it.
void PrintRefusedStarts(Printer& p, const Explanation& e) {
    for (size_t k = 0; k < e.refusedStarts.size(); ++k) {
        const RefusedStart& refused = e.refusedStarts[k];
        std::string line = "position " + std::to_string(refused.position) + " (" +
                           p.Words(refused.words) + "): " + refused.step + " refused it";
        if (!refused.refusals.empty()) line += ", " + p.Refusal(refused.refusals.back());
        p.Line(k == 0 ? "refused" : "", line);
    }
}

void PrintHead(Printer& p, const Explanation& e) {
    std::string start = "position " + std::to_string(e.start);
    if (!e.rejectedStarts.empty()) {
        start += "; heads refused at";
        for (int32_t at : e.rejectedStarts)
            start += " " + std::to_string(at);
    }
    p.Line("start", start);
    PrintRefusedStarts(p, e);
    p.Line("head", p.Words(e.head, true));
    if (!e.hasTrigger) {
        p.Line("trigger", "none (no region completion)");
    } else {
        p.Line("trigger", p.Words({e.trigger}));
        std::string completion;
        if (!e.inserted.empty()) completion += "inserted " + p.Words(e.inserted) + "; ";
        if (!e.droppedByCompletion.empty()) {
            completion += "dropped " + p.Words(e.droppedByCompletion);
            if (!e.completionRefusals.empty()) {
                completion += " (" + p.Refusal(e.completionRefusals.front()) + ")";
            }
            completion += "; ";
        }
        p.Line("completion", completion + "kept " + p.Words(e.keptHead));
    }
    if (e.headEndsAddress) {
        p.Line("body", "none: " + p.Word(e.keptHead.back()) + " ends the address");
        return;
    }
    for (const SegmentStep& segment : e.segments) {
        std::string line = segment.words.empty() ? "none" : p.Words(segment.words);
        if (segment.words.empty() && !segment.refusals.empty()) {
            line += ": " + p.Refusal(segment.refusals.back());
        }
        p.Line(segment.name, line);
    }
}

// Why words after the address were left: the last segment that a pair refused.
std::string AfterTheAddress(const Printer& p, const Explanation& e) {
    for (auto segment = e.segments.rbegin(); segment != e.segments.rend(); ++segment) {
        if (segment->words.empty() && !segment->refusals.empty()) {
            return "after the address; " + std::string(segment->name) + ": " +
                   p.Refusal(segment->refusals.back());
        }
    }
    return "after the address";
}

// Why the analysis kept nothing at all.
std::string NothingKept(const Explanation& e) {
    if (e.anyHead) {
        return "every head was refused (see 'refused') and no word is a fallback word: "
               "nothing is kept";
    }
    return "no word can start an address (none is tagged upper-head, lower-head, head-opener "
           "or bound-head-opener) and none is a fallback word: nothing is kept";
}

// The kept words may have no text at all; that entry is shown, marked, since
// explaining it is the point, but it is no address.
std::string TextOrMark(const std::u16string& text) {
    return text.empty() ? "(empty text: no address)" : ToUtf8(text);
}

// Accurate mode's region choices and their weights.
std::string ReadingLine(const Printer& p, const Explanation& e) {
    const AccurateReading& reading = e.reading;
    const std::vector<WordId>& kept = reading.kept;
    if (reading.place == ChoicePlace::kNone || kept.empty()) {
        return "no region to choose: the kept words as they are";
    }
    std::ostringstream line;
    line << std::fixed << std::setprecision(2);
    if (reading.place == ChoicePlace::kBeforeFirst) {
        line << "upper regions before " << p.Word(kept[0]) << ":";
    } else {
        line << "lower regions between " << p.Word(kept[0]) << " and "
             << (kept.size() > 1 ? p.Word(kept[1]) : std::string("-")) << ":";
    }
    for (size_t k = 0; k < reading.choices.size(); ++k) {
        line << (k == 0 ? " " : ", ") << p.Word(reading.choices[k].word) << " "
             << reading.choices[k].weight;
    }
    return line.str();
}

std::string ConfidenceText(float confidence) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << confidence;
    return text.str();
}

}  // namespace

void PrintExplanation(const LoadedData& data, const Explanation& e, std::ostream& out) {
    Printer p(data, out);
    p.Line("hypothesis", p.Words(e.input, true));
    if (e.start >= 0) {
        PrintHead(p, e);
        std::string dropped;
        if (e.start > 0) dropped += p.Words(Slice(e.input, 0, e.start)) + " (before the start)";
        const int32_t count = static_cast<int32_t>(e.input.size());
        if (e.consumedEnd < count) {
            dropped += (dropped.empty() ? "" : "; ") +
                       p.Words(Slice(e.input, e.consumedEnd, count)) + " (" +
                       AfterTheAddress(p, e) + ")";
        }
        p.Line("dropped", dropped.empty() ? "nothing" : dropped);
    } else if (e.usedFallback) {
        p.Line("start", e.anyHead ? "every head was refused; the first fallback word stands alone"
                                  : "no head anywhere; the first fallback word stands alone");
        PrintRefusedStarts(p, e);
    } else {
        p.Line("start", NothingKept(e));
        PrintRefusedStarts(p, e);
    }
    p.Line("kept", p.Words(e.analysed));
    if (!e.analysed.empty()) {
        p.Line("text", TextOrMark(e.composed) + " (class " + std::to_string(e.composedClass) +
                           ": " + ResultClassMeaning(e.composedClass) + ")");
    }
    if (e.candidatesListed) {
        p.Line("candidates", e.candidates.empty()
                                 ? "none: no lower region paired with " + p.Word(e.analysed[0]) +
                                       " has a listed pair before " + p.Word(e.analysed[1]) +
                                       ", nothing is entered"
                                 : p.Words(e.candidates));
    }
    if (e.reading.read) p.Line("reading", ReadingLine(p, e));
    // A refusal says why; the usual 0 stays a bare code.
    p.Line("intake", "code " + std::to_string(e.intakeCode) +
                         (e.intakeCode < 0 ? std::string(": ") + Vantir_ErrorMessage(e.intakeCode)
                                           : std::string()));
    if (e.results.empty()) p.Line("results", "none");
    for (size_t k = 0; k < e.results.size(); ++k) {
        p.Line(k == 0 ? "results" : "",
               std::to_string(k + 1) + ". " + TextOrMark(e.results[k].text) + "  (class " +
                   std::to_string(e.results[k].resultClass) + ": " +
                   ResultClassMeaning(e.results[k].resultClass) + "), confidence " +
                   ConfidenceText(e.results[k].info.confidence));
        if (!e.results[k].postal.empty()) p.Line("", "   postal: " + e.results[k].postal);
    }
}

}  // namespace vantir::tools
