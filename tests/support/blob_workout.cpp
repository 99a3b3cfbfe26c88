// Workouts of verified blobs: the same reads and writes a host's session, model
// and lexicon make, over every id of a small blob and a spread of a large one.
#include "tests/support/blob_workout.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "address/address_db.h"
#include "address/postal_blob.h"
#include "address/postal_lookup.h"
#include "filter/session.h"
#include "segment/sound_blob.h"
#include "segment/text_segmenter.h"

namespace vantir::testing {

namespace {

// Bounds the work per blob; larger tables are sampled.
constexpr int64_t kMaxModelIdsTried = 40;
constexpr int32_t kMaxLexiconIdsTried = 2000;
constexpr uint32_t kMaxTableEntries = 2048;
// Tags as stored are bytes; the grammar's run up to 34.
constexpr int32_t kTagsTried = 40;
constexpr int32_t kOutOfRangeTag = 255;
// Shorter than the longest names the verify cases store, so both copy paths run.
constexpr int32_t kNameCapacity = 256;
constexpr int32_t kRankCapacity = 8;
constexpr int32_t kMaxRenumbered = 16;
constexpr int32_t kPrefixCapacity = 16;
constexpr int32_t kAddedCapacity = 8;
constexpr int32_t kAddedUnits = 256;
constexpr int32_t kStrictNotListed = -10000;
constexpr int32_t kLowestScore = -255;
constexpr int32_t kLowestBackedOffScore = 2 * kLowestScore;

// Collects failed checks as lines naming the check and its line.
class Checks {
  public:
    void Expect(bool held, const char* what, int line) {
        if (!held) failures_ += std::string(what) + " (line " + std::to_string(line) + ")\n";
    }
    std::string Failures() const { return failures_; }

