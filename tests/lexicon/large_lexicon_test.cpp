// A lexicon of 100,000 generated words (CJK and ASCII, lengths 1 to 12) checked
// against a plain reference over random hits, misses and case-folded queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

constexpr int kStaticWords = 100000;
constexpr int kAddedWords = 2000;
constexpr int kQueries = 40000;

char16_t Fold(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 32) : unit;
}

std::u16string Folded(std::u16string text) {
    for (char16_t& unit : text)
        unit = Fold(unit);
    return text;
}

// Lexicon order written out independently: length, then (folded, raw) per unit.
bool LexiconLess(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = 0; i < a.size(); i++) {
        if (Fold(a[i]) != Fold(b[i])) return Fold(a[i]) < Fold(b[i]);
        if (a[i] != b[i]) return a[i] < b[i];
    }
    return false;
}

// Few distinct letters make many words that differ only in case.
std::u16string RandomWord(std::mt19937& random) {
    static const char16_t kAscii[] = u"abcdeABCDExyZ09";
    const int length = 1 + static_cast<int>(random() % 12);
    const bool cjkOnly = random() % 3 == 0;
    std::u16string word;
    for (int i = 0; i < length; i++) {
        if (cjkOnly || random() % 4 == 0) {
            word += static_cast<char16_t>(0x4e00 + random() % 400);
        } else {
            word += kAscii[random() % 15];
        }
    }
    return word;
}

std::u16string FlipCases(std::u16string word, std::mt19937& random) {
    for (char16_t& unit : word) {
        if (random() % 2 == 0) continue;
        if (unit >= u'a' && unit <= u'z') {
            unit = static_cast<char16_t>(unit - 32);
        } else if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit + 32);
        }
    }
    return word;
}

struct Reference {
    std::vector<std::u16string> words;  // index = id
    std::map<std::u16string, WordId> ids;
    std::map<std::u16string, std::set<WordId>> staticFolded;
    std::map<std::u16string, std::set<WordId>> addedFolded;
    int32_t staticCount = 0;

    // What Lexicon_FindId may answer: the exact id, else any static word equal
    // up to case, else any added one, else -1.
    std::set<WordId> Allowed(const std::u16string& text) const {
        auto exact = ids.find(text);
        if (exact != ids.end()) return {exact->second};
        const std::u16string folded = Folded(text);
        for (const auto* table : {&staticFolded, &addedFolded}) {
            auto match = table->find(folded);
            if (match != table->end()) return match->second;
        }
        return {-1};
    }
};

class LargeLexicon : public ::testing::TestWithParam<bool> {
  protected:
    static void SetUpTestSuite() {
        std::mt19937 random(77001);
        std::set<std::u16string> unique;
        while (static_cast<int>(unique.size()) < kStaticWords)
            unique.insert(RandomWord(random));
        std::vector<std::u16string> sorted(unique.begin(), unique.end());
        std::sort(sorted.begin(), sorted.end(), LexiconLess);
        std::u16string list;
        // Listed in set order, not lexicon order, with a few repeats.
        for (const std::u16string& word : unique)
            list += word + u"\r\n";
        for (int i = 0; i < 1000; i++)
            list += sorted[random() % sorted.size()] + u"\n";

        reference_ = new Reference;
        for (const std::u16string& word : sorted)
            AddToReference(word, &reference_->staticFolded);
        reference_->staticCount = kStaticWords;

        // The twin has the look-up index from the start, kept through the
        // additions; both must give the reference's answers, and the same ones.
        std::u16string twinList = list;
        lexicon_ = Lexicon_Create(nullptr, kAddedWords, kAddedWords * 14);
        blob_ = Lexicon_BuildBlob(lexicon_, list.data(), &blobSize_);
        indexed_ = Lexicon_Create(nullptr, kAddedWords, kAddedWords * 14);
        Lexicon_BuildBlob(indexed_, twinList.data(), nullptr);
        indexResult_ = Lexicon_BuildLookupIndex(indexed_);

        // Added words: new words, and case variants of static words.
        std::vector<std::u16string> added;
        while (static_cast<int>(added.size()) < kAddedWords) {
            std::u16string word = added.size() % 2 == 0
                                      ? RandomWord(random)
                                      : FlipCases(sorted[random() % sorted.size()], random);
            if (unique.insert(word).second) added.push_back(word);
        }
        std::u16string addList;
        for (const std::u16string& word : added)
            addList += word + u"\n";
        std::u16string twinAddList = addList;
        addedResult_ = Lexicon_AddWords(lexicon_, addList.data());
        twinAddedResult_ = Lexicon_AddWords(indexed_, twinAddList.data());
        std::sort(added.begin(), added.end(), LexiconLess);
        for (const std::u16string& word : added)
            AddToReference(word, &reference_->addedFolded);
    }

    static void TearDownTestSuite() {
        Lexicon_Destroy(lexicon_);
        Lexicon_Destroy(indexed_);
        delete reference_;
    }

    static void AddToReference(const std::u16string& word,
                               std::map<std::u16string, std::set<WordId>>* folded) {
        const WordId id = static_cast<WordId>(reference_->words.size());
        reference_->words.push_back(word);
        reference_->ids[word] = id;
        (*folded)[Folded(word)].insert(id);
    }

    // The lexicon under test: the plain one, or (parameter true) the twin with
    // the look-up index.
    const Lexicon* Subject() const { return GetParam() ? indexed_ : lexicon_; }

