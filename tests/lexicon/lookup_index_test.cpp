// The lexicon's optional look-up index against the searches it stands in for:
// every short text over a few case-paired letters, through random edits.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "lexicon/blob_layout.h"
#include "lexicon_test_support.h"
#include "vantir/lexicon.h"

namespace vantir::testing {
namespace {

// Few units, most of them letters in both cases, so that most texts have
// several stored case variants and the choice among them is exercised.
constexpr char16_t kUnits[] = u"aAbB\u4e2d";
constexpr int kUnitCount = 5;

std::u16string RandomWord(std::mt19937& random) {
    std::u16string word;
    const int length = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < length; i++)
        word += kUnits[random() % kUnitCount];
    return word;
}

// Every text of 1 to 4 units over kUnits (780 of them).
std::vector<std::u16string> AllShortTexts() {
    std::vector<std::u16string> texts = {u""};
    std::vector<std::u16string> all;
    for (int length = 1; length <= 4; length++) {
        std::vector<std::u16string> longer;
        for (const std::u16string& text : texts) {
            for (int u = 0; u < kUnitCount; u++)
                longer.push_back(text + kUnits[u]);
        }
        all.insert(all.end(), longer.begin(), longer.end());
        texts = longer;
    }
    return all;
}

void ExpectSameIds(const Lexicon* plain, const Lexicon* indexed,
                   const std::vector<std::u16string>& texts) {
    ASSERT_EQ(Lexicon_HasLookupIndex(indexed), 1);
    for (const std::u16string& text : texts) {
        ASSERT_EQ(Find(indexed, text), Find(plain, text)) << "text of " << text.size();
        // A counted look-up of the text's first units.
        const int32_t n = static_cast<int32_t>(text.size()) - 1;
        ASSERT_EQ(Lexicon_FindIdN(indexed, text.c_str(), n),
                  Lexicon_FindIdN(plain, text.c_str(), n));
    }
}

// Two lexicons fed the same words and edits, one with the index built before
// the edits, must give every text the same id.
TEST(LookupIndex, AnswersEveryShortTextAsTheSearchesThroughRandomEdits) {
    const std::vector<std::u16string> texts = AllShortTexts();
    std::mt19937 random(190611);
    for (int round = 0; round < 12; round++) {
        std::vector<std::u16string> statics;
        const int staticWords = 1 + static_cast<int>(random() % 120);
        for (int i = 0; i < staticWords; i++)
            statics.push_back(RandomWord(random));
        const int32_t capacity = 8 + static_cast<int32_t>(random() % 60);
        LexiconPtr plain = BuiltLexicon(JoinLines(statics), capacity, capacity * 5);
        LexiconPtr indexed = BuiltLexicon(JoinLines(statics), capacity, capacity * 5);
        ASSERT_NE(plain, nullptr);
        ASSERT_NE(indexed, nullptr);
        ASSERT_EQ(Lexicon_BuildLookupIndex(indexed.get()), 0);
        ExpectSameIds(plain.get(), indexed.get(), texts);
        for (int step = 0; step < 25 && !HasFailure(); step++) {
            std::vector<std::u16string> list;
            const int words = static_cast<int>(random() % 10);
            for (int i = 0; i < words; i++)
                list.push_back(RandomWord(random));
            const unsigned action = random() % 5;
            if (action < 3) {
                ASSERT_EQ(Add(indexed.get(), JoinLines(list)), Add(plain.get(), JoinLines(list)));
            } else if (action == 3) {
                ASSERT_EQ(Remove(indexed.get(), JoinLines(list)),
                          Remove(plain.get(), JoinLines(list)));
            } else {
                std::vector<int32_t> map(static_cast<size_t>(Lexicon_GetAddedIdSpan(plain.get())) +
                                         1);
                std::vector<int32_t> other = map;
                ASSERT_EQ(Lexicon_Renumber(indexed.get(), map.data()),
                          Lexicon_Renumber(plain.get(), other.data()));
            }
            ExpectSameIds(plain.get(), indexed.get(), texts);
        }
    }
}

TEST(LookupIndex, ExactBeatsCaseInsensitiveAndStaticBeatsAdded) {
    LexiconPtr lexicon = BuiltLexicon(u"ab\n", 4, 32);
    ASSERT_NE(lexicon, nullptr);
    ASSERT_EQ(Lexicon_BuildLookupIndex(lexicon.get()), 0);
    ASSERT_EQ(Add(lexicon.get(), u"AB\nCd\n"), 2);
    const WordId staticAb = 0;
    const WordId addedAb = Find(lexicon.get(), u"AB");
    EXPECT_GT(addedAb, staticAb);
    EXPECT_EQ(Find(lexicon.get(), u"ab"), staticAb);
    EXPECT_EQ(Find(lexicon.get(), u"Ab"), staticAb);
    EXPECT_EQ(Find(lexicon.get(), u"cD"), Find(lexicon.get(), u"Cd"));
    EXPECT_EQ(Find(lexicon.get(), u"abc"), -1);
    EXPECT_EQ(Find(lexicon.get(), u""), -1);
    EXPECT_EQ(Lexicon_FindId(lexicon.get(), nullptr), -1);
    ASSERT_EQ(Remove(lexicon.get(), u"Cd\n"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"cD"), -1);
}

// A bucket out of lexicon order hides words from the binary search; an index
// would find them and answer differently, so none is built.
TEST(LookupIndex, RefusesABlobWhoseBucketIsOutOfOrder) {
    int32_t size = 0;
    LexiconPtr source = MakeLexicon();
    void* built = Build(source.get(), u"a\nb\n", &size);
    ASSERT_NE(built, nullptr);
    std::vector<uint32_t> copy(static_cast<size_t>(size + 3) / 4);
    std::memcpy(copy.data(), built, static_cast<size_t>(size));
    unsigned char* units = reinterpret_cast<unsigned char*>(copy.data()) + WpbUnitsAt(1);
    std::swap(units[0], units[2]);  // "b", "a": the two one-unit words swapped
    LexiconPtr swapped = MakeLexicon();
    ASSERT_EQ(Lexicon_AttachBlob(swapped.get(), copy.data()), 2);
    const WordId before = Find(swapped.get(), u"a");
    EXPECT_EQ(Lexicon_BuildLookupIndex(swapped.get()), VANTIR_BAD_BLOB);
    EXPECT_EQ(Lexicon_HasLookupIndex(swapped.get()), 0);
    EXPECT_EQ(Find(swapped.get(), u"a"), before);
}

TEST(LookupIndex, LifeCycleAndArguments) {
    EXPECT_EQ(Lexicon_BuildLookupIndex(nullptr), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Lexicon_DropLookupIndex(nullptr), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Lexicon_HasLookupIndex(nullptr), 0);
    EXPECT_EQ(Lexicon_EstimateLookupIndex(-1, 0), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Lexicon_EstimateLookupIndex(0, 1 << 24), VANTIR_INVALID_ARGUMENT);

    // An empty lexicon can be indexed, and finds its added words through it.
    LexiconPtr empty = MakeLexicon(4, 32);
    ASSERT_EQ(Lexicon_BuildLookupIndex(empty.get()), 0);
    ASSERT_EQ(Add(empty.get(), u"x\n"), 1);
    EXPECT_EQ(Find(empty.get(), u"X"), 0);

    // Attaching a blob drops the index built over the words it replaces.
    int32_t size = 0;
    LexiconPtr source = MakeLexicon();
    void* blob = Build(source.get(), u"p\nq\n", &size);
    LexiconPtr attached = MakeLexicon();
    ASSERT_EQ(Lexicon_AttachBlob(attached.get(), blob), 2);
    ASSERT_EQ(Lexicon_BuildLookupIndex(attached.get()), 0);
    ASSERT_EQ(Lexicon_AttachBlob(attached.get(), blob), 2);
    EXPECT_EQ(Lexicon_HasLookupIndex(attached.get()), 0);
    EXPECT_EQ(Find(attached.get(), u"Q"), 1);
    ASSERT_EQ(Lexicon_BuildLookupIndex(attached.get()), 0);
    EXPECT_EQ(Lexicon_DropLookupIndex(attached.get()), 0);
    EXPECT_EQ(Lexicon_HasLookupIndex(attached.get()), 0);
}

// The estimate is what the build takes from the pool (past the pool's own
// block header), and a pool without that room refuses the build cleanly.
TEST(LookupIndex, EstimateIsWhatThePoolGivesAndAFullPoolRefuses) {
    std::u16string words;
    for (int i = 0; i < 1000; i++)
        words += u"w" + std::u16string(1, static_cast<char16_t>(u'\u4e00' + i)) + u"\n";
    TestPool pool(64 * 1024);
    LexiconPtr lexicon(Lexicon_Create(pool.get(), 20, 100));
    ASSERT_NE(Build(lexicon.get(), words), nullptr);
    const uint32_t before = pool.FreeBytes();
    ASSERT_EQ(Lexicon_BuildLookupIndex(lexicon.get()), 0);
    const int32_t estimate = Lexicon_EstimateLookupIndex(1000, 20);
    EXPECT_GE(before - pool.FreeBytes(), static_cast<uint32_t>(estimate));
    EXPECT_LE(before - pool.FreeBytes(), static_cast<uint32_t>(estimate) + 32);
    ASSERT_EQ(Lexicon_DropLookupIndex(lexicon.get()), 0);
    EXPECT_EQ(pool.FreeBytes(), before);

    // Room for the blob, not for an index with room for 1,000 added words. The
    // lexicon's own need is measured, since a big-endian host also keeps a
    // host-order copy of the words in the pool.
    constexpr uint32_t kProbeBytes = 256 * 1024;
    TestPool probe(kProbeBytes);
    LexiconPtr probed(Lexicon_Create(probe.get(), 1000, 100));
    ASSERT_NE(Build(probed.get(), words), nullptr);
    const uint32_t lexiconBytes = probe.InitialFreeBytes() - probe.FreeBytes();
    const uint32_t poolOverhead = kProbeBytes - probe.InitialFreeBytes();
    const uint32_t indexBytes = static_cast<uint32_t>(Lexicon_EstimateLookupIndex(1000, 1000));
    TestPool tight(poolOverhead + lexiconBytes + indexBytes / 2);
    LexiconPtr crowded(Lexicon_Create(tight.get(), 1000, 100));
    ASSERT_NE(Build(crowded.get(), words), nullptr);
    const uint32_t left = tight.FreeBytes();
    ASSERT_LT(left, indexBytes);
    EXPECT_EQ(Lexicon_BuildLookupIndex(crowded.get()), VANTIR_OUT_OF_MEMORY);
    EXPECT_EQ(Lexicon_HasLookupIndex(crowded.get()), 0);
    EXPECT_EQ(tight.FreeBytes(), left);
    EXPECT_EQ(Find(crowded.get(), u"W\u4e00"), 0);
}

}  // namespace
}  // namespace vantir::testing
