// Session life cycle and the delivery format of the result list: sizes, count
// clamping, sort order and the measuring call with a null buffer.
#include "filter/session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "address/address_db_writer.h"
#include "support/fake_handles.h"
#include "vantir/textutil.h"

using namespace vantir;
using vantir::testing::FakeLexicon;
using vantir::testing::FakeModel;

namespace {

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AddressDbSource source;
        source.wordTags = {{33}};
        blob_ = WriteAddressDb(source);
        session_ = Vantir_Init(FakeModel(), FakeLexicon(), blob_.data());
        ASSERT_NE(session_, nullptr);
    }
    void TearDown() override { Vantir_Release(session_); }

    // Appends an entry as the intake would, without composing anything.
    void Store(const char16_t* text, uint8_t resultClass) {
        ResultEntry& entry = session_->results[session_->resultCount];
        entry.arrivalOrder = session_->resultCount;
        entry.resultClass = resultClass;
        WStrCopy(entry.text, text);
        ++session_->resultCount;
    }

    std::vector<uint8_t> blob_;
    FilterSession* session_ = nullptr;
};

}  // namespace

TEST(SessionInit, RefusesMissingObjectsAndForeignBlobs) {
    AddressDbSource source;
    std::vector<uint8_t> blob = WriteAddressDb(source);
    EXPECT_EQ(Vantir_Init(nullptr, FakeLexicon(), blob.data()), nullptr);
    EXPECT_EQ(Vantir_Init(FakeModel(), nullptr, blob.data()), nullptr);
    EXPECT_EQ(Vantir_Init(FakeModel(), FakeLexicon(), nullptr), nullptr);
    std::memcpy(blob.data() + 12, "LMB", 4);
    EXPECT_EQ(Vantir_Init(FakeModel(), FakeLexicon(), blob.data()), nullptr);
    std::memcpy(blob.data() + 12, "ADDR", 5);
    blob[20] = 2;
    EXPECT_EQ(Vantir_Init(FakeModel(), FakeLexicon(), blob.data()), nullptr);
}

TEST(SessionCalls, NullSessionAndBadCountPointers) {
    int32_t count = 3;
    char16_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(Vantir_Reset(nullptr), -5);
    EXPECT_EQ(Vantir_GetFilterResult(nullptr, out, 0, 0, &count), -5);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(out[0], 9);
    Vantir_Release(nullptr);  // no effect
}

TEST_F(SessionTest, NewSessionListsNothing) {
    int32_t count = 5;
    char16_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(Vantir_GetFilterResult(session_, out, 0, 0, &count), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 9) << "only one unit is written";
}

TEST_F(SessionTest, NegativeOrMissingCountWritesNothing) {
    Store(u"AB", 0);
    int32_t count = -1;
    char16_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(Vantir_GetFilterResult(session_, out, 0, 0, &count), -41);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(Vantir_GetFilterResult(session_, out, 0, 0, nullptr), -41);
    EXPECT_EQ(out[0], 9);
}

TEST_F(SessionTest, ListsTextsBackToBackClosedByAnEmptyText) {
    Store(u"AB", 1);
    Store(u"C", 1);
    int32_t count = 10;
    EXPECT_EQ(Vantir_GetFilterResult(session_, nullptr, 7, 8, &count), 6);
    EXPECT_EQ(count, 2) << "a measuring call clamps the count too";

    char16_t out[8];
    std::fill(std::begin(out), std::end(out), char16_t{9});
    count = 10;
    EXPECT_EQ(Vantir_GetFilterResult(session_, out, 0, 0, &count), 6);
    const char16_t expected[] = {u'A', u'B', 0, u'C', 0, 0, 9};
    EXPECT_EQ(std::memcmp(out, expected, sizeof expected), 0);

    count = 1;
    EXPECT_EQ(Vantir_GetFilterResult(session_, out, 0, 0, &count), 4) << "length of AB plus 2";
    EXPECT_EQ(count, 1);
}

TEST_F(SessionTest, OrdersByClassThenArrival) {
    Store(u"a", 1);
    Store(u"b", 0);
    Store(u"c", 1);
    Store(u"d", 3);
    int32_t count = 4;
    char16_t out[16];
    ASSERT_EQ(Vantir_GetFilterResult(session_, out, 0, 0, &count), 9);
    const char16_t expected[] = {u'b', 0, u'a', 0, u'c', 0, u'd', 0, 0};
    EXPECT_EQ(std::memcmp(out, expected, sizeof expected), 0);
    // Listing again after the storage was reordered gives the same sequence.
    ASSERT_EQ(Vantir_GetFilterResult(session_, out, 0, 0, &count), 9);
    EXPECT_EQ(std::memcmp(out, expected, sizeof expected), 0);
}

