// Words added, removed, renumbered and exported at run time: the worked
// sequence, capacity limits, and a randomized comparison with a simple model.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lexicon_test_support.h"
#include "vantir/lexicon.h"

namespace vantir {
namespace {

using namespace testing;

TEST(AddedWords, WorkedSequence) {
    LexiconPtr lexicon = BuiltLexicon(u"v\nw\nx\ny\nz", 8, 64);
    ASSERT_EQ(Lexicon_GetStaticCount(lexicon.get()), 5);
    EXPECT_EQ(Add(lexicon.get(), u"c\nab\nb"), 3);
    EXPECT_EQ(Find(lexicon.get(), u"b"), 5);
    EXPECT_EQ(Find(lexicon.get(), u"c"), 6);
    EXPECT_EQ(Find(lexicon.get(), u"ab"), 7);
    EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 3);
    EXPECT_EQ(Lexicon_GetMaxWordLength(lexicon.get()), 2);

    EXPECT_EQ(Remove(lexicon.get(), u"c"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"c"), -1);
    EXPECT_EQ(Text(lexicon.get(), 6), u"");
    EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 3);

    int32_t map[3] = {99, 99, 99};
    EXPECT_EQ(Lexicon_Renumber(lexicon.get(), nullptr), 3);
    EXPECT_EQ(Lexicon_Renumber(lexicon.get(), map), 3);
    EXPECT_EQ(map[0], 5);
    EXPECT_EQ(map[1], -1);
    EXPECT_EQ(map[2], 6);
    EXPECT_EQ(Find(lexicon.get(), u"ab"), 6);
    EXPECT_EQ(Find(lexicon.get(), u"b"), 5);
    EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 2);
    EXPECT_EQ(Lexicon_Renumber(lexicon.get(), map), 2);

    EXPECT_EQ(Lexicon_ExportAdded(lexicon.get(), nullptr), 5);
    EXPECT_EQ(Exported(lexicon.get()), u"b\nab\n");

    // The next word takes the id after the renumbered ones.
    EXPECT_EQ(Add(lexicon.get(), u"q"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"q"), 7);
}

TEST(AddedWords, OnlyNewWordsAreAdded) {
    LexiconPtr lexicon = BuiltLexicon(u"AB\nst");
    EXPECT_EQ(Add(lexicon.get(), u"st\nx\nx\nAB"), 1);
    EXPECT_EQ(Add(lexicon.get(), u"x"), 0);
    EXPECT_EQ(Add(lexicon.get(), u"ab\nX"), 2);
    EXPECT_EQ(Find(lexicon.get(), u"ab"), 4);
    EXPECT_EQ(Find(lexicon.get(), u"AB"), 0);
    EXPECT_EQ(Exported(lexicon.get()), u"x\nX\nab\n");
}

TEST(AddedWords, EmptyLinesAreSkipped) {
    LexiconPtr lexicon = MakeLexicon(8, 64);
    EXPECT_EQ(Add(lexicon.get(), u"\nab\n\n\ncd\r\n\r\n"), 2);
    EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 2);
    EXPECT_EQ(Exported(lexicon.get()), u"ab\ncd\n");
    EXPECT_EQ(Add(lexicon.get(), u"\n"), 0);
    EXPECT_EQ(Add(lexicon.get(), u""), 0);
    EXPECT_EQ(Lexicon_ExportAdded(lexicon.get(), nullptr), 6);
}

