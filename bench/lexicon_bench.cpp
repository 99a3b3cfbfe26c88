// Lexicon look-ups and builds against the structures a user would pick instead:
// a reserved std::unordered_map, a marisa-trie, a vector of strings, sort + unique.
#include <marisa.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "bench/bench_support.h"
#include "bench/suite.h"
#include "vantir/lexicon.h"
#include "vantir/vantir.hpp"

namespace vantir::bench {

namespace {

constexpr uint64_t kLexiconSeed = 0x1E71C0Au;
constexpr size_t kQueryCount = 4096;  // a power of two: queries are cycled by mask
constexpr char16_t kFirstHan = 0x4E00;
constexpr uint32_t kHanCount = 0x9FA5 - 0x4E00 + 1;
constexpr int32_t kLongestQuery = 64;
// Share of generated words that carry ASCII letters or digits (route and
// building names, "MRT", "B1"); only they can be looked up case-folded.
constexpr double kAsciiShare = 0.15;
// Han words: cumulative shares of the lengths 1 to 5; longer ones take 6 to 8.
constexpr double kHanLengthShares[] = {0.03, 0.38, 0.75, 0.90, 0.95};
constexpr uint32_t kLongHanWordSpread = 3;

using ExactMap = std::unordered_map<CountedU16String, int32_t, U16Hash, U16Equal,
                                    CountingAllocator<std::pair<const CountedU16String, int32_t>>>;
using WordVector = std::vector<CountedU16String, CountingAllocator<CountedU16String>>;

// Han words of mostly two to four characters, and some mixed-case ASCII names.
std::u16string GenerateWord(Rng& rng) {
    std::u16string word;
    if (rng.Unit() >= kAsciiShare) {
        const double r = rng.Unit();
        int length = 1;
        while (length <= static_cast<int>(std::size(kHanLengthShares)) &&
               r >= kHanLengthShares[length - 1]) {
            ++length;
        }
        if (length > static_cast<int>(std::size(kHanLengthShares))) {
            length += static_cast<int>(rng.Below(kLongHanWordSpread));
        }
        for (int i = 0; i < length; ++i)
            word.push_back(static_cast<char16_t>(kFirstHan + rng.Below(kHanCount)));
        return word;
    }
    if (rng.Below(3) == 0) word.push_back(static_cast<char16_t>(kFirstHan + rng.Below(kHanCount)));
    const int length = 2 + static_cast<int>(rng.Below(8));
    for (int i = 0; i < length; ++i) {
        if (rng.Below(10) < 7) {
            const char16_t letter = static_cast<char16_t>(u'a' + rng.Below(26));
            word.push_back(rng.Below(2) == 0 ? letter : static_cast<char16_t>(letter - 32));
        } else {
            word.push_back(static_cast<char16_t>(u'0' + rng.Below(10)));
        }
    }
    return word;
}

std::u16string SwapAsciiCase(const std::u16string& word) {
    std::u16string out = word;
    for (char16_t& unit : out) {
        if (unit >= u'a' && unit <= u'z') {
            unit = static_cast<char16_t>(unit - 32);
        } else if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit + 32);
        }
    }
    return out;
}

bool HasLetter(const std::u16string& word) {
    return std::any_of(word.begin(), word.end(), [](char16_t u) {
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    });
}

// NUL-terminated query texts with the id each must give (-1 for a miss).
struct QuerySet {
    std::vector<char16_t> units;
    std::vector<const char16_t*> texts;
    std::vector<WordId> expected;

    void Add(const std::u16string& text, WordId id) {
        offsets.push_back(units.size());
        units.insert(units.end(), text.begin(), text.end());
        units.push_back(0);
        expected.push_back(id);
    }
    void Seal() {
        for (size_t offset : offsets)
            texts.push_back(units.data() + offset);
    }
    std::vector<size_t> offsets;
};

// A marisa-trie cannot hold values, so its key ids map to the lexicon's ids.
struct TriePeer {
    marisa::Trie trie;
    std::vector<int32_t> ids;
    mutable marisa::Agent agent;

    void Build(const std::vector<std::pair<std::u16string, int32_t>>& entries) {
        marisa::Keyset keys;
        for (const auto& [text, id] : entries) {
            keys.push_back(reinterpret_cast<const char*>(text.data()), text.size() * 2);
        }
        trie.build(keys);
        ids.assign(entries.size(), -1);
        for (size_t i = 0; i < entries.size(); ++i)
            ids[keys[i].id()] = entries[i].second;
    }
    int32_t Find(const char16_t* text, size_t n) const {
        agent.set_query(reinterpret_cast<const char*>(text), n * 2);
        return trie.lookup(agent) ? ids[agent.key().id()] : -1;
    }
    size_t Bytes() const { return trie.total_size() + ids.size() * sizeof(int32_t); }
};

