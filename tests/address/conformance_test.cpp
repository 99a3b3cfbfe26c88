// Corners of the grammar and the composition that the other suites leave open:
// closing-tag words in every role, case in region names, words read from an
// unaligned lexicon blob.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/address_world.h"

using namespace vantir::testing;
using Texts = std::vector<std::string>;

namespace {

// H/x: upper heads; v: upper follower; bz: bare first key that closes; kz: key
// that closes; t: trigger; tz: trigger that closes; n: first prefix; k: key;
// a: lower head; c1: lower region; o/f: opener and follower; bo: bound opener
// and upper head; bl: lower head; g6: bound opener only; zz: no tags.
std::vector<WordEntry> CornerWords() {
    return {{"H", {33}},      {"v", {34}}, {"bz", {18, 32}}, {"kz", {19, 32}}, {"t", {17}},
            {"tz", {17, 32}}, {"n", {25}}, {"k", {19}},      {"a", {8}},       {"x", {33}},
            {"c1", {8, 34}},  {"o", {5}},  {"f", {7}},       {"bo", {6, 33}},  {"bl", {8}},
            {"g6", {6}},      {"zz", {}}};
}

class CornerTest : public ::testing::Test {
  protected:
    // The upper name "X" is found through the lexicon's case-insensitive pass;
    // the lower name "A" is compared unit for unit and never equals "a".
    CornerTest() : world_(CornerWords(), {{u"H", u"A"}, {u"X", u"c1"}}) {
        world_.SetPairs({{"H", "v", 0},
                         {"v", "bz", 0},
                         {"x", "t", 0},
                         {"c1", "t", 0},
                         {"a", "t", 0},
                         {"o", "f", 0},
                         {"f", "t", 0},
                         {"o", "tz", 0},
                         {"bo", "bl", 0}});
    }
    AddressWorld world_;
};

}  // namespace

TEST_F(CornerTest, ClosingTagShortensPlainWordsOnly) {
    EXPECT_EQ(world_.Add({"H", "v", "bz"}), 0);       // a bare key composes as a plain word
    EXPECT_EQ(world_.Add({"H", "v", "n", "kz"}), 0);  // a segment key keeps its last unit
    EXPECT_EQ(world_.Add({"o", "tz", "n", "k"}), 0);  // a closing trigger ends the address
    EXPECT_EQ(world_.Results(), (Texts{"Hvb", "Hvnkz", "ot"}));
}

TEST_F(CornerTest, RegionNamesMatchWordsAsTheLexiconFindsThem) {
    EXPECT_EQ(world_.Add({"a", "t"}), 0);  // "A" is no lower name of "a": nothing inserted
    EXPECT_EQ(world_.Add({"x", "t"}), 0);  // "X" names the word x: c1 is its candidate
    EXPECT_EQ(world_.Results(), (Texts{"at", "xc1t"}));
}

TEST_F(CornerTest, HeadRulesFallThroughInOrder) {
    EXPECT_EQ(world_.Add({"o", "f", "t", "n", "k"}), 0);  // [o, f, t] kept, then a body
    EXPECT_EQ(world_.Add({"bo", "zz"}), 0);        // no lower head after bo: it heads as tag 33
    EXPECT_EQ(world_.Add({"g6", "bo", "bl"}), 0);  // g6 opens nothing; bo binds bl
    EXPECT_EQ(world_.Results(), (Texts{"oftnk", "bo", "bobl"}));
}

TEST(UnalignedLexicon, WordsAreReadByteWise) {
    // The same words in a second lexicon whose blob sits at an odd address:
    // lookups, completion and composition must not load units in place.
    const std::vector<WordEntry> words = {{"ab@", {8}}, {"t", {17}}, {"x", {33}}};
    AddressWorld world(words, {{u"x", u"ab@"}});
    world.SetPairs({{"x", "ab@", 0}, {"ab@", "t", 0}});

    Lexicon* built = Lexicon_Create(nullptr, 0, 0);
    std::u16string list = Utf16("ab@\nt\nx\n");
    list.push_back(0);
    int32_t size = 0;
    const void* blob = Lexicon_BuildBlob(built, list.data(), &size);
    ASSERT_NE(blob, nullptr);
    std::vector<unsigned char> bytes(static_cast<size_t>(size) + 1);
    std::memcpy(bytes.data() + 1, blob, static_cast<size_t>(size));
    Lexicon* odd = Lexicon_Create(nullptr, 0, 0);
    ASSERT_EQ(Lexicon_AttachBlob(odd, bytes.data() + 1), 3);

    FilterSession* session = Vantir_Init(world.model, odd, world.addressDb.data());
    ASSERT_NE(session, nullptr);
    const WordId ids[2] = {world.Id("ab@"), world.Id("t")};
    EXPECT_EQ(Vantir_AddRecogResult(session, ids, 0, 0, 0, 2), 0);
    char16_t out[8];
    int32_t count = 1;
    EXPECT_EQ(Vantir_GetFilterResult(session, out, 0, 0, &count), 6);
    EXPECT_EQ(std::u16string(out), u"xabt");
    Vantir_Release(session);
    Lexicon_Destroy(odd);
    Lexicon_Destroy(built);
}