TEST(AddedWords, CapacityLimits) {
    LexiconPtr lexicon = MakeLexicon(2, 64);
    EXPECT_EQ(Add(lexicon.get(), u"zz\ny\nx"), 2);
    EXPECT_EQ(Find(lexicon.get(), u"x"), 0);
    EXPECT_EQ(Find(lexicon.get(), u"y"), 1);
    EXPECT_EQ(Find(lexicon.get(), u"zz"), -1);
    EXPECT_EQ(Add(lexicon.get(), u"w"), 0);

    // Only the first 2 x capacity lines are considered.
    LexiconPtr lines = MakeLexicon(2, 64);
    EXPECT_EQ(Add(lines.get(), u"a\na\na\na\nb"), 1);
    EXPECT_EQ(Find(lines.get(), u"b"), -1);

    // A word of length L needs L + 1 units; the first that does not fit ends it.
    LexiconPtr chars = MakeLexicon(10, 7);
    EXPECT_EQ(Add(chars.get(), u"a\nbc\ndef\ng"), 3);
    EXPECT_EQ(Exported(chars.get()), u"a\ng\nbc\n");
    EXPECT_EQ(Add(chars.get(), u"l"), 0);
    // Removing frees the room again.
    EXPECT_EQ(Remove(chars.get(), u"a\ng"), 2);
    EXPECT_EQ(Add(chars.get(), u"mno\nhi"), 1);
    EXPECT_EQ(Exported(chars.get()), u"bc\nhi\n");

    LexiconPtr none = MakeLexicon(0, 0);
    EXPECT_EQ(Add(none.get(), u"a"), 0);
    EXPECT_EQ(Find(none.get(), u"a"), -1);
}

TEST(AddedWords, RemovalCases) {
    LexiconPtr lexicon = BuiltLexicon(u"s\nt");
    EXPECT_EQ(Remove(lexicon.get(), u"s"), 0);
    EXPECT_EQ(Exported(lexicon.get()), u"");
    ASSERT_EQ(Add(lexicon.get(), u"Ab\ncd\nef"), 3);
    EXPECT_EQ(Remove(lexicon.get(), u"s\nzz\nab\n"), 0);
    EXPECT_EQ(Remove(lexicon.get(), u"cd\ncd\nAb"), 2);
    EXPECT_EQ(Find(lexicon.get(), u"s"), 0);
    EXPECT_EQ(Find(lexicon.get(), u"ef"), 4);
    EXPECT_EQ(Find(lexicon.get(), u"EF"), 4);
    EXPECT_EQ(Lexicon_GetMaxWordLength(lexicon.get()), 2);
    EXPECT_EQ(Remove(lexicon.get(), u"ef"), 1);
    EXPECT_EQ(Lexicon_GetMaxWordLength(lexicon.get()), 1);
    EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 3);
    std::vector<int32_t> map(3, 99);
    EXPECT_EQ(Lexicon_Renumber(lexicon.get(), map.data()), 3);
    EXPECT_EQ(map, (std::vector<int32_t>{-1, -1, -1}));
    EXPECT_EQ(Lexicon_GetAddedIdSpan(lexicon.get()), 0);
}

TEST(AddedWords, NeverAddedAndNullLexicon) {
    LexiconPtr lexicon = MakeLexicon();
    EXPECT_EQ(Remove(lexicon.get(), u"a"), 0);
    char16_t buffer[2] = {u'#', u'#'};
    EXPECT_EQ(Lexicon_ExportAdded(lexicon.get(), buffer), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(Lexicon_Renumber(lexicon.get(), nullptr), 0);

    std::u16string list = u"a";
    int32_t map[1];
    EXPECT_EQ(Lexicon_AddWords(nullptr, list.data()), -5);
    EXPECT_EQ(Lexicon_RemoveWords(nullptr, list.data()), -5);
    EXPECT_EQ(Lexicon_Renumber(nullptr, map), -5);
    EXPECT_EQ(Lexicon_ExportAdded(nullptr, buffer), -5);
    EXPECT_EQ(Lexicon_AddWords(lexicon.get(), nullptr), 0);
}

TEST(AddedWords, ExportIsAWordList) {
    LexiconPtr lexicon = MakeLexicon();
    ASSERT_EQ(Add(lexicon.get(), u"\u4e2d\u56fd\nab\nAB\nq"), 4);
    const std::u16string exported = Exported(lexicon.get());
    LexiconPtr rebuilt = BuiltLexicon(exported);
    LexiconPtr readded = MakeLexicon();
    ASSERT_EQ(Add(readded.get(), exported), 4);
    for (const char16_t* word : {u"\u4e2d\u56fd", u"ab", u"AB", u"q"}) {
        EXPECT_EQ(Find(rebuilt.get(), word), Find(lexicon.get(), word));
        EXPECT_EQ(Find(readded.get(), word), Find(lexicon.get(), word));
    }
}

// ---- Randomized comparison with a plain model of the added words ----

int UnitKey(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') ? unit - 32 : unit;
}

bool LexiconLess(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = 0; i < a.size(); i++) {
        if (UnitKey(a[i]) != UnitKey(b[i])) return UnitKey(a[i]) < UnitKey(b[i]);
        if (a[i] != b[i]) return a[i] < b[i];
    }
    return false;
}