struct LexiconData {
    int32_t size = 0;
    std::vector<std::u16string> words;  // distinct, in word-list order
    std::u16string wordList;            // the same words, one a line
    Lexicon* lexicon = nullptr;
    int32_t blobBytes = 0;
    // The same blob attached to a second lexicon that has the look-up index.
    Lexicon* indexed = nullptr;
    int32_t indexBytes = 0;

    // Peers, with the same answers: exact match first, then ASCII-case-folded.
    ExactMap exact;
    ExactMap folded;
    size_t exactMapBytes = 0;
    TriePeer exactTrie;
    TriePeer foldedTrie;
    WordVector byId;
    size_t vectorBytes = 0;

    QuerySet hitExact;
    QuerySet hitFolded;
    QuerySet miss;
    std::vector<WordId> idQueries;

    ~LexiconData() {
        Lexicon_Destroy(indexed);
        Lexicon_Destroy(lexicon);
    }
};

void BuildOurs(LexiconData& d) {
    for (const std::u16string& word : d.words) {
        d.wordList += word;
        d.wordList.push_back(u'\n');
    }
    std::u16string list = d.wordList;
    list.push_back(0);
    d.lexicon = Lexicon_Create(nullptr, 0, 0);
    void* blob = Lexicon_BuildBlob(d.lexicon, list.data(), &d.blobBytes);
    if (blob == nullptr) Die("Lexicon_BuildBlob failed");
    if (Lexicon_GetStaticCount(d.lexicon) != d.size) Die("lexicon lost words");
    d.indexed = Lexicon_Create(nullptr, 0, 0);
    if (Lexicon_AttachBlob(d.indexed, blob) != d.size || Lexicon_BuildLookupIndex(d.indexed) != 0) {
        Die("the look-up index could not be built");
    }
    d.indexBytes = Lexicon_EstimateLookupIndex(d.size, 0);
}

void BuildPeers(LexiconData& d) {
    std::vector<std::pair<std::u16string, int32_t>> exactEntries;
    std::unordered_map<std::u16string, int32_t> foldedIds;  // -2: two words fold alike
    d.byId.resize(d.size);
    size_t before = CountedHeapBytes();
    d.exact.reserve(d.words.size());
    for (const std::u16string& word : d.words) {
        const WordId id = Lexicon_FindId(d.lexicon, word.c_str());
        d.exact.emplace(CountedU16String(word.begin(), word.end()), id);
        exactEntries.emplace_back(word, id);
        auto [at, fresh] = foldedIds.emplace(FoldAscii(word), id);
        if (!fresh) at->second = -2;
    }
    d.exactMapBytes = CountedHeapBytes() - before;
    std::vector<std::pair<std::u16string, int32_t>> foldedEntries(foldedIds.begin(),
                                                                  foldedIds.end());
    d.folded.reserve(foldedEntries.size());
    for (const auto& [text, id] : foldedEntries)
        d.folded.emplace(CountedU16String(text.begin(), text.end()), id);
    d.exactTrie.Build(exactEntries);
    d.foldedTrie.Build(foldedEntries);

    before = CountedHeapBytes();
    WordVector byId;
    byId.resize(d.size);
    for (const auto& [text, id] : exactEntries)
        byId[id] = CountedU16String(text.begin(), text.end());
    d.vectorBytes = CountedHeapBytes() - before;
    d.byId = std::move(byId);
}

void BuildQueries(LexiconData& d, Rng& rng, const std::unordered_set<std::u16string>& stored) {
    std::vector<size_t> foldable;
    for (size_t i = 0; i < d.words.size(); ++i) {
        if (!HasLetter(d.words[i])) continue;
        const std::u16string swapped = SwapAsciiCase(d.words[i]);
        auto folded = d.folded.find(std::u16string_view(FoldAscii(d.words[i])));
        if (folded->second >= 0 && stored.count(swapped) == 0) foldable.push_back(i);
    }
    if (foldable.empty()) Die("no case-folded queries");
    for (size_t q = 0; q < kQueryCount; ++q) {
        const std::u16string& word = d.words[rng.Below(static_cast<uint32_t>(d.words.size()))];
        d.hitExact.Add(word, d.exact.find(std::u16string_view(word))->second);
        const std::u16string& letters =
            d.words[foldable[rng.Below(static_cast<uint32_t>(foldable.size()))]];
        d.hitFolded.Add(SwapAsciiCase(letters), d.exact.find(std::u16string_view(letters))->second);
        std::u16string absent;
        do {
            absent = GenerateWord(rng);
        } while (stored.count(absent) != 0 ||
                 d.folded.count(std::u16string_view(FoldAscii(absent))) != 0);
        d.miss.Add(absent, -1);
        d.idQueries.push_back(static_cast<WordId>(rng.Below(static_cast<uint32_t>(d.size))));
    }
    d.hitExact.Seal();
    d.hitFolded.Seal();
    d.miss.Seal();
}

