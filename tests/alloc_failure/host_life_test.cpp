// A whole host life (lexicon built and edited, model made, filled and given its
// tables, a session fed hypotheses, a text copied) run once for every memory
// request it makes, with that request refused: on the heap through the failing
// allocator, and in pools of every size. Every call must answer success or its
// documented failure, nothing may leak, and later calls must keep working.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bigram/extra_pairs.h"
#include "mempool/heap.h"
#include "mempool/pool_check.h"
#include "support/fake_heap.h"
#include "support/sample_blobs.h"
#include "textutil/byte_order.h"
#include "vantir/textutil.h"

namespace vantir::testing {
namespace {

constexpr int32_t kModelWords = 30;
constexpr int32_t kModelPairs = 64;

// What each step of the life gave; a failed step leaves its later users idle.
struct LifeOutcome {
    int failures = 0;  // calls that answered with their out-of-memory result
    bool completed = false;
};

bool Answered(int32_t result, int32_t success, LifeOutcome* outcome) {
    if (result == -10) {
        outcome->failures++;
        return false;
    }
    EXPECT_EQ(result, success);
    return true;
}

bool Answered(const void* result, LifeOutcome* outcome) {
    if (result == nullptr) outcome->failures++;
    return result != nullptr;
}

void EnterHypotheses(BigramModel* model, Lexicon* lexicon, const std::vector<uint8_t>& addressDb,
                     LifeOutcome* outcome) {
    FilterSession* session = Vantir_Init(model, lexicon, addressDb.data());
    if (!Answered(session, outcome)) return;
    const WordId upper = Lexicon_FindId(lexicon, u"臺北市");
    const WordId trigger = Lexicon_FindId(lexicon, u"市");
    const WordId lower = Lexicon_FindId(lexicon, u"大安區");
    const std::vector<std::vector<WordId>> hypotheses = {
        {upper, trigger, lower}, {lower}, {}, {upper, lower, trigger, -1}};
    for (const std::vector<WordId>& ids : hypotheses) {
        const int32_t result =
            Vantir_AddRecogResult(session, ids.data(), 0, 0, 0, static_cast<int32_t>(ids.size()));
        Answered(result, 0, outcome);
    }
    int32_t count = 10;
    EXPECT_GE(Vantir_GetFilterResult(session, nullptr, 0, 0, &count), 1);
    Vantir_Release(session);
}

void FillModel(BigramModel* model, LifeOutcome* outcome) {
    WordId first[] = {-1, 0, 0, 3, 29};
    WordId second[] = {0, 1, 29, 3, -1};
    int32_t scores[] = {0, -1, -2, -3, -4};
    EXPECT_EQ(BigramModel_SetBigramScores(model, first, second, scores, 5), 5);
    const std::vector<uint8_t> alt(kModelWords + 1, 1);
    const std::vector<uint8_t> extra(kExtraPairTableBytes, 0);
    for (int round = 0; round < 2; round++) {  // giving and replacing
        Answered(BigramModel_SetExtraTables(model, alt.data(), kModelWords + 1, extra.data(),
                                            kExtraPairTableBytes),
                 0, outcome);
    }
}

void EditLexicon(Lexicon* lexicon, LifeOutcome* outcome) {
    std::u16string list = u"\u8def\nab\nAB\n\u5df7\nx";
    list.push_back(0);
    if (Answered(Lexicon_BuildBlob(lexicon, list.data(), nullptr), outcome)) {
        EXPECT_EQ(Lexicon_GetStaticCount(lexicon), 5);
    }
    std::u16string added = u"yy\nab\nz";
    added.push_back(0);
    const int32_t result = Lexicon_AddWords(lexicon, added.data());
    if (result != -10) {
        EXPECT_GE(result, 2);
    }
    Answered(result == -10 ? -10 : 0, 0, outcome);
    std::u16string more = u"w\nAb";  // a later addition merges into the sorted list
    more.push_back(0);
    Answered(Lexicon_AddWords(lexicon, more.data()) == -10 ? -10 : 0, 0, outcome);
    std::u16string removed = u"yy";
    removed.push_back(0);
    Answered(Lexicon_RemoveWords(lexicon, removed.data()) == -10 ? -10 : 0, 0, outcome);
    std::vector<int32_t> map(static_cast<size_t>(Lexicon_Renumber(lexicon, nullptr)) + 1);
    EXPECT_GE(Lexicon_Renumber(lexicon, map.data()), 0);
}

// The session binds the sample world's lexicon and model, attached to copies
// of their blobs, beside the life's own objects.
LifeOutcome HostLife(MemPool* pool, const WorldBlobs& world) {
    LifeOutcome outcome;
    Lexicon* lexicon = Lexicon_Create(pool, 4, 32);
    if (Answered(lexicon, &outcome)) EditLexicon(lexicon, &outcome);
    BigramModel* model = BigramModel_Create(pool);
    if (Answered(model, &outcome) &&
        Answered(BigramModel_NewBlob(model, kModelWords, kModelPairs, nullptr), &outcome)) {
        FillModel(model, &outcome);
    }

    std::vector<uint8_t> worldLexiconBlob = world.lexicon;
    std::vector<uint8_t> worldModelBlob = world.model;
    Lexicon* worldLexicon = Lexicon_Create(pool, 0, 0);
    BigramModel* worldModel = BigramModel_Create(pool);
    if (Answered(worldLexicon, &outcome) && Answered(worldModel, &outcome)) {
        // A big-endian host copies the lexicon's words into host order when
        // attaching, so there the attach is one more request that may fail.
        const int32_t attached = Lexicon_AttachBlob(worldLexicon, worldLexiconBlob.data());
        if (!kHostIsLittleEndian && attached == VANTIR_OUT_OF_MEMORY) {
            outcome.failures++;
        } else {
            EXPECT_GE(attached, 0);
        }
        EXPECT_EQ(BigramModel_AttachBlob(worldModel, worldModelBlob.data()), 0);
        if (attached >= 0) EnterHypotheses(worldModel, worldLexicon, world.addressDb, &outcome);
    }
    // Hosts release copies with std::free, which is what the heap door calls;
    // going through the door keeps the count of live blocks exact.
    char16_t* copy = WStrDup(u"copy");
    if (Answered(copy, &outcome)) HeapFree(copy);

    BigramModel_Destroy(worldModel);
    Lexicon_Destroy(worldLexicon);
    BigramModel_Destroy(model);
    Lexicon_Destroy(lexicon);
    outcome.completed = outcome.failures == 0;
    return outcome;
}

TEST(HostLife, EveryHeapRequestRefusedInTurn) {
    const WorldBlobs world = MakeWorldBlobs();
    const int64_t baseline = LiveHeapBlocks();
    const int64_t requests = ForEachHeapRefusal([&](int64_t k) {
        RefuseHeapRequest(k);
        const LifeOutcome outcome = HostLife(nullptr, world);
        const bool refused = HeapRequestRefused();
        RefuseHeapRequest(-1);
        // The refused request shows as exactly one failed call.
        EXPECT_EQ(outcome.failures, refused ? 1 : 0) << "request " << k;
        EXPECT_EQ(LiveHeapBlocks(), baseline) << "request " << k;
        return refused;
    });
    EXPECT_GE(requests, 20);
}

TEST(HostLife, EveryPoolSize) {
    const WorldBlobs world = MakeWorldBlobs();
    bool completed = false;
    uint32_t bytes = 32;
    while (!completed) {
        std::vector<uint32_t> block(bytes / 4);
        MemPool* pool = MemPool_Init(block.data(), bytes);
        ASSERT_NE(pool, nullptr);
        const uint32_t freeAtStart = LoadU32(block.data() + 2);
        const LifeOutcome outcome = HostLife(pool, world);
        EXPECT_TRUE(CheckPoolInvariants(pool, bytes)) << bytes;
        EXPECT_EQ(LoadU32(block.data() + 2), freeAtStart) << bytes;
        completed = outcome.completed;
        if (HasFailure()) return;
        // Every 4 bytes while the small objects compete; the table copies
        // need only a few sizes on either side of each of their thresholds.
        bytes += bytes < 4096 ? 4 : 509;
        ASSERT_LT(bytes, 1u << 20) << "the life never completed";
    }
}

}  // namespace
}  // namespace vantir::testing
