// Text intake when the heap refuses: the segmenter's window and the heap ids
// of a long hypothesis give -10, nothing is entered or kept, and the session goes on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_heap.h"
#include "support/sample_world.h"

namespace vantir::testing {
namespace {

using Texts = std::vector<std::u16string>;

class TextIntakeHeap : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(world_.attached);
        session_ = world_.NewSession();
        ASSERT_NE(session_, nullptr);
    }
    void TearDown() override { Vantir_Release(session_); }

    Texts Results() { return ListedTexts(session_); }

    AttachedWorld world_;
    FilterSession* session_ = nullptr;
};

TEST_F(TextIntakeHeap, RefusedRequestsGiveOutOfMemoryAndChangeNothing) {
    std::u16string longText;  // more words than the intake keeps on its stack
    for (int32_t k = 0; k < 100; ++k)
        longText += u"臺北市忠孝東路四段七號";
    const int64_t baseline = LiveHeapBlocks();
    for (const std::u16string& text :
         {std::u16string(u"我要到臺北市忠孝東路四段123巷5弄7號"), longText}) {
        ASSERT_EQ(Vantir_Reset(session_), 0);
        ASSERT_EQ(Vantir_AddRecogText(session_, text.data(), -1), 0);
        const Texts expected = Results();
        ASSERT_FALSE(expected.empty());
        const int64_t requests = ForEachHeapRefusal([&](int64_t k) {
            EXPECT_EQ(Vantir_Reset(session_), 0);
            int32_t segmented;
            int32_t entered;
            bool refused;
            {
                ScopedHeapRefusal refusal(k);
                segmented = Vantir_SegmentText(session_, text.data(), -1, nullptr, 0);
                entered = Vantir_AddRecogText(session_, text.data(), -1);
                refused = HeapRequestRefused();
            }
            EXPECT_EQ(LiveHeapBlocks(), baseline);
            if (!refused) {
                EXPECT_EQ(entered, 0);
                EXPECT_EQ(Results(), expected);
                return false;
            }
            if (k == 0) {
                EXPECT_EQ(segmented, VANTIR_OUT_OF_MEMORY);
            } else {
                EXPECT_GT(segmented, 0);
                EXPECT_EQ(entered, VANTIR_OUT_OF_MEMORY) << "request " << k;
                EXPECT_TRUE(Results().empty()) << "request " << k;
            }
            EXPECT_EQ(Vantir_AddRecogText(session_, text.data(), -1), 0);
            EXPECT_EQ(Results(), expected);
            return true;
        });
        // Segmenting: the window. Entering: the window, then for the long text
        // the window again and its id array, then the intake's three work arrays.
        EXPECT_EQ(requests, text == longText ? 7 : 5);
    }
}

}  // namespace
}  // namespace vantir::testing
