// The host calls with each of their heap requests refused in turn: opening a
// folder or blobs in memory, a session, long UTF-8 hypotheses. Every call
// answers success or -10, nothing leaks, and the results stay the same.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_heap.h"
#include "tests/host/host_fixture.h"

namespace vantir::testing {
namespace {

// Hypotheses longer than the calls convert on their stack.
std::string LongText() {
    std::string text;
    for (int k = 0; k < 60; ++k)
        text += "雲港市光明路二段十二號";
    return text;
}

std::string LongWords() {
    std::string words;
    for (int k = 0; k < 200; ++k)
        words += "雲港市 光明路 ";
    return words + kHarbourWords[1];
}

// One host life on a set opened by `open`; false when a call answered -10.
template <class Open>
bool Life(Open open, std::vector<std::string>* results) {
    int32_t code = 1;
    VantirDataSet* set = open(&code);
    if (set == nullptr) {
        EXPECT_EQ(code, VANTIR_OUT_OF_MEMORY);
        return false;
    }
    FilterSession* session = Vantir_OpenSession(set, 0, &code);
    bool whole = session != nullptr;
    if (session == nullptr) {
        EXPECT_EQ(code, VANTIR_OUT_OF_MEMORY);
    }
    const std::string text = LongText();
    const std::string words = LongWords();
    for (const int32_t entered :
         {session ? Vantir_AddRecogTextUtf8(session, text.data(), -1) : 0,
          session ? Vantir_AddRecogWordsUtf8(session, words.data(), -1) : 0}) {
        if (entered == VANTIR_OUT_OF_MEMORY) {
            whole = false;
        } else {
            EXPECT_EQ(entered, 0);
        }
    }
    if (session != nullptr) *results = ResultsUtf8(session);
    Vantir_Release(session);
    Vantir_CloseDataSet(set);
    return whole;
}

TEST(HostHeap, EveryRefusedRequestIsAnsweredAndNothingLeaks) {
    HostScratch scratch;
    WriteHarbourFolder(scratch.path());
    const tools::BuiltData& built = HarbourBlobs();
    auto fromFolder = [&](int32_t* code) {
        return Vantir_OpenDataSet(scratch.path().c_str(), code);
    };
    auto fromMemory = [&](int32_t* code) {
        return Vantir_OpenDataSetFromMemory(
            built.lexicon.data(), static_cast<int32_t>(built.lexicon.size()), built.model.data(),
            static_cast<int32_t>(built.model.size()), built.address.data(),
            static_cast<int32_t>(built.address.size()), nullptr, 0, nullptr, 0, code);
    };
    for (int way = 0; way < 2; ++way) {
        auto life = [&](std::vector<std::string>* results) {
            return way == 0 ? Life(fromFolder, results) : Life(fromMemory, results);
        };
        std::vector<std::string> expected;
        ASSERT_TRUE(life(&expected));
        ASSERT_FALSE(expected.empty());
        const int64_t baseline = LiveHeapBlocks();
        const int64_t requests = ForEachHeapRefusal([&](int64_t k) {
            std::vector<std::string> results;
            bool whole;
            bool refused;
            {
                ScopedHeapRefusal refusal(k);
                whole = life(&results);
                refused = HeapRequestRefused();
            }
            EXPECT_EQ(LiveHeapBlocks(), baseline) << "request " << k;
            if (!refused) {
                EXPECT_TRUE(whole);
                EXPECT_EQ(results, expected);
            }
            return refused;
        });
        // The blobs, the lexicon and model, the index, the session and the long
        // hypotheses' arrays at least.
        EXPECT_GT(requests, 8) << "way " << way;
    }
}

}  // namespace
}  // namespace vantir::testing
