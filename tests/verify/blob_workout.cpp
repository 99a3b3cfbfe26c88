// Workouts of verified blobs: the same reads and writes a host's session, model
// and lexicon make, over every id of a small blob and a spread of a large one.
#include "blob_workout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "address/address_db.h"
#include "filter/session.h"
#include "textutil/byte_order.h"

namespace vantir::testing {

using samples::WordOf;

namespace {

constexpr int64_t kMaxIdsTried = 40;
constexpr uint32_t kMaxTableEntries = 2048;
constexpr int32_t kNameCapacity = 256;
constexpr int32_t kRankCapacity = 6;
constexpr int32_t kMaxRenumbered = 12;

std::vector<WordId> IdsToTry(int64_t words) {
    std::vector<WordId> ids;
    const int64_t step = words + 1 <= kMaxIdsTried ? 1 : (words + 1) / kMaxIdsTried;
    for (int64_t id = -1; id < words; id += step)
        ids.push_back(static_cast<WordId>(id));
    if (words > 0) ids.push_back(static_cast<WordId>(words - 1));
    return ids;
}

void ReadNames(const AddressDbView& view) {
    char16_t name[kNameCapacity];
    const uint32_t pairs = std::min(view.regionPairCount, kMaxTableEntries);
    for (uint32_t pair = 0; pair < pairs; pair++) {
        for (RegionSide side : {RegionSide::kUpper, RegionSide::kLower}) {
            const int64_t length = samples::StoredNameLength(view, side, pair);
            const int32_t copied = CopyRegionName(view, side, pair, name, kNameCapacity);
            EXPECT_EQ(copied, length < kNameCapacity ? length : -1);
        }
    }
}

void ScoreAll(BigramModel* model, const std::vector<WordId>& ids) {
    BigramModel_SetStrictMode(model);
    for (WordId a : ids) {
        for (WordId b : ids) {
            const int32_t score = BigramModel_PairScore(model, a, b);
            EXPECT_TRUE(score == -10000 || (score >= -255 && score <= 0));
        }
    }
    BigramModel_SetBackoffMode(model);
    for (WordId a : ids) {
        EXPECT_GE(BigramModel_UnigramScore(model, a), -255);
        EXPECT_GE(BigramModel_ListSuccessors(model, a, nullptr, nullptr, 0), 0);
        WordId ranked[kRankCapacity];
        int32_t scores[kRankCapacity];
        EXPECT_GE(BigramModel_ListSuccessors(model, a, ranked, scores, kRankCapacity), 0);
        for (WordId b : ids)
            EXPECT_GE(BigramModel_PairScore(model, a, b), -510);
    }
}

void EditAll(BigramModel* model, const std::vector<WordId>& ids) {
    std::vector<WordId> first(ids.begin(), ids.end());
    std::vector<WordId> second(ids.rbegin(), ids.rend());
    std::vector<int32_t> scores(ids.size(), -7);
    std::vector<int32_t> unigrams(ids.size(), -9);
    const int32_t n = static_cast<int32_t>(ids.size());
    EXPECT_EQ(BigramModel_SetUnigramScores(model, first.data(), unigrams.data(), n), n);
    EXPECT_GE(BigramModel_SetBigramScores(model, first.data(), second.data(), scores.data(), n), 0);
    const int32_t renumbered = std::min(BigramModel_GetAddedCapacity(model), kMaxRenumbered);
    std::vector<int32_t> map(static_cast<size_t>(renumbered) + 1);
    int32_t next = BigramModel_GetStaticCount(model);
    for (int32_t i = 0; i < renumbered; i++)
        map[static_cast<size_t>(i)] = i % 3 == 1 ? -1 : next++;
    EXPECT_EQ(BigramModel_RenumberAddedWords(model, map.data(), renumbered), 0);
}

}  // namespace

WorkoutWorld::WorkoutWorld()
    : blobs(samples::MakeWorldBlobs()),
      lexicon(Lexicon_Create(nullptr, 0, 0)),
      model(BigramModel_Create(nullptr)) {
    EXPECT_GE(Lexicon_AttachBlob(lexicon, blobs.lexicon.data()), 0);
    EXPECT_EQ(BigramModel_AttachBlob(model, blobs.model.data()), 0);
}

WorkoutWorld::~WorkoutWorld() {
    BigramModel_Destroy(model);
    Lexicon_Destroy(lexicon);
}

void UseAddressDb(const WorkoutWorld& world, const unsigned char* blob) {
    FilterSession* session = Vantir_Init(world.model, world.lexicon, blob);
    ASSERT_NE(session, nullptr);
    const AddressDbView& view = session->addressView;
    const uint32_t words = std::min(view.tagOffsetCount, kMaxTableEntries);
    for (int64_t word = -1; word <= int64_t{words}; word++) {
        for (int32_t tag = 0; tag < 40; tag++)
            EXPECT_LE(HasTag(session->addressView, static_cast<WordId>(word), tag), 1);
    }
    ReadNames(view);
    // Every model word once at the start of a hypothesis, with neighbours that
    // the sample tags make into heads, triggers and segments.
    for (WordId first = 0; first < world.blobs.modelWords; first++) {
        const WordId ids[4] = {first, first / 2, (first + 5) % world.blobs.modelWords, -1};
        const int32_t result = Vantir_AddRecogResult(session, ids, 0, 0, 0, 4);
        EXPECT_TRUE(result == 0 || result == VANTIR_RESULT_TABLE_FULL) << result;
    }
    int32_t count = 200;
    const int32_t units = Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
    std::vector<char16_t> list(static_cast<size_t>(std::max(units, 1)));
    EXPECT_EQ(Vantir_GetFilterResult(session, list.data(), 0, 0, &count), units);
    Vantir_Release(session);
}

void UseModelBlob(unsigned char* blob, uint32_t size) {
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_EQ(BigramModel_AttachBlob(model, blob), 0);
    const std::vector<WordId> ids =
        IdsToTry(int64_t{BigramModel_GetStaticCount(model)} + BigramModel_GetAddedCapacity(model));
    ScoreAll(model, ids);
    EditAll(model, ids);
    EXPECT_EQ(Vantir_VerifyBlob(blob, size), 0) << "editing broke the rows";
    ScoreAll(model, ids);
    BigramModel_Destroy(model);
}

void UseLexiconBlob(const unsigned char* blob) {
    Lexicon* lexicon = Lexicon_Create(nullptr, 4, 64);
    const int32_t words = Lexicon_AttachBlob(lexicon, blob);
    ASSERT_GE(words, 0);
    for (WordId id : IdsToTry(words)) {
        const std::u16string word = WordOf(lexicon, id);
        if (id < 0) {
            EXPECT_TRUE(word.empty());
            continue;
        }
        ASSERT_FALSE(word.empty()) << id;
        EXPECT_EQ(Lexicon_FindIdN(lexicon, word.data(), static_cast<int32_t>(word.size())), id);
        WordId listed[4];
        EXPECT_GE(Lexicon_ListPrefixN(lexicon, word.data(), 1, listed, 4), 1);
    }
    std::u16string added = u"zz\nZz";
    if (words > 0) added += u"\n" + WordOf(lexicon, words - 1);
    added.push_back(0);
    EXPECT_GE(Lexicon_AddWords(lexicon, added.data()), 0);
    Lexicon_Destroy(lexicon);
}

}  // namespace vantir::testing
