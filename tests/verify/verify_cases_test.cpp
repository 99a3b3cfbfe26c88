// Vantir_VerifyBlob on sound blobs of each kind and on blobs with one defect
// each: counts, offsets, rows, buckets and names that would lead out of bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "address/address_db.h"
#include "filter/session.h"
#include "support/exact_buffer.h"
#include "support/sample_blobs.h"
#include "textutil/byte_order.h"
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
    Bytes blob = samples::CopyBlob(built, size);
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
    Bytes bytes = samples::CopyBlob(blob, size);
    BigramModel_Destroy(model);
    return bytes;
}

// Offsets of the small model: N = 3, S = 9.
constexpr size_t kRowStartMinusOne = 116;
constexpr size_t RowStartAt(int32_t word) {
    return 120 + 4 * static_cast<size_t>(word);
}
constexpr size_t kSuccessorsAt = 124 + 4 * 3;
constexpr size_t kModelDataEnd = 126 + 6 * 3 + 5 * 9;

TEST(VerifyBlob, RecognisesOnlyTheThreeKindsWithAWholeHeader) {
    const samples::WorldBlobs world = samples::MakeWorldBlobs();
    EXPECT_EQ(Verify(world.addressDb), 0);
    EXPECT_EQ(Verify(world.model), 0);
    EXPECT_EQ(Verify(world.lexicon), 0);
    EXPECT_EQ(Vantir_VerifyBlob(nullptr, 1000), -103);

    Bytes header(world.model.begin(), world.model.begin() + 64);
    EXPECT_EQ(Verify(header), -103);
    EXPECT_EQ(Vantir_VerifyBlob(world.model.data(), 63), -103);

    Bytes version = world.addressDb;
    version[20] = 2;
    EXPECT_EQ(Verify(version), -103);
    Bytes tag = world.lexicon;
    tag[15] = 'X';  // "WPBX" is no tag of ours
    EXPECT_EQ(Verify(tag), -103);
    Bytes magic = world.model;
    magic[0] = 'k';
    EXPECT_EQ(Verify(magic), -103);
}

TEST(VerifyBlob, ReadsAtAnyAlignmentAndIgnoresTheSizeFields) {
    samples::WorldBlobs world = samples::MakeWorldBlobs();
    for (Bytes* blob : {&world.addressDb, &world.model, &world.lexicon}) {
        PutI32(*blob, 4, 0);
        PutI32(*blob, 8, 12345);
        for (size_t shift = 0; shift < 4; shift++)
            EXPECT_EQ(Verify(*blob, shift), 0) << shift;
    }
}

TEST(VerifyAddressDb, SmallestTablesAreSound) {
    EXPECT_EQ(Verify(samples::WriteAddressDb({}, {})), 0);  // T = 1, P = 0
    Bytes noOffsets = samples::WriteAddressDb({}, {});
    PutI32(noOffsets, 64, 0);  // T = 0: no word is covered, nothing is read
    noOffsets.erase(noOffsets.begin() + 76, noOffsets.begin() + 80);
    EXPECT_EQ(Verify(noOffsets), 0);
    EXPECT_EQ(Verify(samples::WriteAddressDb({{}, {255}}, {{u"a", u""}})), 0);
}

TEST(VerifyAddressDb, RefusesCountsBeyondTheBytesHeld) {
    const Bytes sound = samples::WriteAddressDb({{33}, {8, 17}}, {{u"ab", u"c"}});
    Bytes words = sound;
    PutI32(words, 64, -1);  // T = 2^32 - 1 offsets
    EXPECT_EQ(Verify(words), -103);
    Bytes pairs = sound;
    PutI32(pairs, 72, 0x40000000);
    EXPECT_EQ(Verify(pairs), -103);
    // Every shorter copy ends inside some referenced array.
    for (size_t size = 64; size < sound.size(); size++) {
        EXPECT_EQ(Verify(Bytes(sound.begin(), sound.begin() + static_cast<long>(size))), -103)
            << size;
    }
}