int32_t MapFind(const LexiconData& d, const char16_t* text) {
    const size_t n = std::char_traits<char16_t>::length(text);
    auto hit = d.exact.find(std::u16string_view(text, n));
    if (hit != d.exact.end()) return hit->second;
    char16_t folded[kLongestQuery];
    for (size_t i = 0; i < n; ++i) {
        const char16_t unit = text[i];
        folded[i] = unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
    }
    auto loose = d.folded.find(std::u16string_view(folded, n));
    return loose == d.folded.end() ? -1 : loose->second;
}

int32_t TrieFind(const LexiconData& d, const char16_t* text) {
    const size_t n = std::char_traits<char16_t>::length(text);
    const int32_t id = d.exactTrie.Find(text, n);
    if (id >= 0) return id;
    char16_t folded[kLongestQuery];
    for (size_t i = 0; i < n; ++i) {
        const char16_t unit = text[i];
        folded[i] = unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
    }
    return d.foldedTrie.Find(folded, n);
}

// Every implementation must give every query its expected id before it is timed.
void CheckAnswers(const LexiconData& d) {
    for (const QuerySet* set : {&d.hitExact, &d.hitFolded, &d.miss}) {
        for (size_t q = 0; q < set->texts.size(); ++q) {
            const WordId want = set->expected[q];
            if (Lexicon_FindId(d.lexicon, set->texts[q]) != want ||
                Lexicon_FindId(d.indexed, set->texts[q]) != want ||
                MapFind(d, set->texts[q]) != want || TrieFind(d, set->texts[q]) != want) {
                Die("lexicon implementations disagree on query " + ToUtf8(set->texts[q]));
            }
        }
    }
}

std::unique_ptr<LexiconData> MakeLexiconData(int32_t size) {
    auto d = std::make_unique<LexiconData>();
    d->size = size;
    Rng rng(kLexiconSeed + static_cast<uint64_t>(size));
    std::unordered_set<std::u16string> stored;
    stored.reserve(static_cast<size_t>(size) * 2);
    while (d->words.size() < static_cast<size_t>(size)) {
        std::u16string word = GenerateWord(rng);
        if (stored.insert(word).second) d->words.push_back(std::move(word));
    }
    BuildOurs(*d);
    BuildPeers(*d);
    BuildQueries(*d, rng, stored);
    CheckAnswers(*d);
    return d;
}

// One size's data at a time: every benchmark of a size runs before the next size.
LexiconData& DataFor(int32_t size) {
    static std::unique_ptr<LexiconData> current;
    if (!current || current->size != size) {
        current.reset();
        current = MakeLexiconData(size);
    }
    return *current;
}

template <typename Find>
void TimeFind(benchmark::State& state, const QuerySet& set, Find find) {
    size_t q = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(find(set.texts[q]));
        q = (q + 1) & (kQueryCount - 1);
    }
}