TEST_F(SessionTest, EmptyTextIsListedAsALoneZero) {
    Store(u"", 0);
    Store(u"x", 0);
    int32_t count = 2;
    char16_t out[8];
    ASSERT_EQ(Vantir_GetFilterResult(session_, out, 0, 0, &count), 4);
    const char16_t expected[] = {0, u'x', 0, 0};
    EXPECT_EQ(std::memcmp(out, expected, sizeof expected), 0);
}

TEST_F(SessionTest, ResetEmptiesTheTableAndRestartsArrivalOrders) {
    Store(u"AB", 0);
    EXPECT_EQ(Vantir_Reset(session_), 0);
    EXPECT_EQ(session_->resultCount, 0);
    Store(u"Z", 2);
    EXPECT_EQ(session_->results[0].arrivalOrder, 0);
}

TEST_F(SessionTest, FullTableOfLongestTextsFitsTheMeasuredSize) {
    std::u16string longest(kMaxResultTextLength, u'字');
    for (int32_t i = 0; i < kMaxResults; ++i)
        Store(longest.c_str(), uint8_t(i % 4));
    int32_t count = kMaxResults + 5;
    const int32_t size = Vantir_GetFilterResult(session_, nullptr, 0, 0, &count);
    EXPECT_EQ(size, kMaxResults * (kMaxResultTextLength + 1) + 1);
    std::vector<char16_t> out(size);  // exactly the measured size, checked by ASan
    EXPECT_EQ(Vantir_GetFilterResult(session_, out.data(), 0, 0, &count), size);
    EXPECT_EQ(out.back(), 0);
}

TEST(ResultOrder, ComparesClassesUnsignedThenArrival) {
    ResultEntry a{}, b{};
    a.resultClass = 0;
    b.resultClass = 3;
    a.arrivalOrder = 9;
    b.arrivalOrder = 1;
    EXPECT_LT(CompareResults(a, b), 0);
    EXPECT_GT(CompareResults(b, a), 0);
    b.resultClass = 0;
    EXPECT_GT(CompareResults(a, b), 0);
    EXPECT_EQ(CompareResults(a, a), 0);
}

TEST(BuildBanner, MeasuresAndCopies) {
    const int32_t size = CopyBuildBanner(nullptr);
    ASSERT_GT(size, 1);
    std::vector<char> buffer(size);
    EXPECT_EQ(CopyBuildBanner(buffer.data()), size);
    EXPECT_EQ(StrLen(buffer.data()), size - 1);
    EXPECT_NE(StrFind(buffer.data(), "Vantir"), nullptr);
}

TEST_F(SessionTest, OptionsAreCheckedAndSurviveReset) {
    EXPECT_EQ(Vantir_GetOptions(session_), 0u);
    EXPECT_EQ(Vantir_GetOptions(nullptr), 0u);
    EXPECT_EQ(Vantir_SetOptions(nullptr, VANTIR_OPTION_ACCURATE), VANTIR_NULL_OBJECT);

    // Unknown bits are refused whole, the known ones with them left as they were.
    EXPECT_EQ(Vantir_SetOptions(session_, VANTIR_OPTION_ACCURATE | 0x10u), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_SetOptions(session_, 0x80000000u), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_GetOptions(session_), 0u);

    const uint32_t both = VANTIR_OPTION_ACCURATE | VANTIR_OPTION_SHARED_MODEL;
    EXPECT_EQ(Vantir_SetOptions(session_, both), VANTIR_OK);
    EXPECT_EQ(Vantir_GetOptions(session_), both);

    // A table that holds results keeps its options until the next reset.
    Store(u"臺北市", 0);
    EXPECT_EQ(Vantir_SetOptions(session_, 0), VANTIR_WRONG_STATE);
    EXPECT_EQ(Vantir_GetOptions(session_), both);
    EXPECT_EQ(Vantir_Reset(session_), VANTIR_OK);
    EXPECT_EQ(Vantir_GetOptions(session_), both);
    EXPECT_EQ(Vantir_SetOptions(session_, VANTIR_OPTION_SHARED_MODEL), VANTIR_OK);
    EXPECT_EQ(Vantir_GetOptions(session_), VANTIR_OPTION_SHARED_MODEL);
}

TEST_F(SessionTest, RecordIsTheSizeTheHeaderStates) {
    // vantir.h tells hosts the session block is about 67 KB before the region
    // index; the result details made it grow from about 50 KB, the postal
    // marks of the results from 65 KB.
    constexpr double kStatedKilobytes = 67.0;
    EXPECT_NEAR(static_cast<double>(sizeof(FilterSession)) / 1024.0, kStatedKilobytes, 1.0);
}
