// Accurate mode's order of the results of one utterance: support summed over
// the hypotheses, region choices weighed by what was heard, prefixes after.
#include <algorithm>

#include "address/canonical_spelling.h"
#include "filter/accurate_results.h"
#include "textutil/chinese_numerals.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

// What a hypothesis that agrees on some fields adds, per share of fields.
constexpr double kFieldVoteFactor = 1.0;

// A choice that no hypothesis heard keeps this part of its weight beside one
// that the whole utterance heard: a county said in any hypothesis is strong
// evidence, as recognisers seldom make up region names.
constexpr double kUnheardChoiceFactor = 0.05;
// A reading that puts another region word in the place of one its hypothesis
// said counts at least this part of its weight: the recogniser heard the
// said word, and the road that made the grammar replace it may be the slip.
constexpr double kLeastReplacingFactor = 0.2;
// A one-word result, or two words that are no address, counts this much,
// unless it names a place.
constexpr double kBareResultFactor = 0.5;
// A result that a longer one extends ranks below it by at least this factor.
constexpr double kPrefixFactor = 0.5;

double HeardFraction(const UtteranceEvidence& evidence, WordId word) {
    if (evidence.totalRankWeight <= 0.0) return 0.0;
    for (int32_t i = 0; i < evidence.heardCount; ++i) {
        if (evidence.heard[i].word == word) {
            return evidence.heard[i].weight / evidence.totalRankWeight;
        }
    }
    return 0.0;
}

double ReplacingFactor(const UtteranceEvidence& evidence, WordId heardWord, WordId replacingWord);

void AddGroupSupport(const UtteranceEvidence& evidence, const ChoiceGroup& group, double* score) {
    double weights[kMaxGroupMembers];
    double total = 0.0;
    for (int32_t m = 0; m < group.count; ++m) {
        const ChoiceMember& member = group.members[m];
        weights[m] = member.weight * (kUnheardChoiceFactor + HeardFraction(evidence, member.word));
        total += weights[m];
    }
    for (int32_t m = 0; m < group.count; ++m) {
        const int32_t entry = group.members[m].entry;
        if (entry < 0 || total <= 0.0) continue;
        score[entry] += group.rankWeight * weights[m] / total *
                        ReplacingFactor(evidence, group.heardWord, group.members[m].word);
    }
}

// How much a replacing reading counts: fully when the utterance heard the
// replacing word at least as much as the word it replaces (other hypotheses
// said it: clearly stronger evidence than one road), and down to
// kLeastReplacingFactor as the replacing word was heard less.
double ReplacingFactor(const UtteranceEvidence& evidence, WordId heardWord, WordId replacingWord) {
    if (heardWord < 0) return 1.0;
    const double heard = HeardFraction(evidence, heardWord);
    const double replacing = HeardFraction(evidence, replacingWord);
    if (replacing >= heard) return 1.0;
    return kLeastReplacingFactor + (1.0 - kLeastReplacingFactor) * replacing / heard;
}

bool IsStrictPrefix(const char16_t* a, const char16_t* b);

struct EntryFields {
    int32_t count;
    AddressField fields[kMaxAddressFields];
};

bool SameField(const char16_t* a, const AddressField& fa, const char16_t* b,
               const AddressField& fb) {
    if (fa.key != fb.key || fa.length != fb.length) return false;
    for (int32_t i = 0; i < fa.length; ++i) {
        if (a[fa.start + i] != b[fb.start + i]) return false;
    }
    return true;
}

// The share of fields (regions and road, section, lane, alley, number) on
// which two texts agree, over the fields either has.
double FieldAgreement(const char16_t* a, const EntryFields& fa, const char16_t* b,
                      const EntryFields& fb) {
    const int32_t most = fa.count > fb.count ? fa.count : fb.count;
    if (most == 0) return 0.0;
    bool used[kMaxAddressFields] = {};
    int32_t same = 0;
    for (int32_t i = 0; i < fa.count; ++i) {
        for (int32_t j = 0; j < fb.count; ++j) {
            if (used[j] || !SameField(a, fa.fields[i], b, fb.fields[j])) continue;
            used[j] = true;
            ++same;
            break;
        }
    }
    return static_cast<double>(same) / most;
}

// Hypotheses that differ from a text in some fields still vouch for the
// others: a recogniser's slips fall on one field at a time, so the address
// whose fields most of the utterance heard gathers most.
void AddFieldVotes(const FilterSession* session, const double* base, double* score) {
    const int32_t n = session->resultCount;
    EntryFields fields[kMaxResults];
    for (int32_t i = 0; i < n; ++i)
        fields[i].count = SplitAddressFields(session->results[i].text, fields[i].fields);
    for (int32_t c = 0; c < n; ++c) {
        const char16_t* text = session->results[c].text;
        for (int32_t e = 0; e < n; ++e) {
            if (e == c || IsStrictPrefix(session->results[e].text, text)) continue;
            score[c] += kFieldVoteFactor * base[e] *
                        FieldAgreement(session->results[e].text, fields[e], text, fields[c]);
        }
    }
}

// True when `a` is a strict prefix of `b`.
bool IsStrictPrefix(const char16_t* a, const char16_t* b) {
    int32_t i = 0;
    while (a[i] != 0 && a[i] == b[i])
        ++i;
    return a[i] == 0 && b[i] != 0;
}

