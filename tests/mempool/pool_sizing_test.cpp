// Pools sized by the C++ sizing calls hold a model or a lexicon on this target,
// and the shortfall of a pool sized by the bare estimate is reported per object.
#include "vantir/pool_sizing.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bigram/test_models.h"
#include "mempool/pool_test_support.h"
#include "support/sample_blobs.h"

namespace vantir {
namespace {

using testing::ExtraTable;
using testing::GiveTables;

// One object's life in a pool of `bytes` bytes: true when every step succeeds
// and destroying the object gives the whole pool back.
using PoolScenario = std::function<bool(MemPool* pool)>;

bool RunsIn(const PoolScenario& scenario, uint32_t bytes) {
    vantir::testing::PoolBuffer buffer(bytes);
    MemPool* pool = buffer.Init();
    return pool != nullptr && scenario(pool);
}

// The smallest pool the scenario runs in; success grows with the pool's size.
uint32_t SmallestPool(const PoolScenario& scenario, uint32_t upper) {
    uint32_t low = 0;  // fails
    EXPECT_TRUE(RunsIn(scenario, upper)) << "no pool of up to " << upper << " bytes suffices";
    while (upper - low > 1) {
        const uint32_t middle = low + (upper - low) / 2;
        (RunsIn(scenario, middle) ? upper : low) = middle;
    }
    return upper;
}

// Checks the documented sizing and reports how far the bare estimate falls short.
void ExpectSizingSuffices(const char* what, const PoolScenario& scenario, uint32_t estimate,
                          uint32_t documented) {
    const uint32_t needed = SmallestPool(scenario, documented + 65536);
    const int64_t shortfall = int64_t{needed} - estimate;
    std::printf("[ pool     ] %s: estimate %u, needs %u (shortfall %lld, slack %u)\n", what,
                estimate, needed, static_cast<long long>(shortfall), kPoolSlackPerObject);
    ::testing::Test::RecordProperty(what, std::to_string(shortfall));
    EXPECT_TRUE(RunsIn(scenario, documented)) << what << ": " << documented << " bytes";
    EXPECT_LE(needed, documented) << what;
}

const testing::WorldBlobs& World() {
    static const testing::WorldBlobs blobs = testing::MakeWorldBlobs();
    return blobs;
}

PoolScenario ModelScenario(bool attach, int32_t words, int32_t pairs, bool tables) {
    return [=](MemPool* pool) {
        BigramModel* model = BigramModel_Create(pool);
        if (model == nullptr) return false;
        std::vector<uint8_t> blob = World().model;
        int32_t size = 0;
        bool ok = attach ? BigramModel_AttachBlob(model, blob.data()) >= 0
                         : BigramModel_NewBlob(model, words, pairs, &size) != nullptr;
        if (ok && tables) {
            const int32_t modelWords = attach ? World().modelWords : words;
            std::vector<uint8_t> alt(static_cast<size_t>(modelWords) + 1, 3);
            ExtraTable extra;
            ok = GiveTables(model, alt, extra) == VANTIR_OK;
        }
        return BigramModel_Destroy(model) == VANTIR_OK && ok;
    };
}

// A lexicon with the world's blob (or none), filled to both capacities by
// words of five units plus their terminator.
PoolScenario LexiconScenario(bool attach, int32_t words) {
    return [=](MemPool* pool) {
        Lexicon* lexicon = Lexicon_Create(pool, words, words * 6);
        if (lexicon == nullptr) return false;
        bool ok = !attach || Lexicon_AttachBlob(lexicon, World().lexicon.data()) >= 0;
        std::u16string list;
        for (int32_t i = 0; i < words; i++) {
            list += u"ad";
            list += static_cast<char16_t>(u'A' + i / 100 % 26);
            list += static_cast<char16_t>(u'A' + i / 10 % 10);
            list += static_cast<char16_t>(u'A' + i % 10);
            list += u"\n";
        }
        if (ok && words > 0) ok = Lexicon_AddWords(lexicon, list.data()) == words;
        if (ok && words > 0) ok = Lexicon_FindId(lexicon, u"adAAA") >= 0;
        return Lexicon_Destroy(lexicon) == VANTIR_OK && ok;
    };
}

TEST(PoolSizing, ModelsFitThePoolTheSizingCallNames) {
    const void* blob = World().model.data();
    ExpectSizingSuffices("model attached", ModelScenario(true, 0, 0, false),
                         BigramModel_EstimateMemory(blob, 0, 0, 0),
                         PoolBytesForModel(blob, 0, 0, 0));
    ExpectSizingSuffices("model attached, tables", ModelScenario(true, 0, 0, true),
                         BigramModel_EstimateMemory(blob, 0, 0, 1),
                         PoolBytesForModel(blob, 0, 0, 1));
    for (int32_t words : {1, 40, 300}) {
        const int32_t pairs = words * 3;
        const std::string name = "model new " + std::to_string(words);
        ExpectSizingSuffices(name.c_str(), ModelScenario(false, words, pairs, false),
                             BigramModel_EstimateMemory(nullptr, words, pairs, 0),
                             PoolBytesForModel(nullptr, words, pairs, 0));
        ExpectSizingSuffices((name + ", tables").c_str(), ModelScenario(false, words, pairs, true),
                             BigramModel_EstimateMemory(nullptr, words, pairs, 1),
                             PoolBytesForModel(nullptr, words, pairs, 1));
    }
}

TEST(PoolSizing, LexiconsFitThePoolTheSizingCallNames) {
    const void* blob = World().lexicon.data();
    for (int32_t words : {0, 1, 50, 700}) {
        const std::string name = "lexicon " + std::to_string(words);
        ExpectSizingSuffices((name + " attached").c_str(), LexiconScenario(true, words),
                             Lexicon_EstimateMemory(words, words * 6),
                             PoolBytesForLexicon(blob, words, words * 6));
        ExpectSizingSuffices(name.c_str(), LexiconScenario(false, words),
                             Lexicon_EstimateMemory(words, words * 6),
                             PoolBytesForLexicon(nullptr, words, words * 6));
    }
}

}  // namespace
}  // namespace vantir
