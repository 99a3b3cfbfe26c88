// Header validation, parsed view and tag lookup of the address database,
// including blobs read at odd alignments and malformed tag offsets.
#include "address/address_db.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "address/address_db_writer.h"
#include "filter/session.h"
#include "support/fake_handles.h"
#include "textutil/byte_order.h"

using namespace vantir;
using vantir::AddressDbSource;
using vantir::WriteAddressDb;
using vantir::testing::FakeLexicon;
using vantir::testing::FakeModel;

namespace {

AddressDbSource SmallSource() {
    AddressDbSource source;
    source.wordTags = {{33}, {8, 17}, {}, {255, 7}};
    source.regionPairs = {{u"臺北市", u"大安區"}, {u"臺中市", u"大安區"}};
    source.unusedValue = 0xABCD;
    return source;
}

// Holds a blob at a chosen misalignment so that in-place reads are exercised
// at addresses that are not multiples of 4.
struct PlacedBlob {
    std::vector<uint8_t> storage;
    const uint8_t* data;
    PlacedBlob(const std::vector<uint8_t>& blob, size_t shift) : storage(blob.size() + 8) {
        std::memcpy(storage.data() + shift, blob.data(), blob.size());
        data = storage.data() + shift;
    }
};

FilterSession* SessionOver(const void* blob) {
    return Vantir_Init(FakeModel(), FakeLexicon(), blob);
}

}  // namespace

TEST(AddressDbHeader, AcceptsOnlyExactMagicTagAndVersion) {
    std::vector<uint8_t> blob = WriteAddressDb(SmallSource());
    EXPECT_EQ(ValidateAddressDb(blob.data()), 1);

    std::vector<uint8_t> zeroSize = blob;
    StoreU32(zeroSize.data() + VANTIR_BLOB_TOTAL_SIZE_OFFSET, 0);
    StoreU32(zeroSize.data() + VANTIR_BLOB_HEADER_SIZE_OFFSET, 0);
    EXPECT_EQ(ValidateAddressDb(zeroSize.data()), 1) << "size fields are not examined";

    std::vector<uint8_t> bad = blob;
    bad[0] = 'k';
    EXPECT_EQ(ValidateAddressDb(bad.data()), -1);
    bad = blob;
    StoreU16(bad.data() + VANTIR_BLOB_VERSION_OFFSET, 2);
    EXPECT_EQ(ValidateAddressDb(bad.data()), -1);
    bad = blob;
    std::memcpy(bad.data() + VANTIR_BLOB_TAG_OFFSET, "LMB", 4);
    EXPECT_EQ(ValidateAddressDb(bad.data()), -1);
    bad = blob;
    std::memcpy(bad.data() + VANTIR_BLOB_TAG_OFFSET, "WPB", 4);
    EXPECT_EQ(ValidateAddressDb(bad.data()), -1);
    bad = blob;
    std::memcpy(bad.data() + VANTIR_BLOB_TAG_OFFSET, "ADDRX", 6);
    EXPECT_EQ(ValidateAddressDb(bad.data()), -1) << "a longer tag text is not ADDR";
    bad = blob;
    std::memcpy(bad.data() + VANTIR_BLOB_TAG_OFFSET, "ADD", 4);
    EXPECT_EQ(ValidateAddressDb(bad.data()), -1);
}

TEST(AddressDbView, PointsAtEveryArrayOfTheLayout) {
    std::vector<uint8_t> blob = WriteAddressDb(SmallSource());
    FilterSession* session = SessionOver(blob.data());
    ASSERT_NE(session, nullptr);
    const AddressDbView& view = session->addressView;
    const uint8_t* base = blob.data();
    const uint32_t t = 5, p = 2;  // four words, two pairs
    EXPECT_EQ(view.blob, base);
    EXPECT_EQ(view.tagOffsetCount, t);
    EXPECT_EQ(view.unusedValue, 0xABCDu);
    EXPECT_EQ(view.regionPairCount, p);
    EXPECT_EQ(view.wordTagOffsets, base + kAddrArraysStart);
    EXPECT_EQ(view.upperNameOffsets, base + kAddrArraysStart + kAddrOffsetBytes * t);
    EXPECT_EQ(view.lowerNameOffsets, base + kAddrArraysStart + kAddrOffsetBytes * (t + p + 1));
    EXPECT_EQ(view.upperNames, base + kAddrArraysStart + kAddrOffsetBytes * (t + 2 * (p + 1)));
    EXPECT_EQ(view.lowerNames, view.upperNames + kAddrUnitBytes * 8);  // two names of 3 units + 0
    EXPECT_EQ(view.tagBytes, view.lowerNames + kAddrUnitBytes * 8);
    EXPECT_EQ(LoadStoredUnitAt(view.lowerNames, 4), u'大');
    Vantir_Release(session);
}

