// Text to id, id to text and prefix listing over static and added words,
// including case-insensitive matches that lie apart in lexicon order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon_test_support.h"
#include "vantir/lexicon.h"

namespace vantir {
namespace {

using namespace testing;
using Ids = std::vector<WordId>;

TEST(LexiconFindId, TextsThatAreNoWord) {
    LexiconPtr lexicon = BuiltLexicon(u"ab\nabc\n\u4e2d\u56fd");
    EXPECT_EQ(Find(lexicon.get(), u""), -1);
    EXPECT_EQ(Lexicon_FindId(lexicon.get(), nullptr), -1);
    EXPECT_EQ(Lexicon_FindIdN(lexicon.get(), nullptr, 2), -1);
    EXPECT_EQ(Find(lexicon.get(), u"abcd"), -1);
    EXPECT_EQ(Find(lexicon.get(), u"a"), -1);
    EXPECT_EQ(Find(lexicon.get(), u"\u4e2d"), -1);
    EXPECT_EQ(Find(lexicon.get(), std::u16string(300, u'a')), -1);
    EXPECT_EQ(Lexicon_FindIdN(lexicon.get(), u"ab", 0), -1);
    EXPECT_EQ(Lexicon_FindIdN(lexicon.get(), u"ab", -3), -1);
    EXPECT_EQ(Lexicon_FindId(nullptr, u"ab"), -5);
    EXPECT_EQ(Lexicon_FindIdN(nullptr, u"ab", 2), -5);
    // n counts units of the text, whatever follows them.
    EXPECT_EQ(Lexicon_FindIdN(lexicon.get(), u"abcz", 3), 2);
    EXPECT_EQ(Lexicon_FindIdN(lexicon.get(), u"ABcz", 2), 0);
}

TEST(LexiconFindId, ExactBeatsFoldedAndStaticBeatsAdded) {
    LexiconPtr lexicon = BuiltLexicon(u"ab\nxy");
    ASSERT_EQ(Add(lexicon.get(), u"AB\nQq"), 2);
    const WordId addedAB = Find(lexicon.get(), u"AB");
    EXPECT_EQ(addedAB, 2);
    EXPECT_EQ(Find(lexicon.get(), u"ab"), 0);
    EXPECT_EQ(Find(lexicon.get(), u"Ab"), 0);
    EXPECT_EQ(Find(lexicon.get(), u"aB"), 0);
    EXPECT_EQ(Find(lexicon.get(), u"XY"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"qQ"), 3);
}

TEST(LexiconFindId, FoldedMatchesThatLieApartInLexiconOrder) {
    // In lexicon order "Ab" < "aA" < "ab": the key "AB" folds like "Ab" and "ab",
    // with the non-matching "aA" between them.
    LexiconPtr lexicon = BuiltLexicon(u"Ab\naA");
    EXPECT_EQ(Find(lexicon.get(), u"aa"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"AA"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"aB"), 0);

    // Many neighbours, so the search narrows instead of scanning.
    std::u16string list;
    for (char16_t c = u'a'; c <= u'z'; c++) {
        for (const char16_t* head : {u"A", u"a"})
            list += head + std::u16string(1, c) + u"x\n";
    }
    list += u"aQy\n";
    LexiconPtr wide = BuiltLexicon(list);
    const WordId target = Find(wide.get(), u"aQy");
    ASSERT_GE(target, 0);
    EXPECT_EQ(Find(wide.get(), u"AQY"), target);
    EXPECT_EQ(Find(wide.get(), u"aqy"), target);
    EXPECT_EQ(Find(wide.get(), u"AqY"), target);
    EXPECT_EQ(Find(wide.get(), u"aqz"), -1);

    // The same among added words.
    LexiconPtr added = MakeLexicon();
    ASSERT_EQ(Add(added.get(), list), 53);
    EXPECT_EQ(Find(added.get(), u"AqY"), Find(added.get(), u"aQy"));
    EXPECT_EQ(Text(added.get(), Find(added.get(), u"AQY")), u"aQy");
}

TEST(LexiconGetWord, StaticAndAddedWords) {
    LexiconPtr lexicon = BuiltLexicon(u"b\na\ncd\nefg\nhij");
    ASSERT_EQ(Add(lexicon.get(), u"\u4e2d\u56fd"), 1);
    int32_t length = -1;
    const char16_t* word = Lexicon_GetWord(lexicon.get(), 2, &length);
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(length, 2);
    // Static words sit back to back without terminators.
    EXPECT_EQ(std::u16string(word, 3), u"cde");
    word = Lexicon_GetWord(lexicon.get(), 5, &length);
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(word[2], 0);

    EXPECT_EQ(Text(lexicon.get(), 4), u"hij");
    EXPECT_EQ(Text(lexicon.get(), 5), u"\u4e2d\u56fd");
    for (WordId id : {-1, 6, 1000, INT32_MIN}) {
        length = -1;
        EXPECT_EQ(Lexicon_GetWord(lexicon.get(), id, &length), nullptr);
        EXPECT_EQ(length, 0);
        EXPECT_EQ(Text(lexicon.get(), id), u"");
    }
    EXPECT_EQ(Lexicon_GetWord(nullptr, 0, &length), nullptr);
    EXPECT_EQ(Lexicon_GetWord(lexicon.get(), 0, nullptr)[0], u'a');
}

TEST(LexiconGetWordText, BufferHandling) {
    LexiconPtr lexicon = BuiltLexicon(u"a\nxyz");
    char16_t buffer[8] = {u'#', u'#', u'#', u'#', u'#', u'#', u'#', u'#'};
    EXPECT_EQ(Lexicon_GetWordText(lexicon.get(), 1, nullptr), 3);
    EXPECT_EQ(Lexicon_GetWordText(lexicon.get(), 1, buffer), 3);
    EXPECT_EQ(std::u16string(buffer, 5), std::u16string(u"xyz\0#", 5));
    EXPECT_EQ(Lexicon_GetWordText(lexicon.get(), 2, buffer), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], u'y');
    buffer[0] = u'#';
    EXPECT_EQ(Lexicon_GetWordText(nullptr, 0, buffer), -5);
    EXPECT_EQ(buffer[0], u'#');
    // The last static id is the last word of the longest bucket.
    EXPECT_EQ(Text(lexicon.get(), Lexicon_GetStaticCount(lexicon.get()) - 1), u"xyz");
}

TEST(LexiconGetWord, RemovedIdsGiveNothingUntilRenumbered) {
    LexiconPtr lexicon = BuiltLexicon(u"s");
    ASSERT_EQ(Add(lexicon.get(), u"p\nq"), 2);
    ASSERT_EQ(Remove(lexicon.get(), u"p"), 1);
    EXPECT_EQ(Text(lexicon.get(), 1), u"");
    EXPECT_EQ(Text(lexicon.get(), 2), u"q");
    int32_t map[2];
    ASSERT_EQ(Lexicon_Renumber(lexicon.get(), map), 2);
    EXPECT_EQ(Text(lexicon.get(), 1), u"q");
    EXPECT_EQ(Text(lexicon.get(), 2), u"");
}

TEST(LexiconListPrefix, OrderStaticByLengthThenAdded) {
    LexiconPtr lexicon = BuiltLexicon(u"ab\nabc\nABd\nb\nabcde");
    ASSERT_EQ(Add(lexicon.get(), u"abx\nAb\nzz"), 3);
    const WordId ab = Find(lexicon.get(), u"ab");
    const WordId abd = Find(lexicon.get(), u"ABd");
    const WordId abc = Find(lexicon.get(), u"abc");
    const WordId abcde = Find(lexicon.get(), u"abcde");
    const WordId addedAb = Find(lexicon.get(), u"Ab");
    const WordId abx = Find(lexicon.get(), u"abx");
    EXPECT_EQ(ListPrefix(lexicon.get(), u"ab"), (Ids{ab, abd, abc, abcde, addedAb, abx}));
    EXPECT_EQ(ListPrefix(lexicon.get(), u"AB", 3), (Ids{ab, abd, abc}));
    EXPECT_EQ(ListPrefix(lexicon.get(), u"abc"), (Ids{abc, abcde}));
    EXPECT_EQ(ListPrefix(lexicon.get(), u""), Ids{});
    EXPECT_EQ(ListPrefix(lexicon.get(), u"q"), Ids{});
    EXPECT_EQ(ListPrefix(lexicon.get(), u"ab", 0), Ids{});
    EXPECT_EQ(Lexicon_ListPrefix(nullptr, u"ab", nullptr, 5), -5);
    EXPECT_EQ(Lexicon_ListPrefixN(lexicon.get(), nullptr, 2, nullptr, 5), 0);
    EXPECT_EQ(Lexicon_ListPrefixN(lexicon.get(), u"abz", 2, nullptr, 50), 6);
}

TEST(LexiconListPrefix, WorkedExampleAndLimits) {
    LexiconPtr lexicon = BuiltLexicon(u"ab\nabc\nABd");
    ASSERT_EQ(Add(lexicon.get(), u"abx"), 1);
    EXPECT_EQ(ListPrefix(lexicon.get(), u"ab"), (Ids{0, 1, 2, 3}));
    EXPECT_EQ(Text(lexicon.get(), 1), u"ABd");

    LexiconPtr five = BuiltLexicon(u"k1\nk2\nk3\nk4\nk5\nz");
    std::vector<WordId> ids(3, -7);
    EXPECT_EQ(Lexicon_ListPrefix(five.get(), u"k", ids.data(), 2), 2);
    EXPECT_EQ(ids, (Ids{1, 2, -7}));
    // Without an array every visited bucket counts in full.
    EXPECT_EQ(Lexicon_ListPrefix(five.get(), u"k", nullptr, 2), 5);
    EXPECT_EQ(Lexicon_ListPrefix(five.get(), u"k", nullptr, 0), 0);
}

TEST(LexiconListPrefix, MatchesThatLieApartInLexiconOrder) {
    // Lexicon order: "Abz" < "aAa" < "abc"; prefix "ab" matches the first and last.
    LexiconPtr lexicon = BuiltLexicon(u"abc\naAa\nAbz");
    EXPECT_EQ(ListPrefix(lexicon.get(), u"ab"), (Ids{0, 2}));
    EXPECT_EQ(Lexicon_ListPrefix(lexicon.get(), u"AB", nullptr, 10), 2);
    EXPECT_EQ(ListPrefix(lexicon.get(), u"aa"), (Ids{1}));

    LexiconPtr added = MakeLexicon();
    ASSERT_EQ(Add(added.get(), u"abc\naAa\nAbz"), 3);
    EXPECT_EQ(ListPrefix(added.get(), u"aB"),
              (Ids{Find(added.get(), u"Abz"), Find(added.get(), u"abc")}));
}

TEST(LexiconLookups, EmptyLexiconAndLoneSurrogates) {
    LexiconPtr empty = MakeLexicon();
    EXPECT_EQ(Find(empty.get(), u"a"), -1);
    EXPECT_EQ(Text(empty.get(), 0), u"");
    EXPECT_EQ(ListPrefix(empty.get(), u"a"), Ids{});

    LexiconPtr lexicon = BuiltLexicon(u"\xd800\n\xdc00x\n\xd83d\xde00");
    ASSERT_EQ(Add(lexicon.get(), u"\xdbff\n\xdfff\xdfff"), 2);
    for (const char16_t* word :
         {u"\xd800", u"\xdc00x", u"\xd83d\xde00", u"\xdbff", u"\xdfff\xdfff"}) {
        const WordId id = Find(lexicon.get(), word);
        ASSERT_GE(id, 0);
        EXPECT_EQ(Text(lexicon.get(), id), word);
    }
    EXPECT_EQ(Find(lexicon.get(), u"\xdc00X"), Find(lexicon.get(), u"\xdc00x"));
    EXPECT_EQ(ListPrefix(lexicon.get(), u"\xdfff").size(), 1u);
}

}  // namespace
}  // namespace vantir
