// The region index against the scan of the table it replaces: every completion,
// listing and weighing of the sample data and of a large made-up table agrees.
#include "address/region_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "address/address_db_writer.h"
#include "address/evidence_reading.h"
#include "address/region_completion.h"
#include "address/tag_codes.h"
#include "filter/session.h"
#include "support/address_world.h"
#include "tools/compile/data_build.h"

namespace vantir::testing {
namespace {

// An index built beside a context that has none, in storage the test owns.
class IndexedContext {
  public:
    explicit IndexedContext(const AddressContext& scan)
        : area_(RegionIndexBytes(scan.db->regionPairCount) / sizeof(uint64_t) + 1), context_(scan) {
        RegionIndex* index = PlaceRegionIndex(area_.data(), scan.db->regionPairCount);
        ResolveRegionIndex(index, *scan.db, scan.lexicon, scan.model);
        context_.regionIndex = index;
    }
    const AddressContext& Get() const { return context_; }
    RegionIndex* Index() { return reinterpret_cast<RegionIndex*>(area_.data()); }

  private:
    std::vector<uint64_t> area_;
    AddressContext context_;
};

std::vector<WordId> Listing(const AddressContext& context, WordId upper, WordId trigger,
                            int32_t capacity) {
    std::vector<WordId> candidates(kMaxRegionCandidates, -7);
    const WordId kept[] = {upper, trigger, -1};
    BigramModel_SetBackoffMode(context.model);
    const int32_t backoff = BigramModel_GetMode(context.model);
    const int32_t found = ListRegionCandidates(context, kept, candidates.data(), capacity);
    EXPECT_EQ(BigramModel_GetMode(context.model), backoff) << "left in strict mode";
    candidates.resize(static_cast<size_t>(found));
    return candidates;
}

// [a, t] and [a, b, t] through completion: the count and the rewritten words.
std::vector<WordId> Completion(const AddressContext& context, std::vector<WordId> words) {
    const int32_t n = static_cast<int32_t>(words.size());
    words.resize(3, -9);
    BigramModel_SetStrictMode(context.model);
    const int32_t kept = CompleteRegion(context, words.data(), n);
    BigramModel_SetBackoffMode(context.model);
    words.push_back(kept);
    return words;
}

using Weighing = int32_t (*)(const AddressContext&, WordId, WordId, RegionChoice*);

std::vector<std::pair<WordId, double>> Choices(const AddressContext& context, Weighing weigh,
                                               WordId region, WordId road) {
    RegionChoice choices[kMaxRegionChoices];
    BigramModel_SetStrictMode(context.model);
    const int32_t count = weigh(context, region, road, choices);
    BigramModel_SetBackoffMode(context.model);
    std::vector<std::pair<WordId, double>> out;
    for (int32_t i = 0; i < count; ++i)
        out.emplace_back(choices[i].word, choices[i].weight);
    return out;
}

// Every answer of the region routines, the scan's and the index's, for the
// given region words and triggers (roads). Counts in *listings the listings
// that were not empty, so a caller can tell that it saw real candidates.
void ExpectSameAnswers(const AddressContext& scan, const AddressContext& indexed,
                       const std::vector<WordId>& regions, const std::vector<WordId>& roads,
                       int32_t* listings) {
    for (uint32_t pair = 0; pair < scan.db->regionPairCount; ++pair) {
        for (RegionSide side : {RegionSide::kUpper, RegionSide::kLower}) {
            ASSERT_EQ(RegionNameWordId(scan, side, pair), RegionNameWordId(indexed, side, pair))
                << "pair " << pair;
        }
    }
    *listings = 0;
    for (WordId region : regions) {
        ASSERT_EQ(FindLowerNameOfWord(scan, region), FindLowerNameOfWord(indexed, region))
            << "word " << region;
        for (int32_t most : {1, 2, 8}) {
            ASSERT_EQ(CountPairsOfLowerWord(scan, region, most),
                      CountPairsOfLowerWord(indexed, region, most))
                << "word " << region;
        }
        for (WordId road : roads) {
            for (int32_t capacity : {kMaxRegionCandidates, 2}) {
                const std::vector<WordId> listed = Listing(scan, region, road, capacity);
                ASSERT_EQ(listed, Listing(indexed, region, road, capacity))
                    << "upper " << region << " trigger " << road;
                *listings += listed.empty() ? 0 : 1;
            }
            ASSERT_EQ(Completion(scan, {region, road}), Completion(indexed, {region, road}));
            ASSERT_EQ(Completion(scan, {road, region, road}),
                      Completion(indexed, {road, region, road}));
            for (Weighing weigh : {&WeighCountiesOfDistrict, &WeighDistrictsOfCounty}) {
                ASSERT_EQ(Choices(scan, weigh, region, road), Choices(indexed, weigh, region, road))
                    << "region " << region << " road " << road;
            }
        }
        ASSERT_EQ(Choices(scan, &WeighCountiesOfDistrict, region, -1),
                  Choices(indexed, &WeighCountiesOfDistrict, region, -1));
    }
}

std::vector<WordId> WordsTagged(const AddressContext& context, WordId limit, int32_t tag) {
    std::vector<WordId> words;
    for (WordId word = 0; word < limit; ++word) {
        if (vantir::Tagged(context, word, tag)) words.push_back(word);
    }
    return words;
}

TEST(RegionIndex, SampleDataAnswersAsTheScan) {
    tools::Diagnostics diagnostics;
    tools::Progress progress;
    tools::BuiltData built =
        tools::BuildData(tools::ResolveBuildInputs(VANTIR_SOURCE_DIR "/data/tw-sample", {}),
                         tools::ModelOptions{}, diagnostics, progress);
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    BigramModel* model = BigramModel_Create(nullptr);
    ASSERT_GE(Lexicon_AttachBlob(lexicon, built.lexicon.data()), 0);
    ASSERT_EQ(BigramModel_AttachBlob(model, built.model.data()), 0);
    AddressDbView view;
    ParseAddressDb(built.address.data(), &view);
    const AddressContext scan{&view, lexicon, model};
    const IndexedContext indexed(scan);

    const WordId limit = static_cast<WordId>(ModelWordLimit(model));
    std::vector<WordId> regions = WordsTagged(scan, limit, kTagUpperHead);
    for (int32_t tag : {kTagLowerHead, kTagUpperFollower}) {
        for (WordId word : WordsTagged(scan, limit, tag))
            regions.push_back(word);
    }
    regions.push_back(-1);
    const std::vector<WordId> roads = WordsTagged(scan, limit, kTagCompletionTrigger);
    ASSERT_GT(view.regionPairCount, 300u);
    ASSERT_FALSE(roads.empty());
    int32_t listings = 0;
    ExpectSameAnswers(scan, indexed.Get(), regions, roads, &listings);
    EXPECT_GT(listings, 0);
    BigramModel_Destroy(model);
    Lexicon_Destroy(lexicon);
}

// A table of thousands of pairs: counties with 17 districts each, drawn from a
// small stock of district names that many counties share; some names no word,
// some only a case variant of a word, some too long to look up, duplicated
// pairs and an empty name. Ids past the lexicon are rows of the model that
// added words take.
struct ScaledTable {
    static constexpr int32_t kCounties = 240;
    static constexpr int32_t kDistrictsPerCounty = 17;
    static constexpr int32_t kDistrictStock = 400;
    static constexpr int32_t kRoads = 6;
    static constexpr int32_t kSpareRows = 8;