  private:
    std::string failures_;
};

#define WORKOUT_CHECK(checks, condition) (checks).Expect((condition), #condition, __LINE__)

// All ids of a small model; the ends and an even spread of a large one.
std::vector<WordId> ModelIdsToTry(int64_t words) {
    std::vector<WordId> ids;
    if (words + 1 <= kMaxModelIdsTried) {
        for (int64_t id = -1; id < words; id++)
            ids.push_back(static_cast<WordId>(id));
        return ids;
    }
    for (int64_t k = 0; k < kMaxModelIdsTried; k++)
        ids.push_back(static_cast<WordId>(-1 + k * words / (kMaxModelIdsTried - 1)));
    ids.push_back(static_cast<WordId>(words - 1));
    return ids;
}

void ReadEveryTag(const AddressDbView& view, Checks& checks) {
    const uint32_t words = std::min(view.tagOffsetCount + 1, kMaxTableEntries);
    for (int64_t word = -1; word <= int64_t{words}; word++) {
        for (int32_t tag = 0; tag <= kTagsTried; tag++) {
            const int32_t has =
                HasTag(view, static_cast<WordId>(word), tag == kTagsTried ? kOutOfRangeTag : tag);
            WORKOUT_CHECK(checks, has == 0 || has == 1);
        }
    }
}

// Reads each name up to its 0 unit, as region completion does, and copies it.
void ReadEveryName(const AddressDbView& view, Checks& checks) {
    char16_t name[kNameCapacity];
    const uint32_t pairs = std::min(view.regionPairCount, kMaxTableEntries);
    for (uint32_t pair = 0; pair < pairs; pair++) {
        for (RegionSide side : {RegionSide::kUpper, RegionSide::kLower}) {
            const int64_t length = StoredNameLength(view, side, pair);
            const int32_t copied = CopyRegionName(view, side, pair, name, kNameCapacity);
            WORKOUT_CHECK(checks, copied == (length < kNameCapacity ? length : -1));
        }
    }
}

void EnterHypotheses(FilterSession* session, const AttachedWorld& world, Checks& checks) {
    const std::vector<std::vector<std::u16string>> texts = {
        {u"臺北市", u"市", u"忠孝東路", u"四段", u"一百二十三", u"巷", u"五", u"弄", u"七", u"號"},
        {u"大安區", u"市", u"和平路", u"一段", u"十", u"號", u"樓"},
        {u"我", u"要", u"到", u"中正區", u"忠孝東路", u"五", u"號"},
        {u"臺中市", u"大安區", u"Ab", u"ab", u"地址"},
        {u"地址"},
    };
    for (const auto& hypothesis : texts) {
        const int32_t result = AddHypothesis(session, world.Ids(hypothesis));
        WORKOUT_CHECK(checks, result == 0 || result == VANTIR_RESULT_TABLE_FULL);
    }
    // Every model word once at the start of a hypothesis, with neighbours that
    // the sample tags make into heads, triggers and segments.
    const WordId words = world.blobs.modelWords;
    for (WordId first = 0; first < words; first++) {
        const int32_t result = AddHypothesis(session, {first, first / 2, (first + 5) % words, -1});
        WORKOUT_CHECK(checks, result == 0 || result == VANTIR_RESULT_TABLE_FULL);
    }
    std::vector<std::u16string> listed;
    WORKOUT_CHECK(checks, ReadListing(session, &listed));
}

void ScoreEverything(BigramModel* model, const std::vector<WordId>& ids, Checks& checks) {
    for (bool strict : {true, false}) {
        if (strict) {
            BigramModel_SetStrictMode(model);
        } else {
            BigramModel_SetBackoffMode(model);
        }
        for (WordId a : ids) {
            for (WordId b : ids) {
                const int32_t score = BigramModel_PairScore(model, a, b);
                WORKOUT_CHECK(checks, strict ? (score == kStrictNotListed ||
                                                (score >= kLowestScore && score <= 0))
                                             : (score >= kLowestBackedOffScore && score <= 0));
            }
        }
    }
    for (WordId a : ids) {
        WORKOUT_CHECK(checks, BigramModel_UnigramScore(model, a) >= kLowestScore);
        WORKOUT_CHECK(checks, BigramModel_IsBelowFloor(model, a) <= 1);
        WORKOUT_CHECK(checks, BigramModel_ListSuccessors(model, a, nullptr, nullptr, 0) >= 0);
        WordId ranked[kRankCapacity];
        int32_t scores[kRankCapacity];
        const int32_t listed = BigramModel_ListSuccessors(model, a, ranked, scores, kRankCapacity);
        WORKOUT_CHECK(checks, listed >= 0 && listed < kRankCapacity);
    }
}

void EditEverything(BigramModel* model, const std::vector<WordId>& ids, Checks& checks) {
    std::vector<WordId> first;
    std::vector<WordId> second;
    std::vector<int32_t> scores;
    for (size_t k = 0; k + 1 < ids.size(); k++) {
        first.push_back(ids[k]);
        second.push_back(ids[ids.size() - 1 - k]);
        scores.push_back(-static_cast<int32_t>(k % 300));
    }
    const int32_t n = static_cast<int32_t>(first.size());
    std::vector<int32_t> unigrams = scores;
    WORKOUT_CHECK(checks,
                  BigramModel_SetUnigramScores(model, first.data(), unigrams.data(), n) == n);
    WORKOUT_CHECK(checks, BigramModel_SetBigramScores(model, first.data(), second.data(),
                                                      scores.data(), n) >= 0);
    // Drop every other added word, as a lexicon's renumbering would.
    const int32_t renumbered = std::min(BigramModel_GetAddedCapacity(model), kMaxRenumbered);
    std::vector<int32_t> map(static_cast<size_t>(renumbered) + 1);
    int32_t next = BigramModel_GetStaticCount(model);
    for (int32_t i = 0; i < renumbered; i++)
        map[static_cast<size_t>(i)] = i % 2 == 1 ? -1 : next++;
    WORKOUT_CHECK(checks, BigramModel_RenumberAddedWords(model, map.data(), renumbered) == 0);
}

// Each stored word is found under its own id: buckets are sorted and distinct.
void CheckEveryWord(const Lexicon* lexicon, int32_t words, Checks& checks) {
    const int32_t step = words <= kMaxLexiconIdsTried ? 1 : words / kMaxLexiconIdsTried;
    std::vector<char16_t> buffer(static_cast<size_t>(Lexicon_GetMaxWordLength(lexicon)) + 1);
    for (WordId id = 0; id < words; id += step) {
        const std::u16string word = WordOf(lexicon, id);
        WORKOUT_CHECK(checks, !word.empty());
        if (word.empty()) return;
        const int32_t length = static_cast<int32_t>(word.size());
        WORKOUT_CHECK(checks, Lexicon_FindIdN(lexicon, word.data(), length) == id);
        WORKOUT_CHECK(checks, Lexicon_GetWordText(lexicon, id, buffer.data()) == length);
        WordId listed[kPrefixCapacity];
        const int32_t prefix = std::min(length, 2);
        WORKOUT_CHECK(checks, Lexicon_ListPrefixN(lexicon, word.data(), prefix, listed,
                                                  kPrefixCapacity) >= 1);
    }
    WORKOUT_CHECK(checks, WordOf(lexicon, -1).empty());
}

// Added words beside the static part: a repeat of a static word is refused.
void AddAndRemove(Lexicon* lexicon, int32_t words, Checks& checks) {
    std::u16string list = u"zz\nZz\n\u8def\n";
    if (words > 0) list += WordOf(lexicon, 0) + u"\n" + WordOf(lexicon, words - 1);
    list.push_back(0);
    // Stored words may hold line breaks, so the list can split into more words.
    WORKOUT_CHECK(checks, Lexicon_AddWords(lexicon, list.data()) >= 0);
    if (words > 0) {
        const std::u16string first = WordOf(lexicon, 0);
        WORKOUT_CHECK(checks, Lexicon_FindIdN(lexicon, first.data(),
                                              static_cast<int32_t>(first.size())) == 0);
    }
    std::u16string removed = u"zz\n\u8def";
    removed.push_back(0);
    WORKOUT_CHECK(checks, Lexicon_RemoveWords(lexicon, removed.data()) >= 0);
    const int32_t span = Lexicon_Renumber(lexicon, nullptr);
    std::vector<int32_t> map(static_cast<size_t>(std::max(span, 1)));
    WORKOUT_CHECK(checks, Lexicon_Renumber(lexicon, map.data()) == span);
    std::vector<char16_t> exported(static_cast<size_t>(Lexicon_ExportAdded(lexicon, nullptr)) + 1);
    WORKOUT_CHECK(checks, Lexicon_ExportAdded(lexicon, exported.data()) >= 0);
}

}  // namespace

std::string UseAddressDb(const AttachedWorld& world, const unsigned char* blob) {
    Checks checks;
    FilterSession* session = world.NewSession(blob);
    WORKOUT_CHECK(checks, session != nullptr);
    if (session == nullptr) return checks.Failures();
    ReadEveryTag(session->addressView, checks);
    ReadEveryName(session->addressView, checks);
    EnterHypotheses(session, world, checks);
    Vantir_Release(session);
    return checks.Failures();
}

std::string UseSoundsBlob(const AttachedWorld& world, const unsigned char* blob) {
    Checks checks;
    SoundsView view;
    WORKOUT_CHECK(checks, ReadSoundsBlob(blob, &view));
    if (!checks.Failures().empty()) return checks.Failures();
    // Texts of the blob's own characters, so that keys are found and words checked.
    std::u16string text;
    const uint32_t readings = std::min(view.readingCount, kMaxTableEntries);
    for (uint32_t r = 0; r < readings; ++r) {
        const uint32_t point =
            LoadU32(view.readings + uint64_t{r} * kSndReadingBytes) >> kSndSyllableBits;
        uint16_t syllables[kMaxReadingsPerChar];
        const int32_t count = ReadingsOf(view, point, syllables);
        WORKOUT_CHECK(checks, count >= 1 && count <= kMaxReadingsPerChar);
        for (int32_t k = 0; k < count; ++k) {
            WORKOUT_CHECK(checks, syllables[k] < view.syllableCount);
            WORKOUT_CHECK(checks, MergedClassOf(view, syllables[k]) <= syllables[k]);
            char spelling[kSndSpellingBytes + 1];
            SpellingOf(view, syllables[k], spelling);
            WORKOUT_CHECK(checks, spelling[0] != 0);
        }
        if (point <= 0xFFFF) text.push_back(static_cast<char16_t>(point));
    }
    for (uint32_t b = 0; b < view.bucketCount && b < kMaxTableEntries; ++b) {
        for (uint32_t e = BucketStart(view, b); e < BucketStart(view, b + 1); ++e)
            WORKOUT_CHECK(checks, EntryAt(view, e).word < view.wordCount);
    }
    std::vector<WordId> ids(2 * text.size() + 1);
    std::unique_ptr<bool[]> marks(new bool[ids.size()]());
    for (const std::u16string& piece :
         {text, std::u16string(u"台北是大安區中孝東鹿四斷一百二十三好")}) {
        WordSink sink{ids.data(), static_cast<int32_t>(ids.size()), 0, marks.get()};
        WORKOUT_CHECK(checks,
                      SegmentText(world.lexicon, world.model, piece.data(),
                                  static_cast<int32_t>(piece.size()), &sink, &view) == VANTIR_OK);
        for (int64_t k = 0; k < sink.count && k < sink.capacity; ++k) {
            WORKOUT_CHECK(checks, ids[static_cast<size_t>(k)] >= 0 &&
                                      ids[static_cast<size_t>(k)] <
                                          Lexicon_GetStaticCount(world.lexicon) +
                                              Lexicon_GetAddedCapacity(world.lexicon));
        }
    }
    return checks.Failures();
}

std::string UseModelBlob(unsigned char* blob, uint32_t size) {
    Checks checks;
    BigramModel* model = BigramModel_Create(nullptr);
    WORKOUT_CHECK(checks, BigramModel_AttachBlob(model, blob) == VANTIR_OK);
    if (!checks.Failures().empty()) {
        BigramModel_Destroy(model);
        return checks.Failures();
    }
    const std::vector<WordId> ids = ModelIdsToTry(int64_t{BigramModel_GetStaticCount(model)} +
                                                  BigramModel_GetAddedCapacity(model));
    ScoreEverything(model, ids, checks);
    EditEverything(model, ids, checks);
    // Editing keeps the rows sound: the edited bytes verify again.
    WORKOUT_CHECK(checks, Vantir_VerifyBlob(blob, size) == VANTIR_OK);
    ScoreEverything(model, ids, checks);
    BigramModel_Destroy(model);
    return checks.Failures();
}

std::string UseLexiconBlob(const unsigned char* blob) {
    Checks checks;
    Lexicon* lexicon = Lexicon_Create(nullptr, kAddedCapacity, kAddedUnits);
    const int32_t words = Lexicon_AttachBlob(lexicon, blob);
    WORKOUT_CHECK(checks, words >= 0);
    if (words >= 0) {
        CheckEveryWord(lexicon, words, checks);
        // The first id past the static words has no word until one is added.
        WORKOUT_CHECK(checks, WordOf(lexicon, words).empty());
        AddAndRemove(lexicon, words, checks);
        CheckEveryWord(lexicon, words, checks);
    }
    Lexicon_Destroy(lexicon);
    return checks.Failures();
}

}  // namespace vantir::testing

