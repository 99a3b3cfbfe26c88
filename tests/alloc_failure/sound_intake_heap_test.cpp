// Sound-alike text intake when the heap refuses: both of the segmenter's
// blocks (the window and its readings) give -10 and leave nothing behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_heap.h"
#include "support/sample_sounds.h"
#include "support/sample_world.h"

namespace vantir::testing {
namespace {

TEST(SoundIntakeHeap, EitherRefusedBlockGivesOutOfMemoryAndNoLeak) {
    const AttachedWorld world;
    ASSERT_TRUE(world.attached);
    FilterSession* session = world.NewSession();
    ASSERT_NE(session, nullptr);
    const std::vector<uint8_t> sounds = SmallSoundsBlob(world.lexicon);
    ASSERT_EQ(Vantir_AttachSounds(session, sounds.data()), 0);
    ASSERT_EQ(Vantir_SetOptions(session, VANTIR_OPTION_SOUND_ALIKE), 0);
    const std::u16string text = u"台北是大安區中孝東鹿四段一百二十三好";
    const int32_t expected = Vantir_SegmentText(session, text.data(), -1, nullptr, 0);
    ASSERT_GT(expected, 0);
    const int64_t baseline = LiveHeapBlocks();
    const int64_t requests = ForEachHeapRefusal([&](int64_t k) {
        int32_t segmented;
        bool refused;
        {
            ScopedHeapRefusal refusal(k);
            segmented = Vantir_SegmentText(session, text.data(), -1, nullptr, 0);
            refused = HeapRequestRefused();
        }
        EXPECT_EQ(LiveHeapBlocks(), baseline);
        EXPECT_EQ(segmented, refused ? VANTIR_OUT_OF_MEMORY : expected) << "request " << k;
        return refused;
    });
    EXPECT_EQ(requests, 2);
    Vantir_Release(session);
}

}  // namespace
}  // namespace vantir::testing
