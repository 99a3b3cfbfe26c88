// The structural reader behind `vantir inspect` and data loading: built blobs
// pass, and cut or damaged ones are reported without reading past their end.
#include "tools/compile/blob_examiner.h"

#include <gtest/gtest.h>

#include "address/address_db.h"
#include "address/address_db_writer.h"
#include "bigram/blob_layout.h"
#include "lexicon/blob_layout.h"
#include "textutil/byte_order.h"
#include "tool_test_support.h"
#include "tools/compile/data_build.h"

using namespace vantir::tools;
using vantir::testing::ReadFile;
using vantir::testing::ScratchDir;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

BlobReport Inspect(const std::vector<uint8_t>& bytes) {
    // A copy of exactly the given size, so that a sanitizer catches over-reads.
    std::vector<uint8_t> exact(bytes);
    return InspectBlob(exact.data(), exact.size());
}

class BuiltBlobs : public ::testing::Test {
  protected:
    void SetUp() override {
        vantir::testing::WriteSmallSources(dir / "src");
        ASSERT_EQ(
            vantir::testing::RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()})
                .status,
            0);
        lexicon = Bytes(ReadFile(dir / "out" / kLexiconBlobName));
        model = Bytes(ReadFile(dir / "out" / kModelBlobName));
        address = Bytes(ReadFile(dir / "out" / kAddressBlobName));
    }
    ScratchDir dir;
    std::vector<uint8_t> lexicon, model, address;
};

}  // namespace

TEST_F(BuiltBlobs, AreWellFormedAndAgreeOnTheWordCount) {
    const BlobReport l = Inspect(lexicon);
    const BlobReport m = Inspect(model);
    const BlobReport a = Inspect(address);
    EXPECT_TRUE(l.WellFormed() && m.WellFormed() && a.WellFormed());
    EXPECT_EQ(l.kind, "lexicon");
    EXPECT_EQ(m.kind, "model");
    EXPECT_EQ(a.kind, "address database");
    EXPECT_EQ(l.wordCount, 18);
    EXPECT_TRUE(CheckSameNumbering(l, m, a).empty());
    BlobReport fewer = a;
    fewer.wordCount = 17;
    EXPECT_EQ(CheckSameNumbering(l, m, fewer).size(), 1u);
}

TEST_F(BuiltBlobs, EveryCutIsReportedWithoutOverReading) {
    for (const std::vector<uint8_t>* blob : {&lexicon, &model, &address}) {
        for (size_t size = 0; size < blob->size(); ++size) {
            const std::vector<uint8_t> cut(blob->begin(), blob->begin() + size);
            EXPECT_FALSE(Inspect(cut).WellFormed()) << size;
        }
    }
}

TEST_F(BuiltBlobs, DamagedCountsAndOffsetsAreFound) {
    std::vector<uint8_t> bad = model;
    vantir::StoreI32(bad.data() + kModelPairCountAt, 1 << 30);
    EXPECT_FALSE(Inspect(bad).WellFormed());

    bad = model;
    vantir::StoreI32(bad.data() + vantir::kRowStartOffset,
                     5);  // row start of word 0 past its row end
    EXPECT_FALSE(Inspect(bad).WellFormed());

    bad = lexicon;
    vantir::StoreI32(bad.data() + vantir::kWpbMaxLengthAt, 300);  // longest word beyond 256
    EXPECT_FALSE(Inspect(bad).WellFormed());

    bad = lexicon;
    // Swap the first two one-unit words, which follow the two length tables.
    const size_t units = static_cast<size_t>(
        vantir::WpbUnitsAt(vantir::LoadI32(bad.data() + vantir::kWpbMaxLengthAt)));
    std::swap(bad[units], bad[units + 2]);
    std::swap(bad[units + 1], bad[units + 3]);
    const BlobReport swapped = Inspect(bad);
    EXPECT_FALSE(swapped.WellFormed()) << "words out of lexicon order";

    bad = address;
    vantir::StoreU32(bad.data() + vantir::kAddrRegionPairCountAt,
                     1000);  // region pairs beyond the blob
    EXPECT_FALSE(Inspect(bad).WellFormed());

    bad = address;
    vantir::StoreI32(bad.data() + vantir::kAddrArraysStart + vantir::kAddrOffsetBytes,
                     -3);  // tag offset of word 1 below word 0's
    EXPECT_FALSE(Inspect(bad).WellFormed());
}

TEST(BlobInspector, ReadsTheHeaderOfAnyBlob) {
    vantir::AddressDbSource source;
    source.wordTags = {{33}, {8, 34}};
    source.regionPairs = {{u"A", u"B"}};
    std::vector<uint8_t> blob = WriteAddressDb(source);
    const BlobReport report = Inspect(blob);
    EXPECT_TRUE(report.WellFormed());
    EXPECT_EQ(report.wordCount, 2);
    bool sawTags = false;
    for (const auto& [label, value] : report.fields) {
        if (label == "words by tag") {
            EXPECT_EQ(value, "lower-head:1 upper-head:1 upper-follower:1");
            sawTags = true;
        }
    }
    EXPECT_TRUE(sawTags);

    blob[12] = 'X';
    EXPECT_EQ(Inspect(blob).kind, "unknown");
    EXPECT_FALSE(Inspect(blob).WellFormed());
    EXPECT_FALSE(Inspect(Bytes("KRVF")).WellFormed());
}
