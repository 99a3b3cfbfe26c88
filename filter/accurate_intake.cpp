// Accurate mode's intake of one hypothesis: its reading with region choices,
// one canonical text per reading, and the evidence each entry gathers.
#include "address/address_grammar.h"
#include "address/canonical_spelling.h"
#include "address/compose_text.h"
#include "address/evidence_reading.h"
#include "address/tag_codes.h"
#include "filter/accurate_results.h"
#include "filter/postal_results.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

namespace vantir {

static_assert(kMaxGroupMembers >= kMaxRegionChoices, "a group holds every choice of a reading");

namespace {

// Largest number kept as a cut-short number: house numbers go to 9,999.
constexpr int32_t kMaxCutNumber = 9999;

bool IsRegionWord(const AddressContext& context, WordId word) {
    return Tagged(context, word, kTagUpperHead) || Tagged(context, word, kTagUpperFollower) ||
           Tagged(context, word, kTagLowerHead);
}

bool Contains(const WordId* words, int32_t n, WordId word) {
    for (int32_t i = 0; i < n; ++i) {
        if (words[i] == word) return true;
    }
    return false;
}

// The region level a word names: 1 county or city, 2 district, 0 none.
int32_t RegionLevel(const AddressContext& context, WordId word) {
    if (Tagged(context, word, kTagUpperHead)) return 1;
    if (Tagged(context, word, kTagLowerHead)) return 2;
    return 0;
}

// True when the reading kept[0..k-1] holds a region word that the hypothesis
// words[0..count-1] did not say, in the place of one of the same level that it
// said and the reading left out; names the two words.
bool FindReplacedRegion(const AddressContext& context, const WordId* words, int32_t count,
                        const WordId* kept, int32_t k, WordId* heard, WordId* replacing) {
    for (int32_t i = 0; i < k; ++i) {
        const int32_t level = RegionLevel(context, kept[i]);
        if (level == 0 || Contains(words, count, kept[i])) continue;
        for (int32_t j = 0; j < count; ++j) {
            if (RegionLevel(context, words[j]) != level || Contains(kept, k, words[j])) continue;
            *heard = words[j];
            *replacing = kept[i];
            return true;
        }
    }
    return false;
}

// True when the hypothesis words[0..count-1] holds every word of kept[0..k-1].
bool SaidEveryWord(const WordId* words, int32_t count, const WordId* kept, int32_t k) {
    for (int32_t i = 0; i < k; ++i) {
        if (!Contains(words, count, kept[i])) return false;
    }
    return true;
}

// A landmark alone, or a city's name and its station or airport.
bool NamesPlace(const AddressContext& context, const WordId* words, int32_t n) {
    if (n == 1) return Tagged(context, words[0], kTagFallbackWord);
    return n == 2 && Tagged(context, words[0], kTagHeadOpener) &&
           Tagged(context, words[1], kTagOpenerFollower);
}

// Region words a hypothesis said count for the choices and replacements of
// all hypotheses of the utterance, earlier and later ones alike.
void NoteHeardRegions(FilterSession* session, const WordId* said, int32_t k, double weight) {
    UtteranceEvidence& evidence = session->evidence;
    for (int32_t i = 0; i < k; ++i) {
        if (!IsRegionWord(AddressContextOf(session), said[i])) continue;
        int32_t at = 0;
        while (at < evidence.heardCount && evidence.heard[at].word != said[i])
            ++at;
        if (at == evidence.heardCount) {
            if (at == kMaxHeardRegions) continue;
            evidence.heard[at] = HeardRegion{said[i], 0.0};
            ++evidence.heardCount;
        }
        evidence.heard[at].weight += weight;
    }
}

// Composes the canonical text of words[0..n-1] into the scratch text; its
// length (0 for none) is composed->length.
void ComposeCanonical(FilterSession* session, const WordId* words, int32_t n,
                      ComposedWords* composed) {
    char16_t* text = session->scratchText;
    composed->words = words;
    composed->n = n;
    int32_t* starts = composed->wordStarts;
    ComposeWholeNumbersText(AddressContextOf(session), words, n, text, kScratchTextCapacity,
                            starts);
    const int32_t located = n < kMaxLocatedWords ? n : kMaxLocatedWords;
    int32_t length = CanonicaliseAddressText(text, kScratchTextCapacity, starts, located + 1);
    if (length > kMaxResultTextLength) {
        text[kMaxResultTextLength] = 0;
        length = kMaxResultTextLength;
    }
    composed->length = length;
}

// The entry of the scratch text, made when new; -1 when the table is full.
// The hypothesis of `rank` counts as its support either way.
int32_t FindOrMakeEntry(FilterSession* session, uint8_t resultClass, const HypothesisSource& source,
                        const ComposedWords& composed, bool heardWhole) {
    const AddressContext context = AddressContextOf(session);
    const char16_t* text = session->scratchText;
    for (int32_t i = 0; i < session->resultCount; ++i) {
        ResultEntry& entry = session->results[i];
        if (WStrCompare(entry.text, text) == 0) {
            if (entry.resultClass > resultClass) entry.resultClass = resultClass;
            AddEntrySupport(&entry, context, composed.words, composed.n, source);
            if (heardWhole) session->evidence.entries[i].heardWhole = true;
            return i;
        }
    }
    if (session->resultCount >= kMaxResults) return -1;
    const int32_t i = session->resultCount++;
    ResultEntry& entry = session->results[i];
    entry.arrivalOrder = i;
    entry.resultClass = resultClass;
    WStrCopy(entry.text, text);
    const bool guessed = GuessesRegion(context, composed.words, composed.n, source);
    StartEntryDetails(&entry, source.rank, guessed, composed);
    EntryEvidence& evidence = session->evidence.entries[i];
    evidence = EntryEvidence{};
    evidence.pairScore = kLowestPassingScore;
    evidence.firstRank = source.rank;
    evidence.heardWord = -1;
    evidence.replacingWord = -1;
    evidence.namedPlace = NamesPlace(context, composed.words, composed.n);
    evidence.heardWhole = heardWhole;
    evidence.cutNumber = -1;
    return i;
}

// Builds the words of choice c in `sequence` and returns their number.
int32_t BuildChoice(const AddressReading& reading, const WordId* kept, int32_t c,
                    WordId* sequence) {
    const int32_t k = reading.kept;
    const WordId word = reading.choices[c].word;
    if (reading.place == ChoicePlace::kBeforeFirst) {
        sequence[0] = word;
        for (int32_t i = 0; i < k; ++i)
            sequence[i + 1] = kept[i];
        return k + 1;
    }
    if (reading.place == ChoicePlace::kAfterFirst) {
        sequence[0] = kept[0];
        sequence[1] = word;
        for (int32_t i = 1; i < k; ++i)
            sequence[i + 1] = kept[i];
        return k + 1;
    }
    for (int32_t i = 0; i < k; ++i)
        sequence[i] = kept[i];
    return k;
}

// True for the words a number is said with (the prefixes before a segment key).
bool IsNumberWord(const AddressContext& context, WordId word) {
    constexpr uint64_t kNumberBits = TagBit(kTagFirstPrefix) | TagBit(kTagSecondPrefix);
    return (TagBitsOf(*context.db, word) & kNumberBits) != 0;
}

// The number a hypothesis cut short had begun to say: the number words that
// end it right after the last word its reading kept (… 福興路 兩百 一十二,
// with no 號 after them); -1 for none.
int32_t NumberCutShort(const AddressContext& context, const WordId* input, int32_t count,
                       WordId lastKept) {
    int32_t start = count;
    while (start > 0 && IsNumberWord(context, input[start - 1]))
        --start;
    if (start == count || start == 0 || input[start - 1] != lastKept) return -1;
    const int32_t value = WholeNumberOfWords(context.lexicon, input + start, count - start);
    return value <= kMaxCutNumber ? value : -1;
}

// Passes over what a speaker puts between the fields of an address: words
// that carry no tag (的, 那個, 呃, 就是: no address role) and a word said twice
// in a row. Never inside a number: after a number word, an untagged word may be
// a numeral misheard (三 是 for 三十) and a repeat may be a digit said again
// (一 一 for 11), so dropping either would make a number that was not said;
// they stay and end the number's reading there. Compacts words[0..count-1] in
// place, ends them with -1 and returns how many are left.
int32_t PassOverFillers(const AddressContext& context, WordId* words, int32_t count) {
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        const WordId word = words[i];
        const bool inNumber = kept > 0 && IsNumberWord(context, words[kept - 1]);
        if (!inNumber) {
            if (!HasAnyTag(*context.db, word)) continue;
            if (kept > 0 && words[kept - 1] == word) continue;
        }
        words[kept++] = word;
    }
    words[kept] = -1;
    return kept;
}

// With postal ranking: which choices of the reading to enter. A choice that
// the hypothesis did not say is left out when the ranges refuse it and
// confirm another choice; without a confirmed one every choice stays. The
// first choice is composed here, into *first, for the intake to use as it is.
bool ChooseByPostalRanges(FilterSession* session, const AddressReading& reading, const WordId* kept,
                          const WordId* input, int32_t count, WordId* sequence, bool* enter,
                          ComposedWords* first) {
    bool held[kMaxRegionChoices];
    bool anyHeld = false;
    bool composed = false;
    // The address is read once; each choice only changes its county or district.
    PostalQuery query{};
    for (int32_t c = 0; c < reading.choiceCount; ++c) {
        enter[c] = true;
        held[c] = false;
        if (!PostalRanking(session) || reading.place == ChoicePlace::kNone) continue;
        if (c == 0) {
            ComposeCanonical(session, sequence, BuildChoice(reading, kept, 0, sequence), first);
            composed = true;
            FieldSpan spans[kResultFieldCount];
            LocateWordFields(AddressContextOf(session), first->words, first->n,
                             NumberGrouping::kLongRuns, first->wordStarts, first->length, spans);
            query = PostalQueryOf(session->postalView, session->scratchText, spans);
        }
        const int32_t name = PostalNameOfWord(session, reading.choices[c].word);
        if (reading.place == ChoicePlace::kBeforeFirst) {
            query.county = name;
        } else {
            query.district = name;
        }
        held[c] = PostalConfirms(AnswerPostal(session->postalView, query).status);
        anyHeld = anyHeld || held[c];
    }
    if (anyHeld) {
        for (int32_t c = 0; c < reading.choiceCount; ++c)
            enter[c] = held[c] || Contains(input, count, reading.choices[c].word);
    }
    return composed;
}

// Words of an address that the postal alternatives are tried for.
constexpr int32_t kMaxPostalWords = 32;

// With postal ranking: the address of words[0..n-1] in each other district of
// its county that holds it, when the ranges refuse the district said, entered
// with the support of the reading and standing in for entry `origin`.
void EnterPostalAlternatives(FilterSession* session, const WordId* words, int32_t n,
                             uint8_t resultClass, const HypothesisSource& source, int32_t origin,
                             double support) {
    if (n > kMaxPostalWords || origin < 0) return;
    WordId replacements[kMaxPostalAlternatives];
    int32_t at = -1;
    const int32_t found = PostalAlternatives(session, session->results[origin], &at, replacements,
                                             kMaxPostalAlternatives);
    WordId sequence[kMaxPostalWords];
    for (int32_t i = 0; i < n; ++i)
        sequence[i] = words[i];
    for (int32_t r = 0; r < found; ++r) {
        sequence[at] = replacements[r];
        ComposedWords composed;
        ComposeCanonical(session, sequence, n, &composed);
        if (composed.length == 0) continue;
        const int32_t before = session->resultCount;
        const int32_t entry = FindOrMakeEntry(session, resultClass, source, composed, false);
        if (entry < 0) return;
        if (entry == before) session->results[entry].postalOrigin = static_cast<int8_t>(origin);
        session->evidence.entries[entry].support += support;
    }
}

}  // namespace