std::u16string Folded(std::u16string text) {
    for (char16_t& unit : text)
        unit = static_cast<char16_t>(UnitKey(unit));
    return text;
}

struct AddedModel {
    int32_t capacity;
    int32_t charCapacity;
    int32_t staticCount;
    std::set<std::u16string> statics;
    std::vector<std::pair<WordId, std::u16string>> added;  // ascending id
    int32_t nextId;

    int32_t CharsUsed() const {
        int32_t used = 0;
        for (const auto& entry : added)
            used += static_cast<int32_t>(entry.second.size()) + 1;
        return used;
    }
    bool Holds(const std::u16string& word) const {
        if (statics.count(word) != 0) return true;
        for (const auto& entry : added) {
            if (entry.second == word) return true;
        }
        return false;
    }
    std::vector<std::u16string> Considered(const std::vector<std::u16string>& list) const {
        const size_t limit = static_cast<size_t>(2 * capacity);
        return std::vector<std::u16string>(list.begin(),
                                           list.begin() + std::min(limit, list.size()));
    }
    int32_t Add(const std::vector<std::u16string>& list) {
        std::vector<std::u16string> batch = Considered(list);
        std::sort(batch.begin(), batch.end(), LexiconLess);
        batch.erase(std::unique(batch.begin(), batch.end()), batch.end());
        int32_t stored = 0;
        for (const std::u16string& word : batch) {
            if (word.empty() || Holds(word)) continue;
            if (static_cast<int32_t>(added.size()) >= capacity) break;
            if (CharsUsed() + static_cast<int32_t>(word.size()) + 1 > charCapacity) break;
            added.emplace_back(nextId++, word);
            stored++;
        }
        return stored;
    }
    int32_t Remove(const std::vector<std::u16string>& list) {
        int32_t removed = 0;
        for (const std::u16string& word : Considered(list)) {
            for (size_t i = 0; i < added.size(); i++) {
                if (added[i].second != word) continue;
                added.erase(added.begin() + static_cast<long>(i));
                removed++;
                break;
            }
        }
        return removed;
    }
    std::vector<int32_t> Renumber() {
        std::vector<int32_t> map(static_cast<size_t>(nextId - staticCount), -1);
        for (size_t i = 0; i < added.size(); i++) {
            const int32_t newId = staticCount + static_cast<int32_t>(i);
            map[static_cast<size_t>(added[i].first - staticCount)] = newId;
            added[i].first = newId;
        }
        nextId = staticCount + static_cast<int32_t>(added.size());
        return map;
    }
};

std::u16string RandomWord(std::mt19937& random) {
    static const char16_t kUnits[] = u"aAbB\u4e2dc";
    const int length = 1 + static_cast<int>(random() % 4);
    std::u16string word;
    for (int i = 0; i < length; i++)
        word += kUnits[random() % 6];
    return word;
}

