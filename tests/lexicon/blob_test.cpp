// Building and attaching "WPB" blobs, the lexicon lifecycle around them, and
// the memory estimate: byte layout, refusals and ids across lexicons.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lexicon/blob_layout.h"
#include "lexicon/lexicon_object.h"
#include "lexicon_test_support.h"
#include "textutil/byte_order.h"
#include "vantir/lexicon.h"

namespace vantir {
namespace {

using namespace testing;

std::vector<unsigned char> Bytes(const void* blob, int32_t size) {
    const auto* bytes = static_cast<const unsigned char*>(blob);
    return std::vector<unsigned char>(bytes, bytes + size);
}

// Stored fields are little-endian on every host.
uint32_t U32At(const std::vector<unsigned char>& bytes, size_t at) {
    return LoadU32(bytes.data() + at);
}

TEST(LexiconBlob, WorkedExampleByteForByte) {
    LexiconPtr lexicon = MakeLexicon();
    int32_t size = -1;
    void* blob = Build(lexicon.get(), u"b\r\na\n\nc", &size);
    ASSERT_NE(blob, nullptr);
    ASSERT_EQ(size, 96);

    std::vector<unsigned char> expected(96, 0);
    std::memcpy(expected.data(), VANTIR_BLOB_MAGIC, VANTIR_BLOB_MAGIC_BYTES);
    StoreU32(expected.data() + VANTIR_BLOB_TOTAL_SIZE_OFFSET, 96);
    StoreU32(expected.data() + VANTIR_BLOB_HEADER_SIZE_OFFSET, VANTIR_BLOB_HEADER_SIZE);
    std::memcpy(expected.data() + VANTIR_BLOB_TAG_OFFSET, kLexiconBlobTag, sizeof kLexiconBlobTag);
    expected[VANTIR_BLOB_VERSION_OFFSET] = kLexiconBlobVersion;
    const int32_t body[] = {3, 1, 0, 3, 0, 3};
    for (size_t i = 0; i < 6; i++)
        StoreI32(expected.data() + kWpbWordCountAt + kWpbFieldBytes * i, body[i]);
    const char16_t units[] = {u'a', u'b', u'c'};
    for (size_t i = 0; i < 3; i++)
        StoreU16(expected.data() + WpbUnitsAt(1) + kWpbUnitBytes * i, units[i]);
    EXPECT_EQ(Bytes(blob, size), expected);

    EXPECT_EQ(Find(lexicon.get(), u"a"), 0);
    EXPECT_EQ(Find(lexicon.get(), u"b"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"c"), 2);
    EXPECT_EQ(Lexicon_GetStaticCount(lexicon.get()), 3);
    EXPECT_EQ(Lexicon_GetMaxWordLength(lexicon.get()), 1);
    EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 0);
}

TEST(LexiconBlob, WhatTheBuildStores) {
    LexiconPtr lexicon = MakeLexicon();
    // Empty lines, a repeat, case variants, and a line longer than 256 units.
    std::u16string list = u"ab\n\n\nAB\nab\nxyz\n" + std::u16string(257, u'q') + u"\nz";
    int32_t size = 0;
    ASSERT_NE(Build(lexicon.get(), list, &size), nullptr);
    EXPECT_EQ(Lexicon_GetStaticCount(lexicon.get()), 4);
    EXPECT_EQ(Lexicon_GetMaxWordLength(lexicon.get()), 3);
    EXPECT_EQ(Find(lexicon.get(), u"z"), 0);
    EXPECT_EQ(Find(lexicon.get(), u"AB"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"ab"), 2);
    EXPECT_EQ(Find(lexicon.get(), u"xyz"), 3);
    EXPECT_EQ(Find(lexicon.get(), std::u16string(257, u'q')), -1);
    // 80 + 8 * 3 + 2 * (1 + 4 + 3) = 120.
    EXPECT_EQ(size, 120);

    LexiconPtr longest = MakeLexicon();
    ASSERT_NE(Build(longest.get(), std::u16string(256, u'q') + u"\nr"), nullptr);
    EXPECT_EQ(Lexicon_GetMaxWordLength(longest.get()), 256);
    EXPECT_EQ(Find(longest.get(), std::u16string(256, u'q')), 1);
}

TEST(LexiconBlob, EmptyListGivesEmptyBlob) {
    for (const char16_t* list : {u"", u"\n", u"\n\n\n"}) {
        LexiconPtr lexicon = MakeLexicon();
        int32_t size = 0;
        void* blob = Build(lexicon.get(), list, &size);
        ASSERT_NE(blob, nullptr);
        EXPECT_EQ(size, 80);
        EXPECT_EQ(U32At(Bytes(blob, size), 64), 0u);
        EXPECT_EQ(U32At(Bytes(blob, size), 68), 0u);
        EXPECT_EQ(Lexicon_GetStaticCount(lexicon.get()), 0);
        EXPECT_EQ(Find(lexicon.get(), u"a"), -1);
        EXPECT_EQ(Text(lexicon.get(), 0), u"");
    }
    LexiconPtr nullList = MakeLexicon();
    int32_t size = 0;
    EXPECT_NE(Lexicon_BuildBlob(nullList.get(), nullptr, &size), nullptr);
    EXPECT_EQ(size, 80);
}

TEST(LexiconBlob, BuildRefusals) {
    int32_t size = 5;
    std::u16string list = u"a";
    EXPECT_EQ(Lexicon_BuildBlob(nullptr, list.data(), &size), nullptr);
    EXPECT_EQ(size, 0);

    LexiconPtr lexicon = MakeLexicon();
    ASSERT_NE(Build(lexicon.get(), u"a\nb"), nullptr);
    size = 5;
    EXPECT_EQ(Build(lexicon.get(), u"c", &size), nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(Find(lexicon.get(), u"b"), 1);

    LexiconPtr withAdded = MakeLexicon();
    ASSERT_EQ(Add(withAdded.get(), u"x"), 1);
    ASSERT_EQ(Remove(withAdded.get(), u"x"), 1);
    // The buffers outlive their words: build stays refused.
    EXPECT_EQ(Build(withAdded.get(), u"a"), nullptr);
}

TEST(LexiconBlob, AttachChecksHeader) {
    LexiconPtr source = MakeLexicon();
    int32_t size = 0;
    void* built = Build(source.get(), u"\u4e2d\n\u56fd\nab", &size);
    ASSERT_NE(built, nullptr);
    const std::vector<unsigned char> good = Bytes(built, size);

    struct Damage {
        size_t at;
        unsigned char value;
    };
    for (Damage damage :
         {Damage{20, 1}, Damage{12, 'L'}, Damage{0, 'k'}, Damage{15, 'X'}, Damage{21, 1}}) {
        std::vector<uint32_t> copy(good.size() / 4);
        std::memcpy(copy.data(), good.data(), good.size());
        reinterpret_cast<unsigned char*>(copy.data())[damage.at] = damage.value;
        LexiconPtr lexicon = MakeLexicon();
        EXPECT_EQ(Lexicon_AttachBlob(lexicon.get(), copy.data()), -103) << damage.at;
        EXPECT_EQ(Lexicon_GetStaticCount(lexicon.get()), 0);
    }
    // The tag "LMB" with its terminator.
    std::vector<uint32_t> modelTag(good.size() / 4);
    std::memcpy(modelTag.data(), good.data(), good.size());
    std::memcpy(reinterpret_cast<unsigned char*>(modelTag.data()) + 12, "LMB", 4);
    EXPECT_EQ(Lexicon_AttachBlob(MakeLexicon().get(), modelTag.data()), -103);

    LexiconPtr lexicon = MakeLexicon();
    EXPECT_EQ(Lexicon_AttachBlob(nullptr, built), -5);
    EXPECT_EQ(Lexicon_AttachBlob(lexicon.get(), nullptr), -41);
    ASSERT_EQ(Add(lexicon.get(), u"x"), 1);
    EXPECT_EQ(Lexicon_AttachBlob(lexicon.get(), built), -4);
    EXPECT_EQ(Find(lexicon.get(), u"x"), 0);
}

TEST(LexiconBlob, AttachRejectsCountsNoBuildWrites) {
    LexiconPtr source = MakeLexicon();
    int32_t size = 0;
    void* built = Build(source.get(), u"a", &size);
    for (int32_t maxLength : {257, -1, INT32_MAX}) {
        std::vector<uint32_t> copy(static_cast<size_t>(size) / 4);
        std::memcpy(copy.data(), built, static_cast<size_t>(size));
        StoreI32(reinterpret_cast<unsigned char*>(copy.data()) + kWpbMaxLengthAt, maxLength);
        EXPECT_EQ(Lexicon_AttachBlob(MakeLexicon().get(), copy.data()), -103);
    }
}

TEST(LexiconBlob, BlobMovesBetweenLexiconsWithItsIds) {
    LexiconPtr source = MakeLexicon();
    int32_t size = 0;
    void* built = Build(source.get(), u"\u8def\n\u5317\u4eac\nRoad\nroad\n1", &size);
    ASSERT_NE(built, nullptr);
    std::vector<uint32_t> stored(static_cast<size_t>(size) / 4);
    std::memcpy(stored.data(), built, static_cast<size_t>(size));
    const uint32_t user = 0xC0FFEE01u;
    StoreU32(reinterpret_cast<unsigned char*>(stored.data()) + VANTIR_BLOB_USER_VALUE_OFFSET, user);

    LexiconPtr target = MakeLexicon();
    EXPECT_EQ(Lexicon_AttachBlob(target.get(), stored.data()), 5);
    EXPECT_EQ(Lexicon_GetUserValue(target.get()), user);
    EXPECT_EQ(Lexicon_GetUserValue(source.get()), 0u);
    for (const char16_t* word : {u"\u8def", u"\u5317\u4eac", u"Road", u"road", u"1"}) {
        EXPECT_EQ(Find(target.get(), word), Find(source.get(), word));
        EXPECT_EQ(Text(target.get(), Find(target.get(), word)), word);
    }
    // Added words then number from the attached count.
    EXPECT_EQ(Add(target.get(), u"new"), 1);
    EXPECT_EQ(Find(target.get(), u"new"), 5);
}

TEST(LexiconBlob, AttachAndBuildReplaceTheStaticPart) {
    LexiconPtr first = MakeLexicon();
    void* blobA = Build(first.get(), u"a\nb");
    LexiconPtr second = MakeLexicon();
    void* blobB = Build(second.get(), u"x\ny\nz");

    // Attaching over a built blob keeps it owned (released at destroy).
    EXPECT_EQ(Lexicon_AttachBlob(first.get(), blobB), 3);
    EXPECT_EQ(Find(first.get(), u"a"), -1);
    EXPECT_EQ(Find(first.get(), u"z"), 2);
    EXPECT_EQ(Build(first.get(), u"q"), nullptr);

    // A build after an attach is allowed and replaces the attached words.
    LexiconPtr third = MakeLexicon();
    EXPECT_EQ(Lexicon_AttachBlob(third.get(), blobA), 2);
    ASSERT_NE(Build(third.get(), u"q"), nullptr);
    EXPECT_EQ(Lexicon_GetStaticCount(third.get()), 1);
    EXPECT_EQ(Find(third.get(), u"a"), -1);
    EXPECT_EQ(Find(third.get(), u"q"), 0);
}

TEST(LexiconLifecycle, CreateDestroyAndEstimate) {
    EXPECT_EQ(Lexicon_Destroy(nullptr), -5);
    Lexicon* lexicon = Lexicon_Create(nullptr, 7, 30);
    ASSERT_NE(lexicon, nullptr);
    EXPECT_EQ(Lexicon_GetStaticCount(lexicon), 0);
    EXPECT_EQ(Lexicon_GetAddedCapacity(lexicon), 7);
    EXPECT_EQ(Lexicon_GetMaxWordLength(lexicon), 0);
    EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon), 0);
    EXPECT_EQ(Lexicon_GetUserValue(lexicon), 0u);
    EXPECT_EQ(Lexicon_Destroy(lexicon), 0);

    EXPECT_EQ(Lexicon_EstimateMemory(100, 1000), 4468);
    EXPECT_EQ(Lexicon_EstimateMemory(0, 0), 68);
    EXPECT_EQ(Lexicon_EstimateMemory(-5, 10), 88);
    EXPECT_EQ(Lexicon_EstimateMemory(3, -1), 140);
    EXPECT_EQ(Lexicon_EstimateMemory(INT32_MAX, INT32_MAX), INT32_MAX);
}

TEST(LexiconLifecycle, AccessorsOfANullLexicon) {
    EXPECT_EQ(Lexicon_GetMaxWordLength(nullptr), -5);
    EXPECT_EQ(Lexicon_GetStaticCount(nullptr), -5);
    EXPECT_EQ(Lexicon_GetAddedIdSpan(nullptr), -5);
    EXPECT_EQ(Lexicon_GetAddedCapacity(nullptr), -5);
    EXPECT_EQ(Lexicon_GetUserValue(nullptr), 0u);
}

}  // namespace
}  // namespace vantir
