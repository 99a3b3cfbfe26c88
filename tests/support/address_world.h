// A small address world for intake tests: a lexicon, a bigram model and an
// "ADDR" database built from a word-to-tags table, bound to one filter session.
#ifndef VANTIR_TESTS_ADDRESS_WORLD_H
#define VANTIR_TESTS_ADDRESS_WORLD_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "address/address_db_writer.h"
#include "filter/session.h"
#include "vantir/vantir.hpp"

namespace vantir::testing {

// Texts in tests are UTF-8 (readable in failure messages); the library sees
// UTF-16, converted both ways by the C++ layer's ToUtf16 and ToUtf8.
inline std::u16string Utf16(const std::string& text) {
    Expected<std::u16string> wide = ToUtf16(text);
    EXPECT_TRUE(wide.has_value()) << wide.error().message;
    return wide ? *wide : std::u16string();
}

// One text and what a rewrite of it must give.
struct RewriteCase {
    const char* text;
    const char* expected;
};

// Runs `rewrite` (UTF-8 in, UTF-8 out) over each case.
template <typename Rewrite>
void ExpectRewrites(Rewrite rewrite, std::initializer_list<RewriteCase> cases) {
    for (const RewriteCase& c : cases)
        EXPECT_EQ(rewrite(c.text), c.expected) << "rewriting " << c.text;
}

struct WordEntry {
    std::string text;
    std::vector<uint8_t> tags;
};

struct PairEntry {
    std::string first;
    std::string second;
    int32_t score;  // 0 .. -255; a pair not set fails every test in strict mode
};

struct IdPair {
    WordId first;
    WordId second;
    int32_t score;
};

constexpr int32_t kWorldPairCapacity = 8192;

// Lexicon ids follow lexicon order, so tags and pairs are given by text and
// resolved after the build. Ids past the lexicon words ("textless" words) are
// covered by the model and the database but have no text. A model may be made
// to cover fewer ids than the lexicon has (`uncoveredWords`): the last words
// in lexicon order then have no row in the model.
class AddressWorld {
  public:
    AddressWorld(const std::vector<WordEntry>& words, const std::vector<RegionPair>& regions,
                 const std::vector<std::vector<uint8_t>>& textlessTags = {},
                 int32_t uncoveredWords = 0) {
        lexicon = Lexicon_Create(nullptr, 0, 0);
        std::u16string list;
        for (const WordEntry& word : words)
            list += Utf16(word.text) + u"\n";
        list.push_back(0);
        EXPECT_NE(Lexicon_BuildBlob(lexicon, list.data(), nullptr), nullptr);
        lexiconWords = Lexicon_GetStaticCount(lexicon);

        AddressDbSource source;
        source.wordTags.resize(lexiconWords + textlessTags.size());
        for (const WordEntry& word : words)
            source.wordTags[Id(word.text)] = word.tags;
        for (size_t k = 0; k < textlessTags.size(); ++k) {
            source.wordTags[lexiconWords + k] = textlessTags[k];
        }
        source.regionPairs = regions;
        addressDb = WriteAddressDb(source);

        model = BigramModel_Create(nullptr);
        modelWords = static_cast<int32_t>(source.wordTags.size()) - uncoveredWords;
        EXPECT_NE(BigramModel_NewBlob(model, modelWords, kWorldPairCapacity, nullptr), nullptr);
        session = Vantir_Init(model, lexicon, addressDb.data());
        EXPECT_NE(session, nullptr);
    }
    ~AddressWorld() {
        Vantir_Release(session);
        BigramModel_Destroy(model);
        Lexicon_Destroy(lexicon);
    }
    AddressWorld(const AddressWorld&) = delete;
    AddressWorld& operator=(const AddressWorld&) = delete;

    WordId Id(const std::string& text) const {
        const WordId id = Lexicon_FindId(lexicon, Utf16(text).c_str());
        EXPECT_GE(id, 0) << "no word " << text;
        return id;
    }
    // What the address layer's routines see of the session.
    AddressContext Context() const { return {&session->addressView, lexicon, model}; }

    // The k-th word without text.
    WordId Textless(int32_t k) const { return lexiconWords + k; }

    void SetPairs(const std::vector<PairEntry>& pairs) {
        std::vector<IdPair> ids;
        for (const PairEntry& pair : pairs) {
            ids.push_back({Id(pair.first), Id(pair.second), pair.score});
        }
        SetIdPairs(ids);
    }

    // New pairs must reach the model in ascending order, each once.
    void SetIdPairs(std::vector<IdPair> pairs) {
        auto key = [](const IdPair& p) { return std::tie(p.first, p.second); };
        std::stable_sort(pairs.begin(), pairs.end(),
                         [&](const IdPair& a, const IdPair& b) { return key(a) < key(b); });
        std::vector<WordId> first;
        std::vector<WordId> second;
        std::vector<int32_t> scores;
        for (size_t i = 0; i < pairs.size(); ++i) {
            if (i + 1 < pairs.size() && key(pairs[i]) == key(pairs[i + 1])) continue;
            first.push_back(pairs[i].first);
            second.push_back(pairs[i].second);
            scores.push_back(pairs[i].score);
        }
        const int32_t n = static_cast<int32_t>(first.size());
        EXPECT_EQ(BigramModel_SetBigramScores(model, first.data(), second.data(), scores.data(), n),
                  n);
    }

    int32_t AddIds(const std::vector<WordId>& ids) {
        return Vantir_AddRecogResult(session, ids.data(), 0, 0, 0,
                                     static_cast<int32_t>(ids.size()));
    }
    int32_t Add(const std::vector<std::string>& texts) {
        std::vector<WordId> ids;
        for (const std::string& text : texts)
            ids.push_back(Id(text));
        return AddIds(ids);
    }

    // The listed texts in rank order, read the way a host does: size first.
    std::vector<std::string> Results() {
        int32_t count = 1000;
        const int32_t units = Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
        std::vector<char16_t> buffer(units > 0 ? units : 1);
        int32_t again = count;
        EXPECT_EQ(Vantir_GetFilterResult(session, buffer.data(), 0, 0, &again), units);
        std::vector<std::string> texts;
        const char16_t* at = buffer.data();
        for (int32_t i = 0; i < count; ++i) {
            const std::u16string text(at);
            texts.push_back(ToUtf8(text));
            at += text.size() + 1;
        }
        return texts;
    }

    Lexicon* lexicon = nullptr;
    BigramModel* model = nullptr;
    std::vector<uint8_t> addressDb;
    FilterSession* session = nullptr;
    int32_t lexiconWords = 0;
    int32_t modelWords = 0;
};

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_ADDRESS_WORLD_H
