// Session creation and hypothesis intake when the heap refuses: Vantir_Init
// gives null and keeps nothing; a refused intake gives -10, leaves the result
// table as it was, and the same session then goes on as if nothing happened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/failing_heap.h"
#include "support/sample_blobs.h"

namespace vantir::testing {
namespace {

using Hypothesis = std::vector<WordId>;
using Texts = std::vector<std::u16string>;

class SessionHeap : public ::testing::Test {
  protected:
    SessionHeap()
        : blobs_(samples::MakeWorldBlobs()),
          lexicon_(Lexicon_Create(nullptr, 0, 0)),
          model_(BigramModel_Create(nullptr)) {
        EXPECT_GE(Lexicon_AttachBlob(lexicon_, blobs_.lexicon.data()), 0);
        EXPECT_EQ(BigramModel_AttachBlob(model_, blobs_.model.data()), 0);
    }
    ~SessionHeap() override {
        BigramModel_Destroy(model_);
        Lexicon_Destroy(lexicon_);
    }

    FilterSession* NewSession() { return Vantir_Init(model_, lexicon_, blobs_.addressDb.data()); }

    Hypothesis Ids(const std::vector<std::u16string>& texts) const {
        Hypothesis ids;
        for (const std::u16string& text : texts)
            ids.push_back(Lexicon_FindId(lexicon_, text.c_str()));
        return ids;
    }

    // Region completion and widening, plain segments, a lone fallback word, an
    // empty hypothesis and a long one.
    std::vector<Hypothesis> Hypotheses() const {
        std::vector<Hypothesis> list = {
            Ids({u"臺北市", u"市", u"忠孝東路", u"四段", u"一百二十三", u"巷", u"五", u"號"}),
            Ids({u"大安區", u"市", u"和平路", u"一段", u"十", u"號", u"樓"}),
            Ids({u"我", u"要", u"中正區", u"忠孝東路", u"五", u"號"}),
            Ids({u"地址"}),
            {},
        };
        Hypothesis long_;
        for (int32_t i = 0; i < 300; i++)
            long_.push_back(i % blobs_.modelWords);
        list.push_back(long_);
        return list;
    }

    static int32_t Add(FilterSession* session, const Hypothesis& ids) {
        return Vantir_AddRecogResult(session, ids.data(), 0, 0, 0,
                                     static_cast<int32_t>(ids.size()));
    }

    static Texts Results(FilterSession* session) {
        int32_t count = 1000;
        const int32_t units = Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
        std::vector<char16_t> list(static_cast<size_t>(units));
        Vantir_GetFilterResult(session, list.data(), 0, 0, &count);
        Texts texts;
        for (const char16_t* at = list.data(); *at != 0; at += texts.back().size() + 1)
            texts.emplace_back(at);
        return texts;
    }

    samples::WorldBlobs blobs_;
    Lexicon* lexicon_;
    BigramModel* model_;
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
    EXPECT_EQ(Add(session, Hypotheses()[0]), 0);
    EXPECT_FALSE(Results(session).empty());
    Vantir_Release(session);
    EXPECT_EQ(LiveHeapBlocks(), baseline);
}

TEST_F(SessionHeap, RefusedIntakeChangesNothingAndTheSessionGoesOn) {
    const std::vector<Hypothesis> hypotheses = Hypotheses();
    FilterSession* reference = NewSession();
    for (const Hypothesis& ids : hypotheses)
        ASSERT_EQ(Add(reference, ids), 0);
    const Texts expected = Results(reference);
    Vantir_Release(reference);
    ASSERT_GE(expected.size(), 3u);

    const int64_t baseline = LiveHeapBlocks();
    for (size_t refusedCall = 0; refusedCall < hypotheses.size(); refusedCall++) {
        const int64_t requests = ForEachHeapRefusal([&](int64_t k) {
            FilterSession* session = NewSession();
            for (size_t i = 0; i < refusedCall; i++)
                Add(session, hypotheses[i]);
            const Texts before = Results(session);
            int32_t result;
            bool refused;
            {
                ScopedHeapRefusal refusal(k);
                result = Add(session, hypotheses[refusedCall]);
                refused = HeapRequestRefused();
            }
            if (refused) {
                EXPECT_EQ(result, -10) << "call " << refusedCall << " request " << k;
                EXPECT_EQ(Results(session), before);
                EXPECT_EQ(Add(session, hypotheses[refusedCall]), 0);
            } else {
                EXPECT_EQ(result, 0);
            }
            for (size_t i = refusedCall + 1; i < hypotheses.size(); i++)
                Add(session, hypotheses[i]);
            EXPECT_EQ(Results(session), expected);
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