void RegisterFindId(const BenchOptions& options, int32_t size) {
    const std::vector<std::pair<std::string, QuerySet LexiconData::*>> cases = {
        {"hit_exact", &LexiconData::hitExact},
        {"hit_folded", &LexiconData::hitFolded},
        {"miss", &LexiconData::miss}};
    for (const auto& [variant, member] : cases) {
        const std::string row = "lexicon.find_id";
        Register(options, row, variant, "ours", size, [size, member](benchmark::State& state) {
            LexiconData& d = DataFor(size);
            TimeFind(state, d.*member,
                     [&d](const char16_t* text) { return Lexicon_FindId(d.lexicon, text); });
            state.counters[kBytesPerItem] = static_cast<double>(d.blobBytes) / d.size;
        });
        Register(
            options, row, variant, "unordered_map", size, [size, member](benchmark::State& state) {
                LexiconData& d = DataFor(size);
                TimeFind(state, d.*member, [&d](const char16_t* text) { return MapFind(d, text); });
                state.counters[kBytesPerItem] = static_cast<double>(d.exactMapBytes) / d.size;
            });
        Register(options, row, variant, "marisa", size, [size, member](benchmark::State& state) {
            LexiconData& d = DataFor(size);
            TimeFind(state, d.*member, [&d](const char16_t* text) { return TrieFind(d, text); });
            state.counters[kBytesPerItem] = static_cast<double>(d.exactTrie.Bytes()) / d.size;
        });
        // With the look-up index (Lexicon_BuildLookupIndex): the blob and the
        // index against the same peers and against the plain searches.
        const std::string indexedRow = "lexicon.find_id_indexed";
        Register(
            options, indexedRow, variant, "ours", size, [size, member](benchmark::State& state) {
                LexiconData& d = DataFor(size);
                TimeFind(state, d.*member,
                         [&d](const char16_t* text) { return Lexicon_FindId(d.indexed, text); });
                state.counters[kBytesPerItem] =
                    static_cast<double>(d.blobBytes + d.indexBytes) / d.size;
            });
        for (const char* peer : {"unordered_map", "searches"}) {
            const bool map = std::string(peer) == "unordered_map";
            Register(options, indexedRow, variant, peer, size,
                     [size, member, map](benchmark::State& state) {
                         LexiconData& d = DataFor(size);
                         if (map) {
                             TimeFind(state, d.*member,
                                      [&d](const char16_t* text) { return MapFind(d, text); });
                             state.counters[kBytesPerItem] =
                                 static_cast<double>(d.exactMapBytes) / d.size;
                         } else {
                             TimeFind(state, d.*member, [&d](const char16_t* text) {
                                 return Lexicon_FindId(d.lexicon, text);
                             });
                         }
                     });
        }
    }
}

void RegisterGetWordText(const BenchOptions& options, int32_t size) {
    const std::string row = "lexicon.get_word_text";
    Register(options, row, "random_id", "ours", size, [size](benchmark::State& state) {
        LexiconData& d = DataFor(size);
        char16_t buffer[kLongestQuery + 1];
        size_t q = 0;
        for (auto _ : state) {
            benchmark::DoNotOptimize(Lexicon_GetWordText(d.lexicon, d.idQueries[q], buffer));
            benchmark::ClobberMemory();
            q = (q + 1) & (kQueryCount - 1);
        }
        state.counters[kBytesPerItem] = static_cast<double>(d.blobBytes) / d.size;
    });
    Register(options, row, "random_id", "vector", size, [size](benchmark::State& state) {
        LexiconData& d = DataFor(size);
        char16_t buffer[kLongestQuery + 1];
        size_t q = 0;
        for (auto _ : state) {
            const CountedU16String& word = d.byId[d.idQueries[q]];
            std::memcpy(buffer, word.data(), word.size() * sizeof(char16_t));
            buffer[word.size()] = 0;
            benchmark::DoNotOptimize(word.size());
            benchmark::ClobberMemory();
            q = (q + 1) & (kQueryCount - 1);
        }
        state.counters[kBytesPerItem] = static_cast<double>(d.vectorBytes) / d.size;
    });
}

// A build consumes its word list and its lexicon, so each round gets fresh ones
// outside the timed region.
void RegisterBuildBlob(const BenchOptions& options, int32_t size) {
    const std::string row = "lexicon.build_blob";
    Register(options, row, "word_list", "ours", size, [size](benchmark::State& state) {
        LexiconData& d = DataFor(size);
        for (auto _ : state) {
            state.PauseTiming();
            std::u16string list = d.wordList;
            list.push_back(0);
            Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
            state.ResumeTiming();
            benchmark::DoNotOptimize(Lexicon_BuildBlob(lexicon, list.data(), nullptr));
            state.PauseTiming();
            Lexicon_Destroy(lexicon);
            list = std::u16string();
            state.ResumeTiming();
        }
    });
    Register(options, row, "word_list", "sort_unique", size, [size](benchmark::State& state) {
        LexiconData& d = DataFor(size);
        for (auto _ : state) {
            state.PauseTiming();
            std::vector<std::u16string> words = d.words;
            state.ResumeTiming();
            std::sort(words.begin(), words.end());
            words.erase(std::unique(words.begin(), words.end()), words.end());
            benchmark::DoNotOptimize(words.data());
            state.PauseTiming();
            words = std::vector<std::u16string>();
            state.ResumeTiming();
        }
    });
}

}  // namespace

void RegisterLexiconBenchmarks(const BenchOptions& options) {
    for (int64_t size : SizesFor(options, {1000, 10000, 100000, 1000000})) {
        RegisterFindId(options, static_cast<int32_t>(size));
        RegisterGetWordText(options, static_cast<int32_t>(size));
        RegisterBuildBlob(options, static_cast<int32_t>(size));
    }
}

}  // namespace vantir::bench
