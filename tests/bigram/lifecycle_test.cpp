// Model creation and destruction, new blobs, attachment, the memory estimate,
// and pool accounting including allocation failures.
#include <gtest/gtest.h>

#include <cstring>

#include "bigram/test_models.h"

using namespace vantir::testing;

namespace {

TEST(NewBlob, SizesHeaderAndCountBlock) {
    OwnModel empty(0, 0);
    ASSERT_NE(empty.blob, nullptr);
    EXPECT_EQ(empty.size, 128);
    EXPECT_EQ(BlobI32(empty.blob, VANTIR_BLOB_TOTAL_SIZE_OFFSET), 128);
    OwnModel own(1, 1);
    EXPECT_EQ(own.size, 140);
    EXPECT_EQ(std::memcmp(own.blob, VANTIR_BLOB_MAGIC, VANTIR_BLOB_MAGIC_BYTES), 0);
    EXPECT_EQ(BlobI32(own.blob, VANTIR_BLOB_TOTAL_SIZE_OFFSET), 140);
    EXPECT_EQ(BlobI32(own.blob, VANTIR_BLOB_HEADER_SIZE_OFFSET), VANTIR_BLOB_HEADER_SIZE);
    EXPECT_STREQ(reinterpret_cast<const char*>(own.blob + VANTIR_BLOB_TAG_OFFSET),
                 vantir::kModelBlobTag);
    EXPECT_EQ(vantir::LoadU16(own.blob + VANTIR_BLOB_VERSION_OFFSET), vantir::kModelBlobVersion);
    EXPECT_EQ(BlobI32(own.blob, VANTIR_BLOB_USER_VALUE_OFFSET), 0);
    const int32_t counts[13] = {0, 0, 1, 1, 0, 0, 0, -255, 0, 0, -255, 0, 0};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(BlobI32(own.blob, vantir::kStaticCountOffset + 4 * i), counts[i]) << i;
    for (int64_t at = RowStartAt(-1); at < 140; ++at)
        EXPECT_EQ(own.blob[at], 0) << at;
    EXPECT_EQ(BigramModel_GetAddedCapacity(own.model), 1);
    EXPECT_EQ(BigramModel_GetSparePairs(own.model), 1);
    EXPECT_EQ(BigramModel_GetUnigramMax(own.model), -255);
    EXPECT_EQ(BigramModel_NewBlob(own.model, 1, 1, nullptr), nullptr) << "already has a blob";
    EXPECT_EQ(BigramModel_AttachBlob(own.model, empty.blob), -4);
}

TEST(NewBlob, ArraysLieAtTheirOffsets) {
    const int32_t n = 3, s = 2;
    OwnModel own(n, s);
    SetUnigram(own.model, -1, -7);
    SetUnigram(own.model, 2, -9);
    SetPairs(own.model, {{-1, 2, -4}, {2, 0, -6}});
    EXPECT_EQ(own.blob[UnigramAt(n, s, -1)], 7);
    EXPECT_EQ(own.blob[UnigramAt(n, s, 2)], 9);
    EXPECT_EQ(BlobI32(own.blob, SuccessorAtOffset(n, 0)), 2);
    EXPECT_EQ(BlobI32(own.blob, SuccessorAtOffset(n, 1)), 0);
    EXPECT_EQ(own.blob[BigramAt(n, s, 0)], 4);
    EXPECT_EQ(own.blob[BigramAt(n, s, 1)], 6);
    own.blob[BackoffAt(n, s, 2)] = 30;
    EXPECT_EQ(BigramModel_PairScore(own.model, 2, 1), -30);
    const int32_t rows[] = {0, 1, 1, 1, 2};  // rowStart[-1] .. rowStart[N]
    for (int32_t w = -1; w <= n; ++w)
        EXPECT_EQ(BlobI32(own.blob, RowStartAt(w)), rows[w + 1]);
}

TEST(NewBlob, RefusesBadCapacitiesWithoutLeaving) {
    BigramModel* model = BigramModel_Create(nullptr);
    int32_t size = -1;
    EXPECT_EQ(BigramModel_NewBlob(nullptr, 1, 1, &size), nullptr);
    EXPECT_EQ(BigramModel_NewBlob(model, -1, 0, &size), nullptr);
    EXPECT_EQ(BigramModel_NewBlob(model, 0, -1, &size), nullptr);
    EXPECT_EQ(BigramModel_NewBlob(model, INT32_MAX, 0, &size), nullptr);
    EXPECT_EQ(BigramModel_NewBlob(model, 300000000, 100000000, &size), nullptr);
    EXPECT_EQ(size, -1);
    EXPECT_NE(BigramModel_NewBlob(model, 2, 2, &size), nullptr) << "the model stayed empty";
    BigramModel_Destroy(model);
}

TEST(AttachBlob, AcceptsANewBlobAtAnyAlignment) {
    OwnModel own(5, 6);
    SetPairs(own.model, {{0, 1, -3}, {4, -1, -8}});
    SetUnigram(own.model, 2, -12);
    PutBlobI32(own.blob, VANTIR_BLOB_USER_VALUE_OFFSET, static_cast<int32_t>(0xDEADBEEF));
    std::vector<uint8_t> buffer(own.size + 1);
    std::memcpy(buffer.data() + 1, own.blob, own.size);  // deliberately misaligned
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_EQ(BigramModel_AttachBlob(model, buffer.data() + 1), 0);
    EXPECT_EQ(BigramModel_GetUserValue(model), 0xDEADBEEFu);
    EXPECT_EQ(BigramModel_GetPairCount(model), 2);
    EXPECT_EQ(BigramModel_GetSparePairs(model), 4);
    EXPECT_EQ(BigramModel_GetUnigramMin(model), -12);
    for (WordId a = -1; a < 5; ++a) {
        for (WordId b = -1; b < 5; ++b) {
            EXPECT_EQ(BigramModel_PairScore(model, a, b), BigramModel_PairScore(own.model, a, b));
        }
    }
    // Edits through the attached model land at the same offsets.
    SetUnigram(model, 4, -99);
    EXPECT_EQ(buffer[1 + UnigramAt(5, 6, 4)], 99);
    EXPECT_EQ(BigramModel_AttachBlob(model, own.blob), -4);
    EXPECT_EQ(BigramModel_GetUnigramMin(model), -99) << "a refused attach changes nothing";
    std::vector<uint8_t> before = buffer;
    EXPECT_EQ(BigramModel_Destroy(model), 0);
    EXPECT_EQ(buffer, before) << "the host's blob is untouched by destroy";
}

TEST(AttachBlob, RefusesBadHeadersAndArguments) {
    OwnModel own(2, 2);
    std::vector<uint8_t> good(own.blob, own.blob + own.size);
    auto attach = [](std::vector<uint8_t> bytes) {
        BigramModel* model = BigramModel_Create(nullptr);
        int32_t result = BigramModel_AttachBlob(model, bytes.data());
        BigramModel_Destroy(model);
        return result;
    };
    std::vector<uint8_t> bad = good;
    bad[VANTIR_BLOB_TAG_OFFSET + 3] = 'X';  // "LMBX"
    EXPECT_EQ(attach(bad), -103);
    bad = good;
    bad[VANTIR_BLOB_TAG_OFFSET + 2] = 0;  // "LM"
    EXPECT_EQ(attach(bad), -103);
    bad = good;
    bad[VANTIR_BLOB_VERSION_OFFSET] = 1;
    EXPECT_EQ(attach(bad), -103);
    bad = good;
    bad[0] = 'k';
    EXPECT_EQ(attach(bad), -103);
    bad = good;
    PutBlobI32(bad.data(), vantir::kStaticCountOffset, -1);  // a count no blob can hold
    EXPECT_EQ(attach(bad), -103);
    bad = good;
    PutBlobI32(bad.data(), vantir::kSparePairsOffset, INT32_MAX);
    EXPECT_EQ(attach(bad), -103);
    EXPECT_EQ(attach(good), 0);
    EXPECT_EQ(BigramModel_AttachBlob(nullptr, good.data()), -5);
    BigramModel* model = BigramModel_Create(nullptr);
    EXPECT_EQ(BigramModel_AttachBlob(model, nullptr), -4);
    BigramModel_Destroy(model);
}

TEST(EstimateMemory, WorkedFigures) {
    EXPECT_EQ(BigramModel_EstimateMemory(nullptr, 10, 20, 0), 222u);
    EXPECT_EQ(BigramModel_EstimateMemory(nullptr, 10, 20, 1), 230637u);
    EXPECT_EQ(BigramModel_EstimateMemory(nullptr, -3, -1, 0), 62u);
    std::vector<uint8_t> blob = BlobWithStaticWords(100, 0, 0, {});
    EXPECT_EQ(BigramModel_EstimateMemory(blob.data(), 5, 7, 1), 230626u);
    EXPECT_EQ(BigramModel_EstimateMemory(blob.data(), 5, 7, 0), 116u);
    blob[VANTIR_BLOB_TAG_OFFSET + 1] = 'X';
    EXPECT_EQ(BigramModel_EstimateMemory(blob.data(), 5, 7, 1), 116u);
    EXPECT_EQ(BigramModel_EstimateMemory(nullptr, INT32_MAX, INT32_MAX, 1), UINT32_MAX);
}

// A pool that serves the test, with the byte count it started with.
struct PoolBlock {
    std::vector<uint32_t> words;
    MemPool* pool;
    uint32_t initialFree;
    explicit PoolBlock(uint32_t bytes) : words(bytes / 4) {
        pool = MemPool_Init(words.data(), bytes);
        initialFree = PoolFreeBytes(words.data());
    }
    uint32_t Free() const { return PoolFreeBytes(words.data()); }
};

TEST(PoolModel, DestroyGivesEverythingBack) {
    PoolBlock block(200000);
    ASSERT_NE(block.pool, nullptr);
    BigramModel* model = BigramModel_Create(block.pool);
    ASSERT_NE(model, nullptr);
    int32_t size = 0;
    ASSERT_NE(BigramModel_NewBlob(model, 20, 30, &size), nullptr);
    EXPECT_EQ(size, 396);
    std::vector<uint8_t> alt(21, 3);
    ExtraTable extra;
    ASSERT_EQ(GiveTables(model, alt, extra), 0);
    ASSERT_EQ(GiveTables(model, alt, extra), 0) << "replacing frees the first copies";
    EXPECT_EQ(BigramModel_Destroy(model), 0);
    EXPECT_EQ(block.Free(), block.initialFree);
}

TEST(PoolModel, AllocationFailuresLeakNothing) {
    PoolBlock tiny(64);
    EXPECT_EQ(BigramModel_Create(tiny.pool), nullptr);
    EXPECT_EQ(tiny.Free(), tiny.initialFree);

    PoolBlock small(1000);
    BigramModel* model = BigramModel_Create(small.pool);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(BigramModel_NewBlob(model, 200, 0, nullptr), nullptr);
    ASSERT_NE(BigramModel_NewBlob(model, 2, 2, nullptr), nullptr) << "the model stayed empty";
    BigramModel_Destroy(model);
    EXPECT_EQ(small.Free(), small.initialFree);

    // Room for one set of tables, not for a second while the first is held.
    PoolBlock block(150000);
    OwnModel own(3, 3, block.pool);
    std::vector<uint8_t> alt(4, 0);
    ExtraTable first, second;
    first.Add(0, 1, -7);
    second.Add(0, 1, -9);
    ASSERT_EQ(GiveTables(own.model, alt, first), 0);
    uint32_t freeBefore = block.Free();
    EXPECT_EQ(GiveTables(own.model, alt, second), -10);
    EXPECT_EQ(block.Free(), freeBefore);
    BigramModel_SetStrictMode(own.model);
    EXPECT_EQ(BigramModel_PairScore(own.model, 0, 1), -7) << "the first tables stay";
}

}  // namespace