// Layout of WriteAddressDb({{33}, {8, 17}}, {{"ab", "c"}}): T = 3 at 76..87,
// upper offsets 0, 3 at 88, lower offsets 0, 2 at 96, upper names at 104,
// lower names at 110, tag bytes at 114.
TEST(VerifyAddressDb, RefusesBadTagOffsets) {
    const Bytes sound = samples::WriteAddressDb({{33}, {8, 17}}, {{u"ab", u"c"}});
    ASSERT_EQ(sound.size(), 117u);
    ASSERT_EQ(Verify(sound), 0);
    Bytes pastEnd = sound;
    PutI32(pastEnd, 84, 4);  // three tag bytes only
    EXPECT_EQ(Verify(pastEnd), -103);
    Bytes falling = sound;
    PutI32(falling, 80, 2);
    PutI32(falling, 84, 1);
    EXPECT_EQ(Verify(falling), -103);
    Bytes negative = sound;
    PutI32(negative, 76, -1);
    EXPECT_EQ(Verify(negative), -103);
    Bytes wider = sound;  // the last word's list may end anywhere inside the bytes
    wider.push_back(7);
    PutI32(wider, 84, 4);
    EXPECT_EQ(Verify(wider), 0);
}

TEST(VerifyAddressDb, RefusesNamesOutsideOrUnterminatedInTheirArea) {
    const Bytes sound = samples::WriteAddressDb({{33}, {8, 17}}, {{u"ab", u"c"}});
    Bytes start = sound;
    PutI32(start, 88, 3);  // upper name 0 would start at the end of its area
    EXPECT_EQ(Verify(start), -103);
    Bytes negative = sound;
    PutI32(negative, 96, -1);
    EXPECT_EQ(Verify(negative), -103);
    Bytes area = sound;
    PutI32(area, 92, -2);  // X < 0
    EXPECT_EQ(Verify(area), -103);
    Bytes unterminated = sound;
    unterminated[108] = 'x';  // the 0 unit after "ab"
    EXPECT_EQ(Verify(unterminated), -103);
    Bytes lowerUnterminated = sound;
    lowerUnterminated[112] = 'y';
    EXPECT_EQ(Verify(lowerUnterminated), -103);
    Bytes shared = sound;  // a name read from inside another one is still bounded
    PutI32(shared, 88, 1);
    EXPECT_EQ(Verify(shared), 0);
}

TEST(VerifyAddressDb, LongNamesAreSoundAndCopiedOnlyWhenTheyFit) {
    const std::u16string longName(300, u'\u8def');
    const Bytes blob = samples::WriteAddressDb({{33}}, {{longName, u"b"}});
    ASSERT_EQ(Verify(blob), 0);
    samples::WorldBlobs world = samples::MakeWorldBlobs();
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_GE(Lexicon_AttachBlob(lexicon, world.lexicon.data()), 0);
    ASSERT_EQ(BigramModel_AttachBlob(model, world.model.data()), 0);
    FilterSession* session = Vantir_Init(model, lexicon, blob.data());
    ASSERT_NE(session, nullptr);
    char16_t name[301];
    EXPECT_EQ(CopyRegionName(session->addressView, RegionSide::kUpper, 0, name, 300), -1);
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(CopyRegionName(session->addressView, RegionSide::kUpper, 0, name, 301), 300);
    EXPECT_EQ(std::u16string(name), longName);
    EXPECT_EQ(CopyRegionName(session->addressView, RegionSide::kLower, 0, name, 0), -1);
    Vantir_Release(session);
    BigramModel_Destroy(model);
    Lexicon_Destroy(lexicon);
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
    for (size_t at : {64, 68, 72, 76}) {
        Bytes negative = sound;
        PutI32(negative, at, -1);
        EXPECT_EQ(Verify(negative), -103) << at;
        Bytes huge = sound;
        PutI32(huge, at, INT32_MAX);
        EXPECT_EQ(Verify(huge), -103) << at;
    }
    Bytes overflow = sound;  // each count fits an i32, their sum does not
    PutI32(overflow, 64, 0x40000000);
    PutI32(overflow, 72, 0x40000000);
    EXPECT_EQ(Verify(overflow), -103);
}

