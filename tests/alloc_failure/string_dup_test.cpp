// StrDup and WStrDup when the heap refuses: null, nothing kept, and the next
// copy works; a null text asks the heap for nothing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/fake_heap.h"
#include "vantir/textutil.h"

namespace vantir::testing {
namespace {

TEST(StringDuplicateHeap, RefusedCopyIsNullAndTheNextOneWorks) {
    {
        ScopedHeapRefusal refusal(0);
        EXPECT_EQ(StrDup("text"), nullptr);
        EXPECT_TRUE(HeapRequestRefused());
        char16_t* granted = WStrDup(u"text");  // the second request is granted
        EXPECT_NE(granted, nullptr);
        std::free(granted);
    }
    {
        ScopedHeapRefusal refusal(0);
        EXPECT_EQ(WStrDup(u"\u8def"), nullptr);
    }
    char* copy = StrDup("text");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "text");
    std::free(copy);
    char16_t* wide = WStrDup(u"\u8def");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide[0], u'\u8def');
    EXPECT_EQ(wide[1], 0);
    std::free(wide);
}

TEST(StringDuplicateHeap, OneRequestPerCopyAndNoneForNull) {
    RefuseHeapRequest(-1);
    EXPECT_EQ(StrDup(nullptr), nullptr);
    EXPECT_EQ(WStrDup(nullptr), nullptr);
    EXPECT_EQ(HeapRequests(), 0);
    char* empty = StrDup("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], 0);
    EXPECT_EQ(HeapRequests(), 1);
    std::free(empty);
}

}  // namespace
}  // namespace vantir::testing
