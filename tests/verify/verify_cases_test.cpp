// Vantir_VerifyBlob on sound blobs of each kind and on blobs with one defect
// each: counts, offsets, rows, buckets and names that would lead out of bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "address/address_db.h"
#include "bigram/blob_layout.h"
#include "bigram/extra_pairs.h"
#include "filter/session.h"
#include "lexicon/blob_layout.h"
#include "support/blob_workout.h"
#include "support/exact_buffer.h"
#include "support/sample_sounds.h"
#include "support/sample_world.h"
#include "textutil/byte_order.h"
#include "vantir/blob_format.h"
#include "vantir/vantir.h"

namespace vantir::testing {
namespace {

using Bytes = std::vector<uint8_t>;

int32_t Verify(const Bytes& blob, size_t shift = 0) {
    ExactBuffer buffer(blob.data(), blob.size(), shift);
    return Vantir_VerifyBlob(buffer.data(), buffer.size());
}

void PutI32(Bytes& blob, size_t at, int32_t value) {
    StoreI32(blob.data() + at, value);
}

int32_t GetI32(const Bytes& blob, size_t at) {
    return LoadI32(blob.data() + at);
}

Bytes LexiconBlob(std::u16string list) {
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    list.push_back(0);
    int32_t size = 0;
    void* built = Lexicon_BuildBlob(lexicon, list.data(), &size);
    Bytes blob = CopyBlob(built, size);
    Lexicon_Destroy(lexicon);
    return blob;
}

// Words -1 .. 2 with the rows {-1: 0, 2}, {0: -1, 1, 2}, {1: none}, {2: 2}.
Bytes SmallModelBlob(int32_t spare = 3) {
    BigramModel* model = BigramModel_Create(nullptr);
    int32_t size = 0;
    void* blob = BigramModel_NewBlob(model, 3, 6 + spare, &size);
    WordId first[] = {-1, -1, 0, 0, 0, 2};
    WordId second[] = {0, 2, -1, 1, 2, 2};
    int32_t scores[] = {-1, -2, -3, -4, -5, -6};
    EXPECT_EQ(BigramModel_SetBigramScores(model, first, second, scores, 6), 6);
    Bytes bytes = CopyBlob(blob, size);
    BigramModel_Destroy(model);
    return bytes;
}

// Offsets of the small model: N = 3, S = 9.
constexpr int32_t kModelWords = 3;
constexpr int32_t kModelSlots = 9;
constexpr size_t RowStartAt(int32_t word) {
    return static_cast<size_t>(kRowStartOffset + 4 * word);
}
constexpr size_t kRowStartMinusOne = RowStartAt(-1);
constexpr size_t kSuccessorsAt = RowStartAt(kModelWords + 1);
constexpr size_t kModelDataEnd = static_cast<size_t>(kFixedBlobBytes + kBytesPerWord * kModelWords +
                                                     kBytesPerPair * kModelSlots);

// Offsets of WriteAddressDb({{33}, {8, 17}}, {{"ab", "c"}}): T = 3 tag offsets,
// upper and lower name offsets (P + 1 = 2 each), the names "ab" and "c", the
// tag bytes.
constexpr size_t AddrEntryAt(size_t entry) {
    return kAddrArraysStart + kAddrOffsetBytes * entry;
}
constexpr size_t kUpperOffsetsAt = AddrEntryAt(3);
constexpr size_t kLowerOffsetsAt = AddrEntryAt(5);
constexpr size_t kUpperNamesAt = AddrEntryAt(7);
constexpr size_t kLowerNamesAt = kUpperNamesAt + kAddrUnitBytes * 3;
constexpr size_t kTagBytesAt = kLowerNamesAt + kAddrUnitBytes * 2;

// Offsets of the lexicon blob of "b a c ab AB" (W = 5, M = 2) and of others
// whose longest word has two units.
constexpr int32_t kLexiconMaxLength = 2;
size_t CharOffsetAt(int32_t length) {
    return static_cast<size_t>(kWpbCharOffsetsAt + kWpbFieldBytes * length);
}
size_t IdOffsetAt(int32_t length) {
    return static_cast<size_t>(WpbIdOffsetsAt(kLexiconMaxLength) + kWpbFieldBytes * length);
}
size_t UnitAt(int32_t unit) {
    return static_cast<size_t>(WpbUnitsAt(kLexiconMaxLength) + kWpbUnitBytes * unit);
}

// The formats' byte layout is what hosts and their tools rely on: the named
// offsets the cases below use stay the documented numbers.
TEST(BlobLayout, NamedOffsetsAreTheDocumentedOnes) {
    EXPECT_EQ(std::string(VANTIR_BLOB_MAGIC), "KRVF");
    EXPECT_EQ(VANTIR_BLOB_MAGIC_BYTES, 4);
    EXPECT_EQ(std::string(kAddressDbTag), "ADDR");
    EXPECT_EQ(kAddressDbVersion, 1);
    EXPECT_EQ(std::string(kModelBlobTag), "LMB");
    EXPECT_EQ(kModelBlobVersion, 2);
    EXPECT_EQ(std::string(kLexiconBlobTag), "WPB");
    EXPECT_EQ(kLexiconBlobVersion, 2);
    EXPECT_EQ(VANTIR_BLOB_HEADER_SIZE, 64);
    EXPECT_EQ(VANTIR_BLOB_TOTAL_SIZE_OFFSET, 4);
    EXPECT_EQ(VANTIR_BLOB_HEADER_SIZE_OFFSET, 8);
    EXPECT_EQ(VANTIR_BLOB_TAG_OFFSET, 12);
    EXPECT_EQ(VANTIR_BLOB_VERSION_OFFSET, 20);
    EXPECT_EQ(VANTIR_BLOB_USER_VALUE_OFFSET, 28);

    EXPECT_EQ(kAddrTagOffsetCountAt, 64u);
    EXPECT_EQ(kAddrUnusedValueAt, 68u);
    EXPECT_EQ(kAddrRegionPairCountAt, 72u);
    EXPECT_EQ(kAddrArraysStart, 76u);
    // T = 3 at 76..87, upper offsets 0, 3 at 88, lower offsets 0, 2 at 96, upper
    // names at 104, lower names at 110, tag bytes at 114.
    EXPECT_EQ(kUpperOffsetsAt, 88u);
    EXPECT_EQ(kLowerOffsetsAt, 96u);
    EXPECT_EQ(kUpperNamesAt, 104u);
    EXPECT_EQ(kLowerNamesAt, 110u);
    EXPECT_EQ(kTagBytesAt, 114u);

    EXPECT_EQ(kStaticCountOffset, 64);
    EXPECT_EQ(kPairCountOffset, 68);
    EXPECT_EQ(kAddedCapacityOffset, 72);
    EXPECT_EQ(kSparePairsOffset, 76);
    EXPECT_EQ(kUnigramMaxOffset, 92);
    EXPECT_EQ(kUnigramMinOffset, 96);
    EXPECT_EQ(kUnigramMidOffset, 100);
    EXPECT_EQ(kBigramMaxOffset, 104);
    EXPECT_EQ(kBigramMinOffset, 108);
    EXPECT_EQ(kBigramMeanOffset, 112);
    EXPECT_EQ(kRowStartMinusOne, 116u);
    EXPECT_EQ(kRowStartOffset, 120);
    EXPECT_EQ(kSuccessorsAt, 136u);
    EXPECT_EQ(kFixedBlobBytes, 126);
    EXPECT_EQ(kBytesPerWord, 6);
    EXPECT_EQ(kBytesPerPair, 5);
    // The optional extra pair table a host stores: 12-byte entries of two word
    // ids and two score parts.
    EXPECT_EQ(kExtraPairTableBytes, 99332);
    EXPECT_EQ(kExtraSecondWordField, 4);
    EXPECT_EQ(kExtraScorePart1Field, 8);
    EXPECT_EQ(kExtraScorePart2Field, 10);

    EXPECT_EQ(kWpbWordCountAt, 64);
    EXPECT_EQ(kWpbMaxLengthAt, 68);
    // charOffsets 0, 3, 7 at 72; idOffsets 0, 3, 5 at 84; units from 96: a b c AB ab.
    EXPECT_EQ(CharOffsetAt(0), 72u);
    EXPECT_EQ(IdOffsetAt(0), 84u);
    EXPECT_EQ(UnitAt(0), 96u);
}

TEST(VerifyBlob, RecognisesOnlyTheThreeKindsWithAWholeHeader) {
    const WorldBlobs world = MakeWorldBlobs();
    EXPECT_EQ(Verify(world.addressDb), 0);
    EXPECT_EQ(Verify(world.model), 0);
    EXPECT_EQ(Verify(world.lexicon), 0);
    EXPECT_EQ(Vantir_VerifyBlob(nullptr, 1000), -103);

    Bytes header(world.model.begin(), world.model.begin() + VANTIR_BLOB_HEADER_SIZE);
    EXPECT_EQ(Verify(header), -103);
    EXPECT_EQ(Vantir_VerifyBlob(world.model.data(), VANTIR_BLOB_HEADER_SIZE - 1), -103);

    Bytes version = world.addressDb;
    version[VANTIR_BLOB_VERSION_OFFSET] = 2;
    EXPECT_EQ(Verify(version), -103);
    Bytes tag = world.lexicon;
    tag[VANTIR_BLOB_TAG_OFFSET + 3] = 'X';  // "WPBX" is no tag of ours
    EXPECT_EQ(Verify(tag), -103);
    Bytes magic = world.model;
    magic[0] = 'k';
    EXPECT_EQ(Verify(magic), -103);
}

TEST(VerifyBlob, ReadsAtAnyAlignmentAndIgnoresTheSizeFields) {
    WorldBlobs world = MakeWorldBlobs();
    for (Bytes* blob : {&world.addressDb, &world.model, &world.lexicon}) {
        PutI32(*blob, VANTIR_BLOB_TOTAL_SIZE_OFFSET, 0);
        PutI32(*blob, VANTIR_BLOB_HEADER_SIZE_OFFSET, 12345);
        for (size_t shift = 0; shift < 4; shift++)
            EXPECT_EQ(Verify(*blob, shift), 0) << shift;
    }
}

TEST(VerifyAddressDb, SmallestTablesAreSound) {
    EXPECT_EQ(Verify(WriteAddressDb({}, {})), 0);  // T = 1, P = 0
    Bytes noOffsets = WriteAddressDb({}, {});
    PutI32(noOffsets, kAddrTagOffsetCountAt, 0);  // T = 0: no word is covered, nothing is read
    noOffsets.erase(noOffsets.begin() + AddrEntryAt(0), noOffsets.begin() + AddrEntryAt(1));
    EXPECT_EQ(Verify(noOffsets), 0);
    EXPECT_EQ(Verify(WriteAddressDb({{}, {255}}, {{u"a", u""}})), 0);
}

TEST(VerifyAddressDb, RefusesCountsBeyondTheBytesHeld) {
    const Bytes sound = WriteAddressDb({{33}, {8, 17}}, {{u"ab", u"c"}});
    Bytes words = sound;
    PutI32(words, kAddrTagOffsetCountAt, -1);  // T = 2^32 - 1 offsets
    EXPECT_EQ(Verify(words), -103);
    Bytes pairs = sound;
    PutI32(pairs, kAddrRegionPairCountAt, 0x40000000);
    EXPECT_EQ(Verify(pairs), -103);
    // Every shorter copy ends inside some referenced array.
    for (size_t size = VANTIR_BLOB_HEADER_SIZE; size < sound.size(); size++) {
        EXPECT_EQ(Verify(Bytes(sound.begin(), sound.begin() + static_cast<long>(size))), -103)
            << size;
    }
}

TEST(VerifyAddressDb, RefusesBadTagOffsets) {
    const Bytes sound = WriteAddressDb({{33}, {8, 17}}, {{u"ab", u"c"}});
    ASSERT_EQ(sound.size(), kTagBytesAt + 3);
    ASSERT_EQ(Verify(sound), 0);
    Bytes pastEnd = sound;
    PutI32(pastEnd, AddrEntryAt(2), 4);  // three tag bytes only
    EXPECT_EQ(Verify(pastEnd), -103);
    Bytes falling = sound;
    PutI32(falling, AddrEntryAt(1), 2);
    PutI32(falling, AddrEntryAt(2), 1);
    EXPECT_EQ(Verify(falling), -103);
    Bytes negative = sound;
    PutI32(negative, AddrEntryAt(0), -1);
    EXPECT_EQ(Verify(negative), -103);
    Bytes wider = sound;  // the last word's list may end anywhere inside the bytes
    wider.push_back(7);
    PutI32(wider, AddrEntryAt(2), 4);
    EXPECT_EQ(Verify(wider), 0);
}

TEST(VerifyAddressDb, RefusesNamesOutsideOrUnterminatedInTheirArea) {
    const Bytes sound = WriteAddressDb({{33}, {8, 17}}, {{u"ab", u"c"}});
    Bytes start = sound;
    PutI32(start, kUpperOffsetsAt, 3);  // upper name 0 would start at the end of its area
    EXPECT_EQ(Verify(start), -103);
    Bytes negative = sound;
    PutI32(negative, kLowerOffsetsAt, -1);
    EXPECT_EQ(Verify(negative), -103);
    Bytes area = sound;
    PutI32(area, kUpperOffsetsAt + kAddrOffsetBytes, -2);  // X < 0
    EXPECT_EQ(Verify(area), -103);
    Bytes unterminated = sound;
    unterminated[kUpperNamesAt + kAddrUnitBytes * 2] = 'x';  // the 0 unit after "ab"
    EXPECT_EQ(Verify(unterminated), -103);
    Bytes lowerUnterminated = sound;
    lowerUnterminated[kLowerNamesAt + kAddrUnitBytes] = 'y';
    EXPECT_EQ(Verify(lowerUnterminated), -103);
    Bytes shared = sound;  // a name read from inside another one is still bounded
    PutI32(shared, kUpperOffsetsAt, 1);
    EXPECT_EQ(Verify(shared), 0);
}

TEST(VerifyAddressDb, LongNamesAreSoundAndCopiedOnlyWhenTheyFit) {
    const std::u16string longName(300, u'\u8def');
    const Bytes blob = WriteAddressDb({{33}}, {{longName, u"b"}});
    ASSERT_EQ(Verify(blob), 0);
    const AttachedWorld world;
    ASSERT_TRUE(world.attached);
    FilterSession* session = world.NewSession(blob.data());
    ASSERT_NE(session, nullptr);
    char16_t name[301];
    EXPECT_EQ(CopyRegionName(session->addressView, RegionSide::kUpper, 0, name, 300), -1);
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(CopyRegionName(session->addressView, RegionSide::kUpper, 0, name, 301), 300);
    EXPECT_EQ(std::u16string(name), longName);
    EXPECT_EQ(CopyRegionName(session->addressView, RegionSide::kLower, 0, name, 0), -1);
    Vantir_Release(session);
}

TEST(VerifyModelBlob, NewAndEditedBlobsAreSound) {
    BigramModel* model = BigramModel_Create(nullptr);
    int32_t size = 0;
    void* blob = BigramModel_NewBlob(model, 0, 0, &size);
    EXPECT_EQ(Vantir_VerifyBlob(blob, static_cast<uint32_t>(size)), 0);
    BigramModel_Destroy(model);
    EXPECT_EQ(Verify(SmallModelBlob()), 0);
    EXPECT_EQ(Verify(SmallModelBlob(0)), 0);  // no spare slot
}

TEST(VerifyModelBlob, RefusesBadCounts) {
    const Bytes sound = SmallModelBlob();
    for (int32_t at :
         {kStaticCountOffset, kPairCountOffset, kAddedCapacityOffset, kSparePairsOffset}) {
        Bytes negative = sound;
        PutI32(negative, at, -1);
        EXPECT_EQ(Verify(negative), -103) << at;
        Bytes huge = sound;
        PutI32(huge, at, INT32_MAX);
        EXPECT_EQ(Verify(huge), -103) << at;
    }
    Bytes overflow = sound;  // each count fits an i32, their sum does not
    PutI32(overflow, kStaticCountOffset, 0x40000000);
    PutI32(overflow, kAddedCapacityOffset, 0x40000000);
    EXPECT_EQ(Verify(overflow), -103);
}

TEST(VerifyModelBlob, NeedsTheDataButNotThePadding) {
    const Bytes sound = SmallModelBlob();
    ASSERT_EQ(sound.size(), 192u);
    ASSERT_EQ(kModelDataEnd, 189u);
    for (size_t size = VANTIR_BLOB_HEADER_SIZE; size < sound.size(); size++) {
        const Bytes prefix(sound.begin(), sound.begin() + static_cast<long>(size));
        EXPECT_EQ(Verify(prefix), size < kModelDataEnd ? -103 : 0) << size;
    }
}

TEST(VerifyModelBlob, RefusesRowsThatAreNotContiguous) {
    const Bytes sound = SmallModelBlob();
    ASSERT_EQ(GetI32(sound, RowStartAt(3)), 6);
    Bytes first = sound;
    PutI32(first, kRowStartMinusOne, 1);
    EXPECT_EQ(Verify(first), -103);
    Bytes last = sound;
    PutI32(last, RowStartAt(3), 5);  // rowStart[N] must be pairCount
    EXPECT_EQ(Verify(last), -103);
    Bytes falling = sound;
    PutI32(falling, RowStartAt(1), 1);  // below rowStart[0] = 2
    EXPECT_EQ(Verify(falling), -103);
    Bytes beyond = sound;
    PutI32(beyond, RowStartAt(2), 7);
    EXPECT_EQ(Verify(beyond), -103);
    Bytes pairCount = sound;  // pairCount and sparePairs moved together
    PutI32(pairCount, kPairCountOffset, 7);
    PutI32(pairCount, kSparePairsOffset, 2);
    EXPECT_EQ(Verify(pairCount), -103);
}

TEST(VerifyModelBlob, RefusesSuccessorsOutOfOrderOrRange) {
    const Bytes sound = SmallModelBlob();
    // Slots: row -1 = {0, 2}, row 0 = {-1, 1, 2}, row 2 = {2}.
    ASSERT_EQ(GetI32(sound, kSuccessorsAt + 4 * 2), -1);
    Bytes tooLarge = sound;
    PutI32(tooLarge, kSuccessorsAt + 4 * 5, 3);  // N = 3
    EXPECT_EQ(Verify(tooLarge), -103);
    Bytes tooSmall = sound;
    PutI32(tooSmall, kSuccessorsAt + 4 * 2, -2);
    EXPECT_EQ(Verify(tooSmall), -103);
    Bytes repeated = sound;
    PutI32(repeated, kSuccessorsAt + 4 * 3, -1);
    EXPECT_EQ(Verify(repeated), -103);
    Bytes falling = sound;
    PutI32(falling, kSuccessorsAt, 2);
    PutI32(falling, kSuccessorsAt + 4, 0);
    EXPECT_EQ(Verify(falling), -103);
    Bytes nextRow = sound;  // rows are ordered on their own: row 0 may start low again
    PutI32(nextRow, kSuccessorsAt + 4 * 5, 0);
    EXPECT_EQ(Verify(nextRow), 0);
    Bytes spare = sound;  // free slots are not rows
    PutI32(spare, kSuccessorsAt + 4 * 7, 99);
    EXPECT_EQ(Verify(spare), 0);
}

TEST(VerifyLexiconBlob, BuiltBlobsAreSound) {
    EXPECT_EQ(Verify(LexiconBlob(u"")), 0);
    const Bytes blob = LexiconBlob(u"b\na\nc\nab\nAB");
    ASSERT_EQ(blob.size(), 112u);
    ASSERT_EQ(GetI32(blob, IdOffsetAt(2)), 5);
    EXPECT_EQ(Verify(blob), 0);
    for (size_t size = VANTIR_BLOB_HEADER_SIZE; size < UnitAt(7); size++) {
        EXPECT_EQ(Verify(Bytes(blob.begin(), blob.begin() + static_cast<long>(size))), -103)
            << size;
    }
    EXPECT_EQ(Verify(Bytes(blob.begin(), blob.begin() + UnitAt(7))), 0);  // padding only
}

TEST(VerifyLexiconBlob, RefusesCountsAndTablesThatDisagree) {
    const Bytes sound = LexiconBlob(u"b\na\nc\nab\nAB");
    Bytes words = sound;
    PutI32(words, kWpbWordCountAt, 6);
    EXPECT_EQ(Verify(words), -103);
    Bytes negative = sound;
    PutI32(negative, kWpbWordCountAt, -1);
    EXPECT_EQ(Verify(negative), -103);
    Bytes longest = sound;
    PutI32(longest, kWpbMaxLengthAt, 257);
    EXPECT_EQ(Verify(longest), -103);
    Bytes firstChars = sound;
    PutI32(firstChars, CharOffsetAt(0), 1);
    EXPECT_EQ(Verify(firstChars), -103);
    Bytes firstIds = sound;
    PutI32(firstIds, IdOffsetAt(0), 1);
    EXPECT_EQ(Verify(firstIds), -103);
    Bytes units = sound;  // 4 units for 2 words of length 2 is right, 5 is not
    PutI32(units, CharOffsetAt(2), 8);
    EXPECT_EQ(Verify(units), -103);
    Bytes falling = sound;  // bucket 1 with -1 words and bucket 2 with 6
    PutI32(falling, IdOffsetAt(1), -1);
    PutI32(falling, CharOffsetAt(1), -1);
    EXPECT_EQ(Verify(falling), -103);
}

TEST(VerifyLexiconBlob, RefusesBucketsOutOfOrderRepeatedOrWithZeroUnits) {
    const Bytes sound = LexiconBlob(u"b\na\nc\nab\nAB");
    Bytes swapped = sound;  // "AB" and "ab" exchanged
    std::swap(swapped[UnitAt(3)], swapped[UnitAt(5)]);
    std::swap(swapped[UnitAt(4)], swapped[UnitAt(6)]);
    EXPECT_EQ(Verify(swapped), -103);
    Bytes repeated = sound;  // a b b
    repeated[UnitAt(2)] = 'b';
    EXPECT_EQ(Verify(repeated), -103);
    Bytes zero = sound;
    zero[UnitAt(2)] = 0;  // "c" becomes a 0 unit
    EXPECT_EQ(Verify(zero), -103);
    Bytes zeroLast = LexiconBlob(u"a\nb\nc\u0001");
    ASSERT_EQ(zeroLast.size(), 104u);
    zeroLast[UnitAt(3)] = 0;  // the 1 unit of "c\1", the only word of length 2
    ASSERT_EQ(GetI32(zeroLast, kWpbWordCountAt), 3);
    EXPECT_EQ(Verify(zeroLast), -103);
}

}  // namespace
}  // namespace vantir::testing

