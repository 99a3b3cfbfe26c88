// The UTF-8 calls of a session on a data set: results as the UTF-16 listing
// gives them, the buffer capacity protocol, malformed UTF-8, threads, version.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/host/host_fixture.h"
#include "vantir/vantir.hpp"

namespace vantir::testing {
namespace {

class HostUtf8 : public ::testing::Test {
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

    static inline HostScratch* scratch_ = nullptr;
    static inline VantirDataSet* set_ = nullptr;
    FilterSession* session_ = nullptr;
};

TEST_F(HostUtf8, ResultsAreTheListingInUtf8InBothModes) {
    for (const uint32_t options : {0u, static_cast<uint32_t>(VANTIR_OPTION_ACCURATE)}) {
        FilterSession* session = Vantir_OpenSession(set_, options, nullptr);
        ASSERT_NE(session, nullptr);
        EXPECT_EQ(Vantir_GetOptions(session), options | VANTIR_OPTION_SHARED_MODEL);
        for (const char* words : kHarbourWords)
            ASSERT_EQ(Vantir_AddRecogWordsUtf8(session, words, -1), 0);
        // Text intake of an unsegmented hypothesis, given by its length.
        const std::string text = "雲港市西岸區光明路二段十二號 and more";
        ASSERT_EQ(Vantir_AddRecogTextUtf8(session, text.data(), 42), 0);
        int32_t count = 128;
        const int32_t units = Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
        std::u16string listing(static_cast<size_t>(units), u'\0');
        Vantir_GetFilterResult(session, listing.data(), 0, 0, &count);
        std::vector<std::string> expected;
        for (size_t at = 0; expected.size() < static_cast<size_t>(count);) {
            const size_t end = listing.find(u'\0', at);
            expected.push_back(ToUtf8(std::u16string_view(listing).substr(at, end - at)));
            at = end + 1;
        }
        EXPECT_EQ(Vantir_GetResultCount(session), count);
        EXPECT_EQ(ResultsUtf8(session), expected) << "options " << options;
        EXPECT_GE(count, 3);
        Vantir_Release(session);
    }
}

TEST_F(HostUtf8, TextIsWrittenOnlyWhenItAndItsNulFit) {
    ASSERT_EQ(Vantir_AddRecogWordsUtf8(session_, kHarbourWords[1], -1), 0);
    const std::string expected = kHarbourResults[1];
    const auto length = static_cast<int32_t>(expected.size());
    EXPECT_EQ(Vantir_GetResultUtf8(session_, 0, nullptr, 0), length);

    // One byte short of the NUL, or none at all: nothing is touched.
    std::string buffer(64, '#');
    for (const int32_t capacity : {0, 1, length - 1, length}) {
        EXPECT_EQ(Vantir_GetResultUtf8(session_, 0, buffer.data(), capacity), length);
        EXPECT_EQ(buffer, std::string(64, '#')) << "capacity " << capacity;
    }
    EXPECT_EQ(Vantir_GetResultUtf8(session_, 0, buffer.data(), length + 1), length);
    EXPECT_EQ(buffer.substr(0, expected.size()), expected);
    EXPECT_EQ(buffer[expected.size()], '\0');
    EXPECT_EQ(buffer[expected.size() + 1], '#');

    EXPECT_EQ(Vantir_GetResultUtf8(session_, Vantir_GetResultCount(session_), buffer.data(), 64),
              VANTIR_NOT_FOUND);
    EXPECT_EQ(Vantir_GetResultUtf8(session_, -1, buffer.data(), 64), VANTIR_NOT_FOUND);
    EXPECT_EQ(Vantir_GetResultUtf8(session_, 0, buffer.data(), -1), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_GetResultUtf8(session_, 0, nullptr, 8), VANTIR_INVALID_ARGUMENT);
}

TEST_F(HostUtf8, MalformedUtf8IsRefusedAndEntersNothing) {
    const std::vector<std::string> malformed = {
        "雲港市\x80",            // a stray continuation byte
        "\xC0\xAF",              // overlong '/'
        "\xE0\x80\xAF",          // overlong in three bytes
        "\xED\xA0\x80",          // a surrogate code point
        "\xF4\x90\x80\x80",      // above U+10FFFF
        "\xF5\x80\x80\x80",      // a lead byte that starts nothing
        "雲港\xE5\xB8",          // cut short at the end
        "\xE5\xB8\xE5\xB8\x82",  // broken by the next lead
    };
    for (const std::string& bytes : malformed) {
        const auto length = static_cast<int32_t>(bytes.size());
        EXPECT_EQ(Vantir_AddRecogTextUtf8(session_, bytes.data(), length), VANTIR_INVALID_ARGUMENT);
        EXPECT_EQ(Vantir_AddRecogWordsUtf8(session_, bytes.data(), length),
                  VANTIR_INVALID_ARGUMENT);
    }
    // A cut sequence is refused even where a NUL follows it.
    EXPECT_EQ(Vantir_AddRecogTextUtf8(session_, "\xE9\x9B", -1), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_GetResultCount(session_), 0);
    // A null text is the empty hypothesis when its length says 0, else an error.
    EXPECT_EQ(Vantir_AddRecogTextUtf8(session_, nullptr, 0), 0);
    EXPECT_EQ(Vantir_AddRecogTextUtf8(session_, nullptr, -1), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_AddRecogWordsUtf8(session_, nullptr, 3), VANTIR_INVALID_ARGUMENT);
    // Characters beyond the Basic Multilingual Plane are text, not errors.
    EXPECT_EQ(Vantir_AddRecogTextUtf8(session_, "\xF0\xA0\x80\x80雲港市", -1), 0);
}

TEST_F(HostUtf8, UnknownWordsAndBlanksAreLeftOut) {
    ASSERT_EQ(Vantir_AddRecogWordsUtf8(session_, "\t雲港市  無此詞 光明路\t二段 十二 號 ", -1), 0);
    ASSERT_EQ(Vantir_GetResultCount(session_), 2);
    EXPECT_EQ(ResultUtf8(session_, 0), kHarbourResults[1]);
    // Only blanks: an empty hypothesis, no result.
    Vantir_Reset(session_);
    EXPECT_EQ(Vantir_AddRecogWordsUtf8(session_, " \t ", -1), 0);
    EXPECT_EQ(Vantir_GetResultCount(session_), 0);
}

TEST_F(HostUtf8, SessionsOfOneSetFilterOnThreadsAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 50;
    const uint32_t modes[2] = {0, VANTIR_OPTION_ACCURATE};
    auto filter = [](FilterSession* session) {
        Vantir_Reset(session);
        for (const char* words : kHarbourWords)
            Vantir_AddRecogWordsUtf8(session, words, -1);
        return ResultsUtf8(session);
    };
    std::vector<std::string> expected[2];
    for (int mode = 0; mode < 2; ++mode) {
        FilterSession* session = Vantir_OpenSession(set_, modes[mode], nullptr);
        expected[mode] = filter(session);
        Vantir_Release(session);
    }
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            FilterSession* session = Vantir_OpenSession(set_, modes[t % 2], nullptr);
            for (int round = 0; round < kRounds && session != nullptr; ++round) {
                if (filter(session) != expected[t % 2]) ++failures[t];
            }
            if (session == nullptr) failures[t] = -1;
            Vantir_Release(session);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
    EXPECT_EQ(expected[0], kHarbourResults);
}

TEST_F(HostUtf8, OptionsAreCheckedAndTheVersionIsStatic) {
    int32_t code = 1;
    EXPECT_EQ(Vantir_OpenSession(set_, 0x80000000u, &code), nullptr);
    EXPECT_EQ(code, VANTIR_INVALID_ARGUMENT);
    const char* version = Vantir_Version();
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(std::regex_match(version, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+"))) << version;
    EXPECT_EQ(Vantir_Version(), version);
}

}  // namespace
}  // namespace vantir::testing