    Lexicon* lexicon = nullptr;
    BigramModel* model = nullptr;
    std::vector<uint8_t> blob;
    AddressDbView view{};
    std::vector<WordId> regions;
    std::vector<WordId> roads;

    static std::u16string County(int32_t c) { return u"C" + Utf16(std::to_string(c)) + u"縣"; }
    static std::u16string District(int32_t d) {
        return (d % 5 == 0 ? u"Ab" : u"D") + Utf16(std::to_string(d)) + u"區";
    }

    ScaledTable() {
        std::vector<std::u16string> words;
        for (int32_t c = 0; c < kCounties; ++c) {
            if (c % 13 != 7) words.push_back(County(c));  // some counties are no word
        }
        for (int32_t d = 0; d < kDistrictStock; ++d) {
            if (d % 11 == 3) continue;  // some districts are no word
            std::u16string text = District(d);
            if (d % 10 == 0) text[1] = u'B';  // "AB..": found only up to ASCII case
            words.push_back(text);
        }
        words.push_back(u"c1縣");  // a case variant of county 1 beside its exact word
        for (int32_t r = 0; r < kRoads; ++r)
            words.push_back(u"路" + Utf16(std::to_string(r)));
        std::u16string list;
        for (const std::u16string& word : words)
            list += word + u"\n";
        list.push_back(0);
        lexicon = Lexicon_Create(nullptr, kSpareRows, 256);
        EXPECT_NE(Lexicon_BuildBlob(lexicon, list.data(), nullptr), nullptr);
        const int32_t lexiconWords = Lexicon_GetStaticCount(lexicon);

        AddressDbSource source;
        source.wordTags.resize(static_cast<size_t>(lexiconWords + kSpareRows));
        for (int32_t c = 0; c < kCounties; ++c) {
            for (int32_t k = 0; k < kDistrictsPerCounty; ++k) {
                const int32_t d = (c * 7 + k * 23) % kDistrictStock;
                source.regionPairs.push_back({County(c), District(d)});
                if (k == 3 && c % 9 == 0) source.regionPairs.push_back({County(c), District(d)});
            }
        }
        source.regionPairs.push_back({County(1), u""});
        source.regionPairs.push_back({County(2), std::u16string(300, u'長')});
        source.regionPairs.push_back({u"c1縣", District(5)});
        for (WordId w = 0; w < lexiconWords + kSpareRows; ++w)
            source.wordTags[w] = {kTagUpperHead, kTagLowerHead, kTagUpperFollower};
        for (int32_t r = 0; r < kRoads; ++r) {
            source.wordTags[Id(u"路" + Utf16(std::to_string(r)))] = {kTagCompletionTrigger};
        }
        blob = WriteAddressDb(source);
        ParseAddressDb(blob.data(), &view);

        model = BigramModel_Create(nullptr);
        EXPECT_NE(BigramModel_NewBlob(model, lexiconWords + kSpareRows, 1 << 16, nullptr), nullptr);
        for (int32_t r = 0; r < kRoads; ++r)
            roads.push_back(Id(u"路" + Utf16(std::to_string(r))));
        SetScores(lexiconWords + kSpareRows);
        for (WordId w = -1; w < lexiconWords + kSpareRows; ++w) {
            if (std::find(roads.begin(), roads.end(), w) == roads.end()) regions.push_back(w);
        }
    }
    ~ScaledTable() {
        BigramModel_Destroy(model);
        Lexicon_Destroy(lexicon);
    }

