// Allocation failures on the heap and in pools: each refused request gives the
// documented result, leaks nothing, and leaves a lexicon that still answers right.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon_test_support.h"
#include "support/fake_heap.h"
#include "vantir/lexicon.h"

namespace vantir {
namespace {

using namespace testing;

std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Every held word is found under its own id, and every id gives its word back.
void ExpectConsistent(const Lexicon* lexicon, const std::u16string& staticList) {
    for (const std::u16string& word : Lines(staticList)) {
        const WordId id = Find(lexicon, word);
        if (id >= 0) {
            EXPECT_EQ(Text(lexicon, id), word);
        }
    }
    for (const std::u16string& word : Lines(Exported(lexicon))) {
        const WordId id = Find(lexicon, word);
        EXPECT_GE(id, Lexicon_GetStaticCount(lexicon));
        EXPECT_EQ(Text(lexicon, id), word);
    }
}

const std::u16string kStatic = u"\u5317\u4eac\n\u4e0a\u6d77\nab\nAB\nc";
const std::u16string kFirstBatch = u"x\nyy\nAb\n\u8def";
const std::u16string kSecondBatch = u"zz\nw\naB\nx";

TEST(HeapFailure, CreateAndBuild) {
    const int64_t baseline = LiveHeapBlocks();
    RefuseHeapRequest(0);
    EXPECT_EQ(Lexicon_Create(nullptr, 4, 16), nullptr);
    RefuseHeapRequest(-1);
    EXPECT_EQ(LiveHeapBlocks(), baseline);

    for (int64_t k = 0;; k++) {
        Lexicon* lexicon = Lexicon_Create(nullptr, 4, 16);
        ASSERT_NE(lexicon, nullptr);
        RefuseHeapRequest(k);
        int32_t size = -1;
        void* blob = Build(lexicon, kStatic, &size);
        const bool refused = k < HeapRequests();
        RefuseHeapRequest(-1);
        if (!refused) {
            EXPECT_NE(blob, nullptr);
            Lexicon_Destroy(lexicon);
            EXPECT_GE(k, 2);
            break;
        }
        EXPECT_EQ(blob, nullptr);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(Lexicon_GetStaticCount(lexicon), 0);
        EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon), 0);
        EXPECT_EQ(Find(lexicon, u"ab"), -1);
        // Nothing was kept, so a later build succeeds.
        ASSERT_NE(Build(lexicon, kStatic), nullptr);
        EXPECT_EQ(Find(lexicon, u"AB"), 1);
        Lexicon_Destroy(lexicon);
        EXPECT_EQ(LiveHeapBlocks(), baseline) << "refused request " << k;
    }
}

TEST(HeapFailure, FirstAddition) {
    LexiconPtr source = MakeLexicon();
    void* otherBlob = Build(source.get(), u"p\nq");
    const int64_t baseline = LiveHeapBlocks();
    for (int64_t k = 0;; k++) {
        LexiconPtr lexicon = BuiltLexicon(kStatic, 8, 64);
        RefuseHeapRequest(k);
        const int32_t result = Add(lexicon.get(), kFirstBatch);
        const bool refused = k < HeapRequests();
        RefuseHeapRequest(-1);
        if (!refused) {
            EXPECT_EQ(result, 4);
            break;
        }
        EXPECT_EQ(result, -10);
        if (Lexicon_GetAddedIdSpan(lexicon.get()) != 0) {
            // Only the merge, the last request, comes after the words are stored.
            EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 4);
            EXPECT_EQ(Find(lexicon.get(), u"yy"), 5 + 3);
            ExpectConsistent(lexicon.get(), kStatic);
        } else {
            EXPECT_EQ(Find(lexicon.get(), u"yy"), -1);
            // No buffer was left behind: an attach is still accepted, and a later
            // addition allocates afresh.
            EXPECT_EQ(Lexicon_AttachBlob(lexicon.get(), otherBlob), 2);
            EXPECT_EQ(Add(lexicon.get(), kFirstBatch), 4);
            EXPECT_EQ(Find(lexicon.get(), u"yy"), 2 + 3);
            ExpectConsistent(lexicon.get(), u"p\nq");
        }
        lexicon.reset();
        EXPECT_EQ(LiveHeapBlocks(), baseline) << "refused request " << k;
    }
}