TEST(AddressDbView, EmptyRegionTableStartsTagsRightAfterTheOffsets) {
    AddressDbSource source;
    source.wordTags = {{5}, {6}};
    std::vector<uint8_t> blob = WriteAddressDb(source);
    FilterSession* session = SessionOver(blob.data());
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->addressView.regionPairCount, 0u);
    EXPECT_EQ(session->addressView.tagBytes,
              blob.data() + kAddrArraysStart + kAddrOffsetBytes * (3 + 2));
    EXPECT_EQ(HasTag(session->addressView, 1, 6), 1);
    Vantir_Release(session);
}

TEST(HasTag, FindsTagsOfCoveredWordsOnly) {
    for (size_t shift : {0u, 1u, 2u, 3u}) {
        PlacedBlob placed(WriteAddressDb(SmallSource()), shift);
        FilterSession* session = SessionOver(placed.data);
        ASSERT_NE(session, nullptr);
        EXPECT_EQ(HasTag(session->addressView, 0, 33), 1);
        EXPECT_EQ(HasTag(session->addressView, 0, 17), 0);
        EXPECT_EQ(HasTag(session->addressView, 1, 8), 1);
        EXPECT_EQ(HasTag(session->addressView, 1, 17), 1);
        EXPECT_EQ(HasTag(session->addressView, 2, 0), 0) << "a word with no tags";
        EXPECT_EQ(HasTag(session->addressView, 3, 255), 1) << "tag bytes compare unsigned";
        EXPECT_EQ(HasTag(session->addressView, 3, 7 + 256), 1)
            << "only the low 8 bits of the tag count";
        for (int32_t tag : {0, 7, 17, 33, 255}) {
            EXPECT_EQ(HasTag(session->addressView, -1, tag), 0);
            EXPECT_EQ(HasTag(session->addressView, 4, tag), 0) << "word 4 is past the offsets";
            EXPECT_EQ(HasTag(session->addressView, 1 << 30, tag), 0);
            EXPECT_EQ(HasTag(session->addressView, -7, tag), 0);
        }
        Vantir_Release(session);
    }
}

TEST(HasTag, TagBitsAreTheTagsBelowSixtyFourInOnePass) {
    for (size_t shift : {0u, 1u, 2u, 3u}) {
        PlacedBlob placed(WriteAddressDb(SmallSource()), shift);
        FilterSession* session = SessionOver(placed.data);
        ASSERT_NE(session, nullptr);
        for (WordId word = -2; word < 6; ++word) {
            uint64_t expected = 0;
            for (int32_t tag = 0; tag < kTagBitCount; ++tag) {
                if (HasTag(session->addressView, word, tag) == 1) expected |= uint64_t{1} << tag;
            }
            EXPECT_EQ(TagBitsOf(session->addressView, word), expected) << "word " << word;
        }
        EXPECT_EQ(TagBitsOf(session->addressView, 1 << 30), 0u);
        Vantir_Release(session);
    }
}

TEST(HasTag, SingleOffsetCoversNoWordAndBadOffsetsGiveNoTags) {
    AddressDbSource source;
    std::vector<uint8_t> blob = WriteAddressDb(source);  // T = 1
    FilterSession* session = SessionOver(blob.data());
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(HasTag(session->addressView, 0, 0), 0);
    Vantir_Release(session);

    source.wordTags = {{1, 2}, {3}};
    blob = WriteAddressDb(source);
    session = SessionOver(blob.data());
    ASSERT_NE(session, nullptr);
    const size_t offsets = kAddrArraysStart;
    StoreI32(blob.data() + offsets + 4, 3);  // word 0: 0..3, word 1: 3..3
    EXPECT_EQ(HasTag(session->addressView, 1, 3), 0) << "equal offsets: no tags";
    StoreI32(blob.data() + offsets + 4, 2);
    StoreI32(blob.data() + offsets + 8, 1);  // word 1: 2..1
    EXPECT_EQ(HasTag(session->addressView, 1, 3), 0) << "start after end: no tags";
    StoreI32(blob.data() + offsets + 0, -4);
    EXPECT_EQ(HasTag(session->addressView, 0, 1), 0)
        << "a negative start never reads before the tags";
    Vantir_Release(session);
}