namespace vantir::testing {

std::string UsePostalBlob(const AttachedWorld& world, const unsigned char* blob) {
    Checks checks;
    PostalView view;
    WORKOUT_CHECK(checks, ReadPostalBlob(blob, &view));
    if (!checks.Failures().empty()) return checks.Failures();
    for (uint32_t n = 0; n < view.nameCount && n < kMaxTableEntries; ++n) {
        int32_t length = 0;
        const unsigned char* units = PostalName(view, n, &length);
        std::u16string name;
        for (int32_t i = 0; i < length; ++i)
            name.push_back(static_cast<char16_t>(LoadU16(units + 2 * i)));
        WORKOUT_CHECK(checks, FindPostalName(view, name.data(), length) == static_cast<int32_t>(n));
    }
    for (uint32_t d = 0; d < view.districtCount && d < kMaxTableEntries; ++d) {
        const PostalDistrict district = DistrictAt(view, d);
        WORKOUT_CHECK(checks,
                      district.county < view.nameCount && district.district < view.nameCount);
        for (uint32_t r = RoadStart(view, d); r < RoadStart(view, d + 1); ++r) {
            const PostalRoad road = RoadAt(view, r);
            for (uint32_t g = RangeStart(view, r); g < RangeStart(view, r + 1); ++g) {
                const PostalRange range = RangeAt(view, g);
                const PostalQuery query{district.county, district.district, road.name,
                                        road.section,    range.lane,        range.alley,
                                        range.low,       range.lowPart};
                const PostalAnswer answer = AnswerPostal(view, query);
                WORKOUT_CHECK(checks, answer.status != VANTIR_POSTAL_UNKNOWN);
                int32_t others[4];
                WORKOUT_CHECK(checks, OtherDistrictsHolding(view, query, d, others, 4) <= 4);
            }
        }
    }
    for (uint32_t a = 0; a < view.absentCount && a < kMaxTableEntries; ++a) {
        const uint32_t record = LoadU32(view.absent + uint64_t{a} * kPstAbsentBytes);
        WORKOUT_CHECK(checks, (record & 0xFFFFu) < view.districtCount);
    }
    for (const uint32_t options :
         {VANTIR_OPTION_POSTAL, VANTIR_OPTION_POSTAL | VANTIR_OPTION_ACCURATE}) {
        FilterSession* session = world.NewSession();
        WORKOUT_CHECK(checks, session != nullptr);
        if (session == nullptr) break;
        WORKOUT_CHECK(checks, Vantir_AttachPostal(session, blob) == VANTIR_OK);
        WORKOUT_CHECK(checks, Vantir_SetOptions(session, options) == VANTIR_OK);
        EnterHypotheses(session, world, checks);
        for (int32_t i = 0; i < session->resultCount; ++i) {
            VantirPostal postal;
            WORKOUT_CHECK(checks, Vantir_GetResultPostal(session, i, &postal) == VANTIR_OK);
            WORKOUT_CHECK(checks, postal.status >= VANTIR_POSTAL_UNKNOWN &&
                                      postal.status <= VANTIR_POSTAL_NOT_FOUND);
        }
        Vantir_Release(session);
    }
    return checks.Failures();
}

}  // namespace vantir::testing