TEST(HeapFailure, LaterAdditionKeepsLookupsRight) {
    const int64_t baseline = LiveHeapBlocks();
    bool mergeRefused = false;
    for (int64_t k = 0;; k++) {
        LexiconPtr lexicon = BuiltLexicon(kStatic, 8, 64);
        ASSERT_EQ(Add(lexicon.get(), kFirstBatch), 4);
        RefuseHeapRequest(k);
        const int32_t result = Add(lexicon.get(), kSecondBatch);
        const bool refused = k < HeapRequests();
        RefuseHeapRequest(-1);
        if (!refused) {
            EXPECT_EQ(result, 3);
            break;
        }
        EXPECT_EQ(result, -10);
        // A refused merge leaves the new words stored and numbered; either way
        // every held word must still be found.
        const int32_t span = Lexicon_GetAddedIdSpan(lexicon.get());
        EXPECT_TRUE(span == 4 || span == 7);
        if (span == 7) {
            mergeRefused = true;
            EXPECT_EQ(Exported(lexicon.get()), u"x\n\u8def\nAb\nyy\nw\naB\nzz\n");
            EXPECT_EQ(Find(lexicon.get(), u"aB"), 5 + 5);
            EXPECT_EQ(Find(lexicon.get(), u"W"), 5 + 4);
            EXPECT_EQ(ListPrefix(lexicon.get(), u"a"), (std::vector<WordId>{1, 2, 5 + 2, 5 + 5}));
        }
        ExpectConsistent(lexicon.get(), kStatic);
        EXPECT_EQ(Add(lexicon.get(), kSecondBatch), span == 7 ? 0 : 3);
        ExpectConsistent(lexicon.get(), kStatic);
        lexicon.reset();
        EXPECT_EQ(LiveHeapBlocks(), baseline) << "refused request " << k;
    }
    EXPECT_TRUE(mergeRefused);
}

TEST(HeapFailure, Removal) {
    const int64_t baseline = LiveHeapBlocks();
    {
        LexiconPtr lexicon = BuiltLexicon(kStatic, 8, 64);
        ASSERT_EQ(Add(lexicon.get(), kFirstBatch), 4);
        RefuseHeapRequest(0);
        EXPECT_EQ(Remove(lexicon.get(), u"yy\nx"), -10);
        RefuseHeapRequest(-1);
        EXPECT_EQ(Find(lexicon.get(), u"yy"), 5 + 3);
        EXPECT_EQ(Remove(lexicon.get(), u"yy\nx"), 2);
        ExpectConsistent(lexicon.get(), kStatic);
    }
    EXPECT_EQ(LiveHeapBlocks(), baseline);
}

TEST(CapacityArguments, NegativeOrHugeCapacitiesFailCleanly) {
    const int64_t baseline = LiveHeapBlocks();
    struct Capacities {
        int32_t words;
        int32_t units;
    };
    for (Capacities c : {Capacities{-1, 100}, Capacities{10, -1}, Capacities{INT32_MIN, INT32_MIN},
                         Capacities{INT32_MAX, 100}, Capacities{10, INT32_MAX},
                         Capacities{1 << 28, 16}, Capacities{INT32_MAX, INT32_MAX}}) {
        LexiconPtr lexicon = MakeLexicon(c.words, c.units);
        ASSERT_NE(lexicon, nullptr);
        EXPECT_EQ(Lexicon_GetAddedCapacity(lexicon.get()), c.words);
        ASSERT_NE(Build(lexicon.get(), kStatic), nullptr);
        EXPECT_EQ(Add(lexicon.get(), u"new\nwords"), -10);
        EXPECT_EQ(Remove(lexicon.get(), u"new"), 0);
        EXPECT_EQ(Lexicon_ExportAdded(lexicon.get(), nullptr), 0);
        EXPECT_EQ(Find(lexicon.get(), u"ab"), 2);
        EXPECT_EQ(Find(lexicon.get(), u"new"), -1);
    }
    EXPECT_EQ(LiveHeapBlocks(), baseline);

    TestPool pool(4096);
    {
        LexiconPtr lexicon = MakeLexicon(INT32_MAX, 8, pool.get());
        EXPECT_EQ(Add(lexicon.get(), u"a"), -10);
        LexiconPtr negative = MakeLexicon(-3, -3, pool.get());
        EXPECT_EQ(Add(negative.get(), u"a"), -10);
    }
    EXPECT_TRUE(pool.Untouched());
}

