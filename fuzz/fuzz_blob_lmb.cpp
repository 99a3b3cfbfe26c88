// Fuzz target: an "LMB" blob that Vantir_VerifyBlob accepts must be safe to
// attach and use with any word ids from -1 to N - 1, and stays sound when edited.
#include <algorithm>
#include <vector>

#include "bigram/blob_layout.h"
#include "fuzz_support.h"
#include "textutil/blob_header.h"

using namespace vantir;
using namespace vantir::fuzz;

namespace {

// All ids of a small model; the ends and an even spread of a large one.
constexpr int64_t kMaxIdsTried = 40;
constexpr int32_t kRankCapacity = 8;
constexpr int32_t kMaxRenumbered = 16;
constexpr int32_t kStrictNotListed = -10000;

std::vector<WordId> IdsToTry(int32_t words) {
    std::vector<WordId> ids;
    if (words + 1 <= kMaxIdsTried) {
        for (WordId id = -1; id < words; id++)
            ids.push_back(id);
        return ids;
    }
    for (int64_t k = 0; k < kMaxIdsTried; k++)
        ids.push_back(static_cast<WordId>(-1 + k * words / (kMaxIdsTried - 1)));
    ids.push_back(words - 1);
    return ids;
}

void ScoreEverything(BigramModel* model, const std::vector<WordId>& ids) {
    for (bool strict : {true, false}) {
        if (strict) {
            BigramModel_SetStrictMode(model);
        } else {
            BigramModel_SetBackoffMode(model);
        }
        for (WordId a : ids) {
            for (WordId b : ids) {
                const int32_t score = BigramModel_PairScore(model, a, b);
                FUZZ_CHECK(strict ? (score == kStrictNotListed || (score >= -255 && score <= 0))
                                  : (score >= -510 && score <= 0));
            }
        }
    }
    for (WordId a : ids) {
        FUZZ_CHECK(BigramModel_UnigramScore(model, a) >= -255);
        FUZZ_CHECK(BigramModel_IsBelowFloor(model, a) <= 1);
        const int32_t count = BigramModel_ListSuccessors(model, a, nullptr, nullptr, 0);
        FUZZ_CHECK(count >= 0);
        WordId ranked[kRankCapacity];
        int32_t scores[kRankCapacity];
        const int32_t listed = BigramModel_ListSuccessors(model, a, ranked, scores, kRankCapacity);
        FUZZ_CHECK(listed >= 0 && listed < kRankCapacity);
    }
}

void EditEverything(BigramModel* model, const std::vector<WordId>& ids) {
    std::vector<WordId> first;
    std::vector<WordId> second;
    std::vector<int32_t> scores;
    for (size_t k = 0; k + 1 < ids.size(); k++) {
        first.push_back(ids[k]);
        second.push_back(ids[ids.size() - 1 - k]);
        scores.push_back(-static_cast<int32_t>(k % 300));
    }
    std::vector<int32_t> unigrams = scores;
    const int32_t n = static_cast<int32_t>(first.size());
    FUZZ_CHECK(BigramModel_SetUnigramScores(model, first.data(), unigrams.data(), n) == n);
    FUZZ_CHECK(BigramModel_SetBigramScores(model, first.data(), second.data(), scores.data(), n) >=
               0);

    // Drop every other added word, as a lexicon's renumbering would.
    const int32_t renumbered = std::min(BigramModel_GetAddedCapacity(model), kMaxRenumbered);
    std::vector<int32_t> map(static_cast<size_t>(renumbered));
    int32_t next = BigramModel_GetStaticCount(model);
    for (int32_t i = 0; i < renumbered; i++)
        map[static_cast<size_t>(i)] = i % 2 == 1 ? -1 : next++;
    FUZZ_CHECK(BigramModel_RenumberAddedWords(model, map.data(), renumbered) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExactBytes blob(data, size);
    const uint32_t held = static_cast<uint32_t>(size);
    if (Vantir_VerifyBlob(blob.data(), held) != VANTIR_OK) return 0;
    if (!BlobHeaderMatches(blob.data(), kModelBlobTag, kModelBlobVersion)) return 0;
    BigramModel* model = BigramModel_Create(nullptr);
    FUZZ_CHECK(BigramModel_AttachBlob(model, blob.data()) == VANTIR_OK);
    const int32_t words = BigramModel_GetStaticCount(model) + BigramModel_GetAddedCapacity(model);
    const std::vector<WordId> ids = IdsToTry(words);
    ScoreEverything(model, ids);
    EditEverything(model, ids);
    // Editing keeps the rows sound: the edited bytes verify again.
    FUZZ_CHECK(Vantir_VerifyBlob(blob.data(), held) == VANTIR_OK);
    ScoreEverything(model, ids);
    BigramModel_Destroy(model);
    return 0;
}