namespace vantir::testing {
namespace {

// The small world's sounds blob, its lexicon attached to read words by id.
class VerifySoundsBlob : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(world_.attached); }
    Bytes Sound() const { return SmallSoundsBlob(world_.lexicon); }
    AttachedWorld world_;
};

TEST_F(VerifySoundsBlob, ABuiltBlobIsSoundAtAnyAlignmentAndWorksOut) {
    Bytes blob = Sound();
    EXPECT_EQ(kSndWordCountAt, 64u);
    EXPECT_EQ(kSndSyllablesAt, 96u);
    // Like the other kinds, the header's size fields are not relied on.
    PutI32(blob, VANTIR_BLOB_TOTAL_SIZE_OFFSET, 0);
    for (size_t shift = 0; shift < 4; shift++)
        EXPECT_EQ(Verify(blob, shift), 0) << shift;
    ExactBuffer exact(blob.data(), blob.size());
    EXPECT_EQ(UseSoundsBlob(world_, exact.data()), "");
}

TEST_F(VerifySoundsBlob, RefusesCountsBeyondTheBytesHeldOrTheFormat) {
    for (const uint32_t at : {kSndSyllableCountAt, kSndReadingCountAt, kSndEntryCountAt}) {
        Bytes blob = Sound();
        PutI32(blob, at, GetI32(blob, at) + 1);
        EXPECT_EQ(Verify(blob), -103) << at;
    }
    Bytes buckets = Sound();
    PutI32(buckets, kSndBucketCountAt, 3);  // no power of two
    EXPECT_EQ(Verify(buckets), -103);
    Bytes syllables = Sound();
    PutI32(syllables, kSndSyllableCountAt, static_cast<int32_t>(kMaxSyllables) + 1);
    EXPECT_EQ(Verify(syllables), -103);
    Bytes reserved = Sound();
    reserved[kSndEntryCountAt + 4] = 1;
    EXPECT_EQ(Verify(reserved), -103);
}