    static Lexicon* lexicon_;
    static Lexicon* indexed_;
    static int32_t indexResult_;
    static int32_t twinAddedResult_;
    static void* blob_;
    static int32_t blobSize_;
    static int32_t addedResult_;
    static Reference* reference_;
};

Lexicon* LargeLexicon::lexicon_ = nullptr;
Lexicon* LargeLexicon::indexed_ = nullptr;
int32_t LargeLexicon::indexResult_ = -1;
int32_t LargeLexicon::twinAddedResult_ = 0;
void* LargeLexicon::blob_ = nullptr;
int32_t LargeLexicon::blobSize_ = 0;
int32_t LargeLexicon::addedResult_ = 0;
Reference* LargeLexicon::reference_ = nullptr;

TEST_P(LargeLexicon, BuildsWithReferenceIds) {
    ASSERT_NE(blob_, nullptr);
    EXPECT_EQ(indexResult_, 0);
    EXPECT_EQ(Lexicon_HasLookupIndex(Subject()), GetParam() ? 1 : 0);
    EXPECT_EQ(Lexicon_GetStaticCount(Subject()), kStaticWords);
    EXPECT_EQ(GetParam() ? twinAddedResult_ : addedResult_, kAddedWords);
    EXPECT_EQ(Lexicon_GetAddedIdSpan(Subject()), kAddedWords);
    EXPECT_EQ(Lexicon_GetMaxWordLength(Subject()), 12);
    std::mt19937 random(5);
    for (int i = 0; i < kQueries; i++) {
        const WordId id = static_cast<WordId>(random() % reference_->words.size());
        ASSERT_EQ(Text(Subject(), id), reference_->words[static_cast<size_t>(id)]) << id;
    }
}

TEST_P(LargeLexicon, RandomQueriesMatchTheReference) {
    std::mt19937 random(6);
    const std::vector<std::u16string>& words = reference_->words;
    int folded = 0;
    int misses = 0;
    for (int i = 0; i < kQueries; i++) {
        const std::u16string& stored = words[random() % words.size()];
        std::u16string query;
        switch (random() % 3) {
            case 0:
                query = stored;
                break;
            case 1:
                query = FlipCases(stored, random);
                break;
            default:
                query = RandomWord(random);
                break;
        }
        const std::set<WordId> allowed = reference_->Allowed(query);
        const WordId id = Find(Subject(), query);
        ASSERT_EQ(allowed.count(id), 1u) << "query " << i << " got " << id;
        // Among case variants the index picks the word the searches pick.
        if (GetParam()) {
            ASSERT_EQ(id, Find(lexicon_, query)) << "query " << i;
        }
        if (reference_->ids.count(query) == 0) (id < 0 ? misses : folded)++;
    }
    // The mix really held case-folded hits and misses.
    EXPECT_GT(folded, kQueries / 10);
    EXPECT_GT(misses, kQueries / 20);
}

TEST_P(LargeLexicon, PrefixListingMatchesTheReference) {
    std::mt19937 random(7);
    const std::vector<std::u16string>& words = reference_->words;
    for (int i = 0; i < 30; i++) {
        const std::u16string& stored = words[random() % words.size()];
        const std::u16string key = FlipCases(stored.substr(0, 1 + random() % 3), random);
        const std::u16string foldedKey = Folded(key);
        std::vector<WordId> expected;
        for (size_t id = 0; id < words.size(); id++) {
            const std::u16string& word = words[id];
            if (word.size() < key.size()) continue;
            size_t i = 0;
            while (i < key.size() && Fold(word[i]) == foldedKey[i])
                i++;
            if (i == key.size()) expected.push_back(static_cast<WordId>(id));
        }
        // Static ids come by length and id; added ones by length and lexicon
        // order, which is their id order too because they came in one batch.
        const int32_t total = static_cast<int32_t>(expected.size());
        EXPECT_EQ(Lexicon_ListPrefix(Subject(), key.c_str(), nullptr, INT32_MAX), total);
        std::vector<WordId> listed(expected.size() + 1, -7);
        ASSERT_EQ(Lexicon_ListPrefix(Subject(), key.c_str(), listed.data(), total + 1), total);
        listed.pop_back();
        ASSERT_EQ(listed, expected);
    }
}

TEST_P(LargeLexicon, StoredBlobGivesTheSameIds) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const size_t size = static_cast<size_t>(blobSize_);
    ASSERT_EQ(std::fwrite(blob_, 1, size, file), size);
    std::rewind(file);
    std::vector<uint32_t> stored(size / 4);
    ASSERT_EQ(std::fread(stored.data(), 1, size, file), size);
    std::fclose(file);

    LexiconPtr attached = MakeLexicon();
    ASSERT_EQ(Lexicon_AttachBlob(attached.get(), stored.data()), kStaticWords);
    if (GetParam()) {
        ASSERT_EQ(Lexicon_BuildLookupIndex(attached.get()), 0);
    }
    std::mt19937 random(8);
    for (int i = 0; i < kQueries / 4; i++) {
        const WordId id = static_cast<WordId>(random() % kStaticWords);
        const std::u16string& word = reference_->words[static_cast<size_t>(id)];
        ASSERT_EQ(Find(attached.get(), word), id);
        ASSERT_EQ(Text(attached.get(), id), word);
    }
}

INSTANTIATE_TEST_SUITE_P(LookupIndex, LargeLexicon, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "WithIndex" : "Searches";
                         });

}  // namespace
}  // namespace vantir
