// Session creation and hypothesis intake when the heap refuses: Vantir_Init
// gives null and keeps nothing; a refused intake gives -10, leaves the result
// table as it was, and the same session then goes on as if nothing happened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_heap.h"
#include "support/sample_world.h"

namespace vantir::testing {
namespace {

using Hypothesis = std::vector<WordId>;
using Texts = std::vector<std::u16string>;

class SessionHeap : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(world_.attached); }

    FilterSession* NewSession() { return world_.NewSession(); }

    // Region completion and widening, plain segments, a lone fallback word, an
    // empty hypothesis and a long one.
    std::vector<Hypothesis> Hypotheses() const {
        std::vector<Hypothesis> list = {
            world_.Ids(
                {u"臺北市", u"市", u"忠孝東路", u"四段", u"一百二十三", u"巷", u"五", u"號"}),
            world_.Ids({u"大安區", u"市", u"和平路", u"一段", u"十", u"號", u"樓"}),
            world_.Ids({u"我", u"要", u"中正區", u"忠孝東路", u"五", u"號"}),
            world_.Ids({u"地址"}),
            {},
        };
        Hypothesis long_;
        for (int32_t i = 0; i < 300; i++)
            long_.push_back(i % world_.blobs.modelWords);
        list.push_back(long_);
        return list;
    }

    AttachedWorld world_;
};

TEST_F(SessionHeap, RefusedInitKeepsNothing) {
    const int64_t baseline = LiveHeapBlocks();
    {
        ScopedHeapRefusal refusal(0);
        EXPECT_EQ(NewSession(), nullptr);
        EXPECT_EQ(HeapRequests(), 1);
    }
    EXPECT_EQ(LiveHeapBlocks(), baseline);
    // The borrowed objects are untouched and serve the next session.
    FilterSession* session = NewSession();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(AddHypothesis(session, Hypotheses()[0]), 0);
    EXPECT_FALSE(ListedTexts(session).empty());
    Vantir_Release(session);
    EXPECT_EQ(LiveHeapBlocks(), baseline);
}

TEST_F(SessionHeap, RefusedIntakeChangesNothingAndTheSessionGoesOn) {
    const std::vector<Hypothesis> hypotheses = Hypotheses();
    FilterSession* reference = NewSession();
    for (const Hypothesis& ids : hypotheses)
        ASSERT_EQ(AddHypothesis(reference, ids), 0);
    const Texts expected = ListedTexts(reference);
    Vantir_Release(reference);
    ASSERT_GE(expected.size(), 3u);

    const int64_t baseline = LiveHeapBlocks();
    for (size_t refusedCall = 0; refusedCall < hypotheses.size(); refusedCall++) {
        const int64_t requests = ForEachHeapRefusal([&](int64_t k) {
            FilterSession* session = NewSession();
            for (size_t i = 0; i < refusedCall; i++)
                AddHypothesis(session, hypotheses[i]);
            const Texts before = ListedTexts(session);
            int32_t result;
            bool refused;
            {
                ScopedHeapRefusal refusal(k);
                result = AddHypothesis(session, hypotheses[refusedCall]);
                refused = HeapRequestRefused();
            }
            if (refused) {
                EXPECT_EQ(result, -10) << "call " << refusedCall << " request " << k;
                EXPECT_EQ(ListedTexts(session), before);
                EXPECT_EQ(AddHypothesis(session, hypotheses[refusedCall]), 0);
            } else {
                EXPECT_EQ(result, 0);
            }
            for (size_t i = refusedCall + 1; i < hypotheses.size(); i++)
                AddHypothesis(session, hypotheses[i]);
            EXPECT_EQ(ListedTexts(session), expected);
            Vantir_Release(session);
            EXPECT_EQ(LiveHeapBlocks(), baseline);
            return refused;
        });
        // The three work arrays, whatever the hypothesis.
        EXPECT_EQ(requests, 3) << "call " << refusedCall;
    }
}

}  // namespace
}  // namespace vantir::testing