TEST(PoolLexicon, WholeLifeReturnsEveryByte) {
    TestPool pool(8192);
    ASSERT_NE(pool.get(), nullptr);
    {
        LexiconPtr lexicon = MakeLexicon(16, 128, pool.get());
        ASSERT_NE(lexicon, nullptr);
        int32_t size = 0;
        ASSERT_NE(Build(lexicon.get(), kStatic, &size), nullptr);
        // 80 + 8 * 2 + 2 * (1 + 2 * 4) = 114, padded to 116.
        EXPECT_EQ(size, 116);
        EXPECT_EQ(Add(lexicon.get(), kFirstBatch), 4);
        EXPECT_EQ(Add(lexicon.get(), kSecondBatch), 3);
        EXPECT_EQ(Remove(lexicon.get(), u"x\nzz"), 2);
        std::vector<int32_t> map(static_cast<size_t>(Lexicon_GetAddedIdSpan(lexicon.get())));
        EXPECT_EQ(Lexicon_Renumber(lexicon.get(), map.data()), 7);
        EXPECT_EQ(Exported(lexicon.get()), u"\u8def\nAb\nyy\nw\naB\n");
        ExpectConsistent(lexicon.get(), kStatic);
        EXPECT_TRUE(pool.Consistent());
        EXPECT_LT(pool.FreeBytes(), pool.InitialFreeBytes());
    }
    EXPECT_TRUE(pool.Untouched());
}

TEST(PoolLexicon, EveryPoolSizeFailsCleanly) {
    bool completed = false;
    for (uint32_t bytes = 32; bytes <= 1600; bytes += 4) {
        TestPool pool(bytes);
        ASSERT_NE(pool.get(), nullptr);
        Lexicon* lexicon = Lexicon_Create(pool.get(), 8, 40);
        if (lexicon != nullptr) {
            const bool built = Build(lexicon, kStatic) != nullptr;
            EXPECT_EQ(Lexicon_GetStaticCount(lexicon), built ? 5 : 0);
            const int32_t first = Add(lexicon, kFirstBatch);
            EXPECT_TRUE(first == 4 || first == -10) << bytes;
            ExpectConsistent(lexicon, kStatic);
            const int32_t second = Add(lexicon, kSecondBatch);
            EXPECT_TRUE(second >= 0 || second == -10) << bytes;
            ExpectConsistent(lexicon, kStatic);
            const int32_t removed = Remove(lexicon, u"yy\nw");
            EXPECT_TRUE(removed >= 0 || removed == -10) << bytes;
            ExpectConsistent(lexicon, kStatic);
            completed = built && first == 4 && second == 3 && removed == 2;
            EXPECT_TRUE(pool.Consistent()) << bytes;
            EXPECT_EQ(Lexicon_Destroy(lexicon), 0);
        }
        EXPECT_TRUE(pool.Untouched()) << bytes;
        if (HasFailure()) return;
    }
    // The largest pools hold everything the scenario asks for.
    EXPECT_TRUE(completed);
}

}  // namespace
}  // namespace vantir