// `twin`, when given, holds the same words without the look-up index and must
// give every query the same id.
void ExpectSameAsModel(const Lexicon* lexicon, const AddedModel& model, std::mt19937& random,
                       const Lexicon* twin = nullptr) {
    ASSERT_EQ(Lexicon_GetAddedIdSpan(lexicon), model.nextId - model.staticCount);
    std::u16string exported;
    for (const auto& entry : model.added) {
        EXPECT_EQ(Find(lexicon, entry.second), entry.first);
        EXPECT_EQ(Text(lexicon, entry.first), entry.second);
        exported += entry.second + u"\n";
    }
    EXPECT_EQ(Exported(lexicon), exported);
    // Folded lookups: an exact word wins (static first), else any static match,
    // else any added match.
    for (int q = 0; q < 20; q++) {
        const std::u16string query = RandomWord(random);
        std::set<WordId> expected;
        WordId exact = Find(lexicon, query);
        if (twin != nullptr) {
            EXPECT_EQ(exact, Find(twin, query)) << "query of " << query.size();
        }
        if (model.statics.count(query) == 0 && !model.Holds(query)) {
            for (const std::u16string& word : model.statics) {
                if (Folded(word) == Folded(query)) expected.insert(Find(lexicon, word));
            }
            if (expected.empty()) {
                for (const auto& entry : model.added) {
                    if (Folded(entry.second) == Folded(query)) expected.insert(entry.first);
                }
            }
            if (expected.empty()) expected.insert(-1);
            EXPECT_EQ(expected.count(exact), 1u) << "folded query of length " << query.size();
        }
    }
}

// Run with (true) and without the look-up index; with it, a twin lexicon
// without one takes the same edits and must answer alike.
class AddedWordsRandom : public ::testing::TestWithParam<bool> {};

TEST_P(AddedWordsRandom, RandomOperationsMatchAModel) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 6; round++) {
        AddedModel model;
        model.capacity = 4 + static_cast<int32_t>(random() % 40);
        model.charCapacity = 10 + static_cast<int32_t>(random() % 150);
        std::vector<std::u16string> statics;
        for (int i = 0; i < 30; i++)
            statics.push_back(RandomWord(random));
        LexiconPtr lexicon = BuiltLexicon(JoinLines(statics), model.capacity, model.charCapacity);
        ASSERT_NE(lexicon, nullptr);
        LexiconPtr twin;
        if (GetParam()) {
            ASSERT_EQ(Lexicon_BuildLookupIndex(lexicon.get()), 0);
            twin = BuiltLexicon(JoinLines(statics), model.capacity, model.charCapacity);
        }
        model.statics.insert(statics.begin(), statics.end());
        model.staticCount = static_cast<int32_t>(model.statics.size());
        model.nextId = model.staticCount;
        ASSERT_EQ(Lexicon_GetStaticCount(lexicon.get()), model.staticCount);

        for (int step = 0; step < 60; step++) {
            std::vector<std::u16string> list;
            const int words = static_cast<int>(random() % 12);
            for (int i = 0; i < words; i++)
                list.push_back(RandomWord(random));
            const unsigned action = random() % 5;
            if (action < 3) {
                if (twin) Add(twin.get(), JoinLines(list));
                ASSERT_EQ(Add(lexicon.get(), JoinLines(list)), model.Add(list));
            } else if (action == 3) {
                if (twin) Remove(twin.get(), JoinLines(list));
                ASSERT_EQ(Remove(lexicon.get(), JoinLines(list)), model.Remove(list));
            } else {
                if (twin) {
                    std::vector<int32_t> twinMap(
                        static_cast<size_t>(Lexicon_GetAddedIdSpan(twin.get())) + 1);
                    Lexicon_Renumber(twin.get(), twinMap.data());
                }
                std::vector<int32_t> map(
                    static_cast<size_t>(Lexicon_GetAddedIdSpan(lexicon.get())) + 1, 77);
                ASSERT_EQ(Lexicon_Renumber(lexicon.get(), map.data()),
                          static_cast<int32_t>(map.size() - 1));
                std::vector<int32_t> expected = model.Renumber();
                expected.push_back(77);
                ASSERT_EQ(map, expected);
            }
            ExpectSameAsModel(lexicon.get(), model, random, twin.get());
            if (HasFailure()) return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LookupIndex, AddedWordsRandom, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "WithIndex" : "Searches";
                         });

}  // namespace
}  // namespace vantir