// True when `rest` begins with the decimal digits of `number` and no more.
bool BeginsWithNumber(const char16_t* rest, int32_t number) {
    int32_t value = 0;
    int32_t digits = 0;
    while (rest[digits] >= u'0' && rest[digits] <= u'9' && digits <= kMaxNumberDigits) {
        value = value * 10 + (rest[digits] - u'0');
        ++digits;
    }
    return digits > 0 && digits <= kMaxNumberDigits && value == number;
}

// A text that longer texts extend is what a hypothesis cut short heard of
// them: its support goes to them, in proportion to their own, and it ranks
// after all of them. When the hypothesis went on to say a number without its
// key, the support goes to the texts that go on with that number, if any.
void ResolvePrefixes(const FilterSession* session, const double* base, double* score) {
    const int32_t n = session->resultCount;
    for (int32_t i = 0; i < n; ++i) {
        const char16_t* prefix = session->results[i].text;
        const int32_t cutNumber = session->evidence.entries[i].cutNumber;
        const int32_t prefixLength = cutNumber >= 1 ? WStrLen(prefix) : 0;
        bool extends[kMaxResults];
        bool anyGoesOn = false;
        int32_t extensions = 0;
        for (int32_t j = 0; j < n; ++j) {
            extends[j] = IsStrictPrefix(prefix, session->results[j].text);
            if (!extends[j]) continue;
            ++extensions;
            anyGoesOn =
                anyGoesOn || (cutNumber >= 1 &&
                              BeginsWithNumber(session->results[j].text + prefixLength, cutNumber));
        }
        if (extensions == 0) continue;
        // A number said before the cut narrows the extensions to those that go
        // on with it, when any do.
        double extended = 0.0;
        extensions = 0;
        for (int32_t j = 0; j < n; ++j) {
            if (extends[j] && anyGoesOn) {
                extends[j] = BeginsWithNumber(session->results[j].text + prefixLength, cutNumber);
            }
            if (!extends[j]) continue;
            extended += base[j];
            ++extensions;
        }
        for (int32_t j = 0; j < n; ++j) {
            if (!extends[j]) continue;
            score[j] += base[i] * (extended > 0.0 ? base[j] / extended : 1.0 / extensions);
        }
    }
    // Longest texts first, so that an extension's score is final before the
    // prefixes under it are placed.
    int32_t byLength[kMaxResults];
    for (int32_t i = 0; i < n; ++i)
        byLength[i] = i;
    std::sort(byLength, byLength + n, [session](int32_t a, int32_t b) {
        return WStrLen(session->results[a].text) > WStrLen(session->results[b].text);
    });
    for (int32_t k = 0; k < n; ++k) {
        const int32_t i = byLength[k];
        double lowest = base[i];
        bool isPrefix = false;
        for (int32_t j = 0; j < n; ++j) {
            if (!IsStrictPrefix(session->results[i].text, session->results[j].text)) continue;
            isPrefix = true;
            lowest = std::min(lowest, score[j]);
        }
        if (isPrefix) score[i] = kPrefixFactor * lowest;
    }
}

// A place said alone is a whole destination: an address that no hypothesis
// said whole (its region completed or chosen, its support gathered from
// others) does not rank above it when the place came from an earlier
// hypothesis. Such addresses keep their order among themselves below it.
void KeepSaidPlacesAhead(const UtteranceEvidence& evidence, int32_t n, double* score) {
    for (int32_t p = 0; p < n; ++p) {
        const EntryEvidence& place = evidence.entries[p];
        if (!place.namedPlace) continue;
        for (int32_t a = 0; a < n; ++a) {
            const EntryEvidence& address = evidence.entries[a];
            if (address.namedPlace || address.heardWhole || address.firstRank <= place.firstRank ||
                score[a] < score[p]) {
                continue;
            }
            score[a] = kPrefixFactor * score[p] * score[a] / (score[a] + score[p]);
        }
    }
}

}  // namespace

void OrderByEvidence(const FilterSession* session, int32_t* order, double* scores) {
    const UtteranceEvidence& evidence = session->evidence;
    const int32_t n = session->resultCount;
    double base[kMaxResults];
    for (int32_t i = 0; i < n; ++i)
        base[i] = evidence.entries[i].support +
                  evidence.entries[i].replacingSupport *
                      ReplacingFactor(evidence, evidence.entries[i].heardWord,
                                      evidence.entries[i].replacingWord);
    for (int32_t g = 0; g < evidence.groupCount; ++g)
        AddGroupSupport(evidence, evidence.groups[g], base);
    for (int32_t i = 0; i < n; ++i) {
        if (session->results[i].resultClass == kClassBare && !evidence.entries[i].namedPlace) {
            base[i] *= kBareResultFactor;
        }
    }
    double score[kMaxResults];
    for (int32_t i = 0; i < n; ++i)
        score[i] = base[i];
    AddFieldVotes(session, base, score);
    ResolvePrefixes(session, base, score);
    KeepSaidPlacesAhead(evidence, n, score);

    for (int32_t i = 0; i < n; ++i)
        order[i] = i;
    std::sort(order, order + n, [&](int32_t a, int32_t b) {
        if (score[a] != score[b]) return score[a] > score[b];
        const EntryEvidence& ea = evidence.entries[a];
        const EntryEvidence& eb = evidence.entries[b];
        if (ea.firstRank != eb.firstRank) return ea.firstRank < eb.firstRank;
        if (ea.pairScore != eb.pairScore) return ea.pairScore > eb.pairScore;
        return session->results[a].arrivalOrder < session->results[b].arrivalOrder;
    });
    if (scores == nullptr) return;
    for (int32_t i = 0; i < n; ++i)
        scores[i] = score[i];
}

}  // namespace vantir