    WordId Id(const std::u16string& text) const { return Lexicon_FindId(lexicon, text.c_str()); }

    // Every region word with every road, around the lowest passing score, and
    // every county with its districts, so that listings and weighings differ.
    void SetScores(WordId words) {
        std::vector<WordId> first;
        std::vector<WordId> second;
        std::vector<int32_t> scores;
        const int32_t kScoreSteps[] = {-254, -255, -256, -40, -120, -300, -254};
        for (WordId a = 0; a < words; ++a) {
            for (WordId b = 0; b < words; ++b) {
                const bool road = std::find(roads.begin(), roads.end(), b) != roads.end();
                if (!road && (a * 31 + b * 17) % 23 != 0) continue;
                first.push_back(a);
                second.push_back(b);
                scores.push_back(kScoreSteps[(a + 3 * b) % 7]);
            }
        }
        const int32_t n = static_cast<int32_t>(first.size());
        EXPECT_EQ(BigramModel_SetBigramScores(model, first.data(), second.data(), scores.data(), n),
                  n);
    }
};

TEST(RegionIndex, ScaledTableAnswersAsTheScanBeforeAndAfterAddedWords) {
    ScaledTable table;
    ASSERT_GT(table.view.regionPairCount, 4000u);
    const AddressContext scan{&table.view, table.lexicon, table.model};
    {
        const IndexedContext indexed(scan);
        int32_t listings = 0;
        ExpectSameAnswers(scan, indexed.Get(), table.regions, table.roads, &listings);
        EXPECT_GT(listings, 0);
    }
    // Names that were no word become added words (ids the model has rows for).
    std::u16string added = ScaledTable::County(7) + u"\n" + ScaledTable::District(3) + u"\n" +
                           ScaledTable::District(14) + u"\nab5區\n";
    added.push_back(0);
    ASSERT_EQ(Lexicon_AddWords(table.lexicon, added.data()), 4);
    ASSERT_GE(table.Id(ScaledTable::County(7)), 0);
    const IndexedContext indexed(scan);
    int32_t listings = 0;
    ExpectSameAnswers(scan, indexed.Get(), table.regions, table.roads, &listings);
    EXPECT_GT(listings, 0);
}

TEST(RegionIndex, ResolvedIndexIsStaleAfterEveryLexiconEdit) {
    ScaledTable table;
    const AddressContext scan{&table.view, table.lexicon, table.model};
    IndexedContext indexed(scan);
    EXPECT_TRUE(RegionIndexIsCurrent(*indexed.Index(), table.lexicon, table.model));
    std::u16string word = u"新詞\n";
    word.push_back(0);
    ASSERT_EQ(Lexicon_AddWords(table.lexicon, word.data()), 1);
    EXPECT_FALSE(RegionIndexIsCurrent(*indexed.Index(), table.lexicon, table.model));
    ResolveRegionIndex(indexed.Index(), table.view, table.lexicon, table.model);
    EXPECT_TRUE(RegionIndexIsCurrent(*indexed.Index(), table.lexicon, table.model));
    ASSERT_EQ(Lexicon_RemoveWords(table.lexicon, word.data()), 1);
    EXPECT_FALSE(RegionIndexIsCurrent(*indexed.Index(), table.lexicon, table.model));
    ResolveRegionIndex(indexed.Index(), table.view, table.lexicon, table.model);
    std::vector<int32_t> map(static_cast<size_t>(Lexicon_GetAddedIdSpan(table.lexicon)) + 1);
    Lexicon_Renumber(table.lexicon, map.data());
    EXPECT_FALSE(RegionIndexIsCurrent(*indexed.Index(), table.lexicon, table.model));
}

// A session made before the lexicon learnt a district's name answers as one
// made after: its index is resolved again on the next hypothesis.
TEST(RegionIndex, SessionSeesWordsAddedAfterItsCreation) {
    ScaledTable table;
    FilterSession* before = Vantir_Init(table.model, table.lexicon, table.blob.data());
    ASSERT_NE(before, nullptr);
    const WordId county = table.Id(ScaledTable::County(0));
    auto listing = [&](FilterSession* session) {
        Vantir_Reset(session);
        for (WordId road : table.roads) {
            const WordId ids[] = {county, road};
            EXPECT_EQ(Vantir_AddRecogResult(session, ids, 0, 0, 0, 2), 0);
        }
        int32_t count = 1000;
        std::vector<char16_t> out(
            static_cast<size_t>(Vantir_GetFilterResult(session, nullptr, 0, 0, &count) + 1));
        Vantir_GetFilterResult(session, out.data(), 0, 0, &count);
        return out;
    };
    const std::vector<char16_t> old = listing(before);
    // County 0 lists district 69 (0 * 7 + 3 * 23), which is no word yet.
    std::u16string added = ScaledTable::District(69) + u"\n";
    added.push_back(0);
    ASSERT_EQ(Lexicon_AddWords(table.lexicon, added.data()), 1);
    const WordId district = table.Id(ScaledTable::District(69));
    for (WordId road : table.roads) {
        WordId first[] = {district};
        WordId second[] = {road};
        int32_t score[] = {-40};
        ASSERT_EQ(BigramModel_SetBigramScores(table.model, first, second, score, 1), 1);
    }
    FilterSession* after = Vantir_Init(table.model, table.lexicon, table.blob.data());
    ASSERT_NE(after, nullptr);
    const std::vector<char16_t> fresh = listing(after);
    EXPECT_NE(old, fresh);
    EXPECT_EQ(listing(before), fresh);
    Vantir_Release(before);
    Vantir_Release(after);
}

}  // namespace
}  // namespace vantir::testing
