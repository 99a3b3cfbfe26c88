// Randomized editing against a plain reference map: after every call the model
// must score like the map, keep its rows sorted and contiguous, and mirror its
// counts into the blob.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "bigram/test_models.h"

using namespace vantir::testing;

namespace {

constexpr int32_t kStatic = 8;
constexpr int32_t kAdded = 12;
constexpr int32_t kWords = kStatic + kAdded;
constexpr int32_t kSlots = 100;
constexpr int32_t kVacatedByte = 127;  // -(0 + -255) / 2 for a fresh blob

int32_t Clamp(int32_t s) {
    return std::min(0, std::max(-255, s));
}

struct Reference {
    std::map<std::pair<int32_t, int32_t>, int32_t> pairs;
    std::vector<int32_t> unigram = std::vector<int32_t>(kWords + 1, 0);  // bytes, word -1 first
    std::vector<uint8_t> backoff;
    int32_t unigramMax = -255, unigramMin = 0, unigramMid = 0;
    int32_t bigramMax = -255, bigramMin = 0, bigramMean = 0;
    int32_t Spare() const { return kSlots - static_cast<int32_t>(pairs.size()); }
};

bool Valid(WordId w) {
    return w >= -1 && w < kWords;
}

int32_t ReferenceUnigram(Reference* ref, std::vector<WordId> words, std::vector<int32_t> scores) {
    int32_t taken = 0;
    for (size_t k = 0; k < words.size(); ++k) {
        if (!Valid(words[k])) continue;
        int32_t s = Clamp(scores[k]);
        ref->unigram[words[k] + 1] = -s;
        ref->unigramMax = std::max(ref->unigramMax, s);
        ref->unigramMin = std::min(ref->unigramMin, s);
        ++taken;
    }
    ref->unigramMid = (ref->unigramMin + ref->unigramMax) / 2;
    return taken;
}

int32_t ReferencePairs(Reference* ref, const std::vector<Pair>& input) {
    int32_t updated = 0;
    std::vector<Pair> collected;
    for (Pair p : input) {
        if (!Valid(p.first) || !Valid(p.second)) continue;
        p.score = Clamp(p.score);
        auto it = ref->pairs.find({p.first, p.second});
        if (it != ref->pairs.end()) {
            it->second = p.score;
            ++updated;
        } else {
            collected.push_back(p);
        }
        ref->bigramMax = std::max(ref->bigramMax, p.score);
        ref->bigramMin = std::min(ref->bigramMin, p.score);
    }
    if (collected.empty()) return updated;
    int32_t taken = std::min<int32_t>(static_cast<int32_t>(collected.size()), ref->Spare());
    for (int32_t i = 0; i < taken; ++i) {
        ref->pairs[{collected[i].first, collected[i].second}] = collected[i].score;
    }
    int64_t sum = 0;
    for (const auto& entry : ref->pairs)
        sum += entry.second;
    if (!ref->pairs.empty())
        ref->bigramMean = static_cast<int32_t>(sum / static_cast<int64_t>(ref->pairs.size()));
    return updated + taken;
}

void ReferenceRenumber(Reference* ref, const std::vector<int32_t>& map) {
    int32_t n = static_cast<int32_t>(map.size());
    for (int32_t i = 0; i < n; ++i) {
        int32_t old = ref->unigram[kStatic + i + 1];
        ref->unigram[kStatic + i + 1] = kVacatedByte;
        if (map[i] >= 0) ref->unigram[map[i] + 1] = old;
    }
    auto renumbered = [&](int32_t w) {
        if (w < kStatic) return w;
        return w - kStatic < n && map[w - kStatic] >= 0 ? map[w - kStatic] : INT32_MIN;
    };
    std::map<std::pair<int32_t, int32_t>, int32_t> kept;
    for (const auto& [pair, score] : ref->pairs) {
        int32_t a = renumbered(pair.first), b = renumbered(pair.second);
        if (a != INT32_MIN && b != INT32_MIN) kept[{a, b}] = score;
    }
    ref->pairs = kept;
}

void ExpectModelMatches(const BigramModel* model, const uint8_t* blob, const Reference& ref) {
    BigramModel* editable = const_cast<BigramModel*>(model);
    for (WordId a = -1; a < kWords; ++a) {
        ASSERT_EQ(BigramModel_UnigramScore(model, a), -ref.unigram[a + 1]) << a;
        for (WordId b = -1; b < kWords; ++b) {
            auto it = ref.pairs.find({a, b});
            bool listed = it != ref.pairs.end();
            BigramModel_SetStrictMode(editable);
            ASSERT_EQ(BigramModel_PairScore(model, a, b), listed ? it->second : -10000)
                << a << "," << b;
            BigramModel_SetBackoffMode(editable);
            int32_t backedOff = -(ref.backoff[a + 1] + ref.unigram[b + 1]);
            ASSERT_EQ(BigramModel_PairScore(model, a, b), listed ? it->second : backedOff);
        }
    }
    int32_t pairCount = static_cast<int32_t>(ref.pairs.size());
    ASSERT_EQ(BlobI32(blob, RowStartAt(-1)), 0);
    ASSERT_EQ(BlobI32(blob, RowStartAt(kWords)), pairCount);
    for (WordId w = -1; w < kWords; ++w) {
        int32_t begin = BlobI32(blob, RowStartAt(w)), end = BlobI32(blob, RowStartAt(w + 1));
        ASSERT_LE(begin, end) << w;
        for (int32_t slot = begin + 1; slot < end; ++slot) {
            ASSERT_LT(BlobI32(blob, SuccessorAtOffset(kWords, slot - 1)),
                      BlobI32(blob, SuccessorAtOffset(kWords, slot)));
        }
    }
    for (int32_t slot = pairCount; slot < kSlots; ++slot) {
        ASSERT_EQ(BlobI32(blob, SuccessorAtOffset(kWords, slot)), 0);
        ASSERT_EQ(blob[BigramAt(kWords, kSlots, slot)], 0);
    }
    const int32_t expected[13] = {kStatic,
                                  pairCount,
                                  kAdded,
                                  ref.Spare(),
                                  0,
                                  0,
                                  0,
                                  ref.unigramMax,
                                  ref.unigramMin,
                                  ref.unigramMid,
                                  ref.bigramMax,
                                  ref.bigramMin,
                                  ref.bigramMean};
    const int32_t object[13] = {BigramModel_GetStaticCount(model),
                                BigramModel_GetPairCount(model),
                                BigramModel_GetAddedCapacity(model),
                                BigramModel_GetSparePairs(model),
                                0,
                                0,
                                0,
                                BigramModel_GetUnigramMax(model),
                                BigramModel_GetUnigramMin(model),
                                BigramModel_GetUnigramMid(model),
                                ref.bigramMax,
                                ref.bigramMin,
                                BigramModel_GetBigramMean(model)};
    for (int i = 0; i < 13; ++i) {
        ASSERT_EQ(BlobI32(blob, 64 + 4 * i), expected[i]) << "count block field " << i;
        ASSERT_EQ(object[i], expected[i]) << "object field " << i;
    }
}

TEST(RandomEditing, ModelFollowsAReferenceMap) {
    std::mt19937 random(20240611);
    auto pick = [&](int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(random);
    };
    std::vector<uint8_t> blob = BlobWithStaticWords(kStatic, kAdded, kSlots, {});
    Reference ref;
    for (WordId w = -1; w < kWords; ++w) {
        ref.backoff.push_back(static_cast<uint8_t>(pick(0, 255)));
        blob[BackoffAt(kWords, kSlots, w)] = ref.backoff.back();
    }
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_EQ(BigramModel_AttachBlob(model, blob.data()), 0);

    for (int step = 0; step < 1500; ++step) {
        int32_t action = pick(0, 11);
        if (action < 3) {
            std::vector<WordId> words;
            std::vector<int32_t> scores;
            for (int32_t k = pick(0, 6); k > 0; --k) {
                words.push_back(pick(-2, kWords));
                scores.push_back(pick(-300, 20));
            }
            std::vector<int32_t> given = scores;
            int32_t expected = ReferenceUnigram(&ref, words, given);
            ASSERT_EQ(BigramModel_SetUnigramScores(model, words.data(), scores.data(),
                                                   static_cast<int32_t>(words.size())),
                      expected);
            for (size_t k = 0; k < words.size(); ++k) {
                if (Valid(words[k])) {
                    ASSERT_EQ(scores[k], Clamp(given[k]));
                }
            }
        } else if (action < 8) {
            std::vector<Pair> pairs;
            for (int32_t k = pick(0, 10); k > 0; --k) {
                pairs.push_back({pick(-2, kWords), pick(-2, kWords), pick(-300, 20)});
            }
            if (pick(0, 1) == 0) {
                std::sort(pairs.begin(), pairs.end(), [](const Pair& x, const Pair& y) {
                    return std::make_pair(x.first, x.second) < std::make_pair(y.first, y.second);
                });
            }
            int32_t expected = ReferencePairs(&ref, pairs);
            ASSERT_EQ(SetPairs(model, pairs), expected) << "step " << step;
        } else {
            int32_t n = pick(0, kAdded + 1);
            std::vector<int32_t> map;
            for (int32_t i = 0, next = kStatic; i < n; ++i)
                map.push_back(pick(0, 3) ? next++ : -1);
            int32_t result = BigramModel_RenumberAddedWords(model, map.data(), n);
            if (n > kAdded) {
                ASSERT_EQ(result, -51);
            } else {
                ASSERT_EQ(result, 0);
                ReferenceRenumber(&ref, map);
            }
        }
        ExpectModelMatches(model, blob.data(), ref);
        if (HasFatalFailure()) {
            ADD_FAILURE() << "after step " << step;
            break;
        }
    }
    BigramModel_Destroy(model);
}

}  // namespace
