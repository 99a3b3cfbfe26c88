// Vantir_SegmentTextUtf8: the words of the session's text intake as UTF-8, the
// same split as the UTF-16 call, the buffer protocol, and refused arguments.
#include <gtest/gtest.h>

#include <string>

#include "filter/session.h"
#include "host/host_segment.h"
#include "tests/host/host_fixture.h"
#include "vantir/vantir.hpp"

namespace vantir::testing {
namespace {

class HostSegment : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scratch_ = new HostScratch;
        WriteHarbourFolder(scratch_->path());
        set_ = Vantir_OpenDataSet(scratch_->path().c_str(), nullptr);
    }
    static void TearDownTestSuite() {
        Vantir_CloseDataSet(set_);
        set_ = nullptr;
        delete scratch_;
        scratch_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(set_, nullptr);
        session_ = Vantir_OpenSession(set_, 0, nullptr);
        ASSERT_NE(session_, nullptr);
    }
    void TearDown() override { Vantir_Release(session_); }

    // The words through the UTF-16 call, spelled from the lexicon and joined.
    std::string Utf16Split(const std::u16string& text) {
        const auto length = static_cast<int32_t>(text.size());
        const int32_t count = Vantir_SegmentText(session_, text.data(), length, nullptr, 0);
        std::vector<WordId> ids(static_cast<size_t>(count));
        Vantir_SegmentText(session_, text.data(), length, ids.data(), count);
        std::string words;
        for (const WordId id : ids) {
            int32_t units = 0;
            const char16_t* word = Lexicon_GetWord(session_->lexicon, id, &units);
            words += (words.empty() ? "" : " ") + ToUtf8(std::u16string_view(word, units));
        }
        return words;
    }

    static inline HostScratch* scratch_ = nullptr;
    static inline VantirDataSet* set_ = nullptr;
    FilterSession* session_ = nullptr;
};

TEST_F(HostSegment, SplitsAsTheUtf16CallInBothModes) {
    const char* texts[] = {"我要去雲港市東岸區光明路二段十二號", "雲港市光明路2段12號",
                           "  雲港市，東岸區!  ", "", "xyz"};
    for (const uint32_t options : {0u, static_cast<uint32_t>(VANTIR_OPTION_ACCURATE)}) {
        ASSERT_EQ(Vantir_SetOptions(session_, options | VANTIR_OPTION_SHARED_MODEL), 0);
        for (const char* text : texts) {
            const int32_t length = Vantir_SegmentTextUtf8(session_, text, -1, nullptr, 0);
            ASSERT_GE(length, 0) << text;
            std::string words(static_cast<size_t>(length) + 1, '#');
            ASSERT_EQ(Vantir_SegmentTextUtf8(session_, text, -1, words.data(), length + 1), length);
            EXPECT_EQ(words.back(), '\0');
            words.pop_back();
            EXPECT_EQ(words, Utf16Split(*ToUtf16(text))) << text;
        }
    }
}

TEST_F(HostSegment, WritesOnlyWhenTheWordsAndTheirEndFit) {
    const std::string text = "雲港市東岸區光明路二段十二號";
    const int32_t length = Vantir_SegmentTextUtf8(session_, text.data(), -1, nullptr, 0);
    ASSERT_GT(length, 0);
    std::string buffer(static_cast<size_t>(length) + 1, '#');
    // One byte short of the NUL: the same length comes back, nothing is written.
    EXPECT_EQ(Vantir_SegmentTextUtf8(session_, text.data(), static_cast<int32_t>(text.size()),
                                     buffer.data(), length),
              length);
    EXPECT_EQ(buffer, std::string(static_cast<size_t>(length) + 1, '#'));
    // A length cuts the text: only the bytes it gives are read.
    std::string city(16, '#');
    const int32_t cut = Vantir_SegmentTextUtf8(session_, text.data(), 9, city.data(), 16);
    EXPECT_EQ(city.substr(0, static_cast<size_t>(cut)), "雲港市");
    // Nothing to split: the empty text, also from a null text of length 0.
    char empty[2] = {'#', '#'};
    EXPECT_EQ(Vantir_SegmentTextUtf8(session_, nullptr, 0, empty, 2), 0);
    EXPECT_EQ(empty[0], '\0');
}

TEST_F(HostSegment, RefusesBadArgumentsAndMalformedText) {
    char buffer[64];
    EXPECT_EQ(Vantir_SegmentTextUtf8(nullptr, "雲港市", -1, buffer, 64), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_SegmentTextUtf8(session_, nullptr, 3, buffer, 64), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_SegmentTextUtf8(session_, "雲港市", -1, nullptr, 64), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_SegmentTextUtf8(session_, "雲港市", -1, buffer, -1), VANTIR_INVALID_ARGUMENT);
    for (const char* malformed : {"雲港市\x80", "\xED\xA0\x80", "雲港\xE5\xB8"})
        EXPECT_EQ(Vantir_SegmentTextUtf8(session_, malformed, -1, buffer, 64),
                  VANTIR_INVALID_ARGUMENT);
}

}  // namespace
}  // namespace vantir::testing