TEST(VerifyModelBlob, NeedsTheDataButNotThePadding) {
    const Bytes sound = SmallModelBlob();
    ASSERT_EQ(sound.size(), 192u);
    ASSERT_EQ(kModelDataEnd, 189u);
    for (size_t size = 64; size < sound.size(); size++) {
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
    PutI32(pairCount, 68, 7);
    PutI32(pairCount, 76, 2);
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

// "b a c ab AB": W = 5, M = 2; charOffsets 0, 3, 7 at 72; idOffsets 0, 3, 5 at
// 84; units from 96: a b c AB ab.
TEST(VerifyLexiconBlob, BuiltBlobsAreSound) {
    EXPECT_EQ(Verify(LexiconBlob(u"")), 0);
    const Bytes blob = LexiconBlob(u"b\na\nc\nab\nAB");
    ASSERT_EQ(blob.size(), 112u);
    ASSERT_EQ(GetI32(blob, 92), 5);
    EXPECT_EQ(Verify(blob), 0);
    for (size_t size = 64; size < 110; size++) {
        EXPECT_EQ(Verify(Bytes(blob.begin(), blob.begin() + static_cast<long>(size))), -103)
            << size;
    }
    EXPECT_EQ(Verify(Bytes(blob.begin(), blob.begin() + 110)), 0);  // padding only
}

TEST(VerifyLexiconBlob, RefusesCountsAndTablesThatDisagree) {
    const Bytes sound = LexiconBlob(u"b\na\nc\nab\nAB");
    Bytes words = sound;
    PutI32(words, 64, 6);
    EXPECT_EQ(Verify(words), -103);
    Bytes negative = sound;
    PutI32(negative, 64, -1);
    EXPECT_EQ(Verify(negative), -103);
    Bytes longest = sound;
    PutI32(longest, 68, 257);
    EXPECT_EQ(Verify(longest), -103);
    Bytes firstChars = sound;
    PutI32(firstChars, 72, 1);
    EXPECT_EQ(Verify(firstChars), -103);
    Bytes firstIds = sound;
    PutI32(firstIds, 84, 1);
    EXPECT_EQ(Verify(firstIds), -103);
    Bytes units = sound;  // 4 units for 2 words of length 2 is right, 5 is not
    PutI32(units, 80, 8);
    EXPECT_EQ(Verify(units), -103);
    Bytes falling = sound;  // bucket 1 with -1 words and bucket 2 with 6
    PutI32(falling, 88, -1);
    PutI32(falling, 76, -1);
    EXPECT_EQ(Verify(falling), -103);
}

TEST(VerifyLexiconBlob, RefusesBucketsOutOfOrderRepeatedOrWithZeroUnits) {
    const Bytes sound = LexiconBlob(u"b\na\nc\nab\nAB");
    Bytes swapped = sound;  // "AB" and "ab" exchanged
    std::swap(swapped[102], swapped[106]);
    std::swap(swapped[104], swapped[108]);
    EXPECT_EQ(Verify(swapped), -103);
    Bytes repeated = sound;  // a b b
    repeated[100] = 'b';
    EXPECT_EQ(Verify(repeated), -103);
    Bytes zero = sound;
    zero[100] = 0;  // "c" becomes a 0 unit
    EXPECT_EQ(Verify(zero), -103);
    Bytes zeroLast = LexiconBlob(u"a\nb\nc\u0001");
    ASSERT_EQ(zeroLast.size(), 104u);
    zeroLast[102] = 0;  // the 1 unit of "c\1", the only word of length 2
    ASSERT_EQ(GetI32(zeroLast, 64), 3);
    EXPECT_EQ(Verify(zeroLast), -103);
}

}  // namespace
}  // namespace vantir::testing