TEST_F(VerifySoundsBlob, RefusesSyllablesReadingsAndEntriesOutOfPlace) {
    Bytes spelling = Sound();
    spelling[kSndSyllablesAt] = 'A';  // spellings are lower case
    EXPECT_EQ(Verify(spelling), -103);
    Bytes merged = Sound();
    StoreU16(merged.data() + kSndSyllablesAt + kSndClassAt, 5);  // a class after its member
    EXPECT_EQ(Verify(merged), -103);

    Bytes order = Sound();
    const size_t readings = SoundsReadingsAt(order);
    const int32_t first = GetI32(order, readings);
    PutI32(order, readings, GetI32(order, readings + kSndReadingBytes));
    PutI32(order, readings + kSndReadingBytes, first);
    EXPECT_EQ(Verify(order), -103) << "readings out of order";
    Bytes syllable = Sound();
    PutI32(syllable, readings, GetI32(syllable, readings) | 0x7FF);  // no such syllable
    EXPECT_EQ(Verify(syllable), -103);

    Bytes start = Sound();
    PutI32(start, SoundsBucketsAt(start), 1);
    EXPECT_EQ(Verify(start), -103) << "the first bucket starts at 0";
    Bytes word = Sound();
    const size_t entries = SoundsEntriesAt(word);
    PutI32(word, entries + 4, Lexicon_GetStaticCount(world_.lexicon));
    EXPECT_EQ(Verify(word), -103) << "a word past the lexicon";
    Bytes key = Sound();
    PutI32(key, entries, GetI32(key, entries) ^ 1);  // now selects another bucket
    EXPECT_EQ(Verify(key), -103);
}

}  // namespace
}  // namespace vantir::testing