int32_t EnterHypothesisAccurately(FilterSession* session, WordId* input, int32_t count,
                                  WordId* analysed, WordId* sequence) {
    UtteranceEvidence& evidence = session->evidence;
    const int32_t rank = evidence.hypothesisCount++;
    const double weight = RankWeight(rank);
    evidence.totalRankWeight += weight;

    count = PassOverFillers(AddressContextOf(session), input, count);
    AddressReading reading;
    const int32_t k =
        ReadAddressWithEvidence(AddressContextOf(session), input, count, analysed, &reading);
    if (k <= 0) return VANTIR_OK;
    NoteHeardRegions(session, input, count, weight);
    const int32_t cutNumber =
        NumberCutShort(AddressContextOf(session), input, count, analysed[k - 1]);
    // Whether the hypothesis said every word its reading kept; a choice adds
    // one region word to that.
    const bool saidReading = SaidEveryWord(input, count, analysed, k);

    // Choices are weighed again when the results are read, by what the other
    // hypotheses heard; a plain reading counts as it is.
    ChoiceGroup* group = nullptr;
    if (reading.place != ChoicePlace::kNone && evidence.groupCount < kMaxChoiceGroups) {
        group = &evidence.groups[evidence.groupCount++];
        group->rankWeight = weight;
        group->heardWord = -1;
        group->count = 0;
    }
    const int32_t completed = reading.place == ChoicePlace::kAfterFirst ? 1 : 0;
    int32_t result = VANTIR_OK;
    bool enter[kMaxRegionChoices];
    ComposedWords first;
    const bool firstComposed =
        ChooseByPostalRanges(session, reading, analysed, input, count, sequence, enter, &first);
    for (int32_t c = 0; c < reading.choiceCount; ++c) {
        if (!enter[c]) continue;
        const int32_t n = BuildChoice(reading, analysed, c, sequence);
        WordId heardWord = -1;
        WordId replacingWord = -1;
        const bool replaces = FindReplacedRegion(AddressContextOf(session), input, count, sequence,
                                                 n, &heardWord, &replacingWord);
        if (group != nullptr && replaces && group->heardWord < 0) group->heardWord = heardWord;
        // An address without text is no destination; it is never entered.
        ComposedWords composed;
        if (c == 0 && firstComposed) {
            composed = first;  // its text is still in the scratch text
        } else {
            ComposeCanonical(session, sequence, n, &composed);
        }
        if (composed.length == 0) continue;
        const uint8_t resultClass =
            ResultClassOf(AddressContextOf(session), sequence, n, completed);
        const bool heardWhole = saidReading && (reading.place == ChoicePlace::kNone ||
                                                Contains(input, count, reading.choices[c].word));
        const int32_t entry =
            FindOrMakeEntry(session, resultClass, {rank, input, count}, composed, heardWhole);
        // The heaviest reading that finds no room is reported; lighter ones
        // are left out quietly.
        if (entry < 0 && c == 0) result = VANTIR_RESULT_TABLE_FULL;
        if (group != nullptr) {
            group->members[group->count++] =
                ChoiceMember{entry, reading.choices[c].word, reading.choices[c].weight};
        }
        if (entry < 0) continue;
        EntryEvidence& record = evidence.entries[entry];
        if (cutNumber >= 1 && record.firstRank == rank && record.cutNumber < 0) {
            record.cutNumber = static_cast<int16_t>(cutNumber);
        }
        if (group == nullptr && replaces) {
            if (record.heardWord < 0) {
                record.heardWord = heardWord;
                record.replacingWord = replacingWord;
            }
            record.replacingSupport += weight * reading.choices[c].weight;
        } else if (group == nullptr) {
            record.support += weight * reading.choices[c].weight;
        }
        if (reading.pairScore > record.pairScore) record.pairScore = reading.pairScore;
        if (group == nullptr && PostalRanking(session)) {
            EnterPostalAlternatives(session, sequence, n, resultClass, {rank, input, count}, entry,
                                    weight * reading.choices[c].weight);
        }
    }
    return result;
}

}  // namespace vantir
