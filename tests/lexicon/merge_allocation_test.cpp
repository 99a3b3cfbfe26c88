// The merge array of an addition: asked for by every addition that offers a new
// word, first or later, and its refusal leaves the stored words usable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon_test_support.h"
#include "support/fake_heap.h"
#include "vantir/lexicon.h"

namespace vantir {
namespace {

using namespace testing;

// Heap requests of a first addition to a built lexicon: the word array, the
// three buffers, then the merge array.
constexpr int64_t kFirstMergeRequest = 4;
// A later addition asks for the word array, then the merge array.
constexpr int64_t kLaterMergeRequest = 1;

TEST(MergeAllocation, RefusedOnTheFirstAdditionKeepsTheWordsStored) {
    const int64_t baseline = LiveHeapBlocks();
    {
        LexiconPtr lexicon = BuiltLexicon(u"p\nq", 8, 64);
        RefuseHeapRequest(kFirstMergeRequest);
        EXPECT_EQ(Add(lexicon.get(), u"zz\nb\nAb"), -10);
        EXPECT_EQ(HeapRequests(), kFirstMergeRequest + 1);
        RefuseHeapRequest(-1);
        // Stored and numbered in lexicon order of the batch all the same.
        EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 3);
        EXPECT_EQ(Find(lexicon.get(), u"b"), 2);
        EXPECT_EQ(Find(lexicon.get(), u"Ab"), 3);
        EXPECT_EQ(Find(lexicon.get(), u"zz"), 4);
        EXPECT_EQ(Find(lexicon.get(), u"AB"), 3);
        EXPECT_EQ(Add(lexicon.get(), u"zz\nb"), 0);
        EXPECT_EQ(Exported(lexicon.get()), u"b\nAb\nzz\n");
    }
    EXPECT_EQ(LiveHeapBlocks(), baseline);
}

TEST(MergeAllocation, AskedForEvenWhenNoOfferedWordFits) {
    const int64_t baseline = LiveHeapBlocks();
    {
        LexiconPtr lexicon = BuiltLexicon(u"p", 1, 64);
        ASSERT_EQ(Add(lexicon.get(), u"a"), 1);
        // "b" is new but the lexicon is full: nothing is stored, yet the merge
        // still runs, and its refusal is reported.
        RefuseHeapRequest(kLaterMergeRequest);
        EXPECT_EQ(Add(lexicon.get(), u"b"), -10);
        EXPECT_EQ(HeapRequests(), kLaterMergeRequest + 1);
        RefuseHeapRequest(-1);
        EXPECT_EQ(Add(lexicon.get(), u"b"), 0);
        EXPECT_EQ(Find(lexicon.get(), u"a"), 1);
        EXPECT_EQ(Find(lexicon.get(), u"b"), -1);
        // Words already held offer nothing, so no merge array is asked for.
        RefuseHeapRequest(kLaterMergeRequest);
        EXPECT_EQ(Add(lexicon.get(), u"a\np"), 0);
        EXPECT_EQ(HeapRequests(), kLaterMergeRequest);
        RefuseHeapRequest(-1);
    }
    EXPECT_EQ(LiveHeapBlocks(), baseline);
}

}  // namespace
}  // namespace vantir
