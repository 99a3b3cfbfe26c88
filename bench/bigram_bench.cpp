// Bigram pair scoring against a std::unordered_map keyed by the pair, and pair
// additions by merge against rebuilding every row from scratch.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "bench/bench_support.h"
#include "bench/suite.h"
#include "vantir/bigram.h"

namespace vantir::bench {

namespace {

constexpr uint64_t kBigramSeed = 0xB16A4u;
// Random pairs over the whole model, more than any cache holds at the largest size.
constexpr size_t kQueryCount = size_t{1} << 20;
constexpr int32_t kMeanRowLength = 10;
constexpr int32_t kFewestWords = 64;
// Row lengths vary like a word's frequency: log-normal weights of this spread.
constexpr double kRowSpread = 1.2;
constexpr int32_t kNotListed = -10000;

using PairMap = std::unordered_map<uint64_t, uint8_t, std::hash<uint64_t>, std::equal_to<uint64_t>,
                                   CountingAllocator<std::pair<const uint64_t, uint8_t>>>;
using ByteVector = std::vector<uint8_t, CountingAllocator<uint8_t>>;

uint64_t PairKey(int32_t first, int32_t second) {
    return uint64_t{static_cast<uint32_t>(first)} << 32 | static_cast<uint32_t>(second);
}

struct PairQuery {
    WordId first;
    WordId second;
};

// Listed pairs in ascending (first, second) order, as BigramModel_SetBigramScores wants them.
struct PairList {
    std::vector<WordId> first;
    std::vector<WordId> second;
    std::vector<int32_t> scores;
};

double Gaussian(Rng& rng) {
    const double u = std::max(rng.Unit(), 1e-12);
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * rng.Unit());
}

int32_t WordsFor(int64_t pairs) {
    return static_cast<int32_t>(std::max<int64_t>(kFewestWords, pairs / kMeanRowLength));
}

// Rows of words -1 .. words-1 with skewed lengths that add up to `pairs`.
PairList GeneratePairs(Rng& rng, int32_t words, int64_t pairs) {
    const int64_t rows = int64_t{words} + 1;
    const int64_t longest = std::max<int64_t>(1, words / 2);
    std::vector<double> weight(rows);
    double total = 0;
    for (double& w : weight) {
        w = std::exp(kRowSpread * Gaussian(rng));
        total += w;
    }
    std::vector<int64_t> length(rows);
    int64_t assigned = 0;
    for (int64_t r = 0; r < rows; ++r) {
        length[r] = std::min(longest, static_cast<int64_t>(pairs * weight[r] / total));
        assigned += length[r];
    }
    while (assigned < pairs) {
        const int64_t r = rng.Below(static_cast<uint32_t>(rows));
        if (length[r] < longest) {
            ++length[r];
            ++assigned;
        }
    }
    PairList list;
    list.first.reserve(pairs);
    list.second.reserve(pairs);
    list.scores.reserve(pairs);
    std::vector<WordId> row;
    for (int64_t r = 0; r < rows; ++r) {
        row.clear();
        while (static_cast<int64_t>(row.size()) < length[r]) {
            while (static_cast<int64_t>(row.size()) < length[r]) {
                row.push_back(static_cast<WordId>(rng.Below(static_cast<uint32_t>(rows))) - 1);
            }
            std::sort(row.begin(), row.end());
            row.erase(std::unique(row.begin(), row.end()), row.end());
        }
        for (WordId successor : row) {
            list.first.push_back(static_cast<WordId>(r - 1));
            list.second.push_back(successor);
            list.scores.push_back(-static_cast<int32_t>(rng.Below(256)));
        }
    }
    return list;
}

// A model over `words` ids with the listed pairs and room for `spare` more; it
// owns its blob.
BigramModel* BuildModel(int32_t words, PairList list, int32_t spare, int32_t* blobBytes,
                        const void** blob) {
    BigramModel* model = BigramModel_Create(nullptr);
    const int32_t pairs = static_cast<int32_t>(list.first.size());
    *blob = BigramModel_NewBlob(model, words, pairs + spare, blobBytes);
    if (*blob == nullptr) Die("BigramModel_NewBlob failed");
    if (BigramModel_SetBigramScores(model, list.first.data(), list.second.data(),
                                    list.scores.data(), pairs) != pairs) {
        Die("BigramModel_SetBigramScores lost pairs");
    }
    return model;
}

struct ScoreData {
    int64_t pairs = 0;
    int32_t words = 0;
    BigramModel* model = nullptr;
    int32_t blobBytes = 0;
    PairMap map;
    ByteVector unigramBytes;  // entry w + 1 for word w
    ByteVector backoffBytes;
    size_t peerBytes = 0;
    std::vector<PairQuery> hits;
    std::vector<PairQuery> misses;

    ~ScoreData() { BigramModel_Destroy(model); }
};

int32_t PeerScore(const ScoreData& d, PairQuery q, bool backoff) {
    auto at = d.map.find(PairKey(q.first, q.second));
    if (at != d.map.end()) return -static_cast<int32_t>(at->second);
    if (!backoff) return kNotListed;
    return -(d.backoffBytes[q.first + 1] + d.unigramBytes[q.second + 1]);
}

void CheckScores(ScoreData& d) {
    for (bool backoff : {false, true}) {
        if (backoff) {
            BigramModel_SetBackoffMode(d.model);
        } else {
            BigramModel_SetStrictMode(d.model);
        }
        for (const std::vector<PairQuery>* set : {&d.hits, &d.misses}) {
            for (PairQuery q : *set) {
                if (BigramModel_PairScore(d.model, q.first, q.second) != PeerScore(d, q, backoff)) {
                    Die("pair scores disagree");
                }
            }
        }
    }
}

std::unique_ptr<ScoreData> MakeScoreData(int64_t pairs) {
    auto d = std::make_unique<ScoreData>();
    d->pairs = pairs;
    d->words = WordsFor(pairs);
    Rng rng(kBigramSeed + static_cast<uint64_t>(pairs));
    PairList list = GeneratePairs(rng, d->words, pairs);

    const size_t before = CountedHeapBytes();
    d->map.reserve(list.first.size());
    for (size_t i = 0; i < list.first.size(); ++i) {
        d->map.emplace(PairKey(list.first[i], list.second[i]),
                       static_cast<uint8_t>(-list.scores[i]));
    }
    d->unigramBytes.assign(d->words + 1, 0);
    d->backoffBytes.assign(d->words + 1, 0);
    d->peerBytes = CountedHeapBytes() - before;

    std::vector<WordId> unigramWords(d->words + 1);
    std::vector<int32_t> unigramScores(d->words + 1);
    for (int32_t w = -1; w < d->words; ++w) {
        unigramWords[w + 1] = w;
        unigramScores[w + 1] = -static_cast<int32_t>(rng.Below(256));
        d->unigramBytes[w + 1] = static_cast<uint8_t>(-unigramScores[w + 1]);
    }
    for (size_t q = 0; q < kQueryCount; ++q) {
        const size_t listed = rng.Below(static_cast<uint32_t>(list.first.size()));
        d->hits.push_back({list.first[listed], list.second[listed]});
        PairQuery miss;
        do {
            miss = {static_cast<WordId>(rng.Below(d->words + 1)) - 1,
                    static_cast<WordId>(rng.Below(d->words + 1)) - 1};
        } while (d->map.count(PairKey(miss.first, miss.second)) != 0);
        d->misses.push_back(miss);
    }
    const void* blob = nullptr;
    d->model = BuildModel(d->words, std::move(list), 0, &d->blobBytes, &blob);
    BigramModel_SetUnigramScores(d->model, unigramWords.data(), unigramScores.data(), d->words + 1);
    CheckScores(*d);
    return d;
}

ScoreData& ScoreDataFor(int64_t pairs) {
    static std::unique_ptr<ScoreData> current;
    if (!current || current->pairs != pairs) {
        current.reset();
        current = MakeScoreData(pairs);
    }
    return *current;
}

void RegisterPairScore(const BenchOptions& options, int64_t pairs) {
    struct Case {
        const char* name;
        bool backoff;
        bool hit;
    };
    for (const Case c : {Case{"strict_hit", false, true}, Case{"strict_miss", false, false},
                         Case{"backoff_hit", true, true}, Case{"backoff_miss", true, false}}) {
        const std::string row = "bigram.pair_score";
        Register(options, row, c.name, "ours", pairs, [pairs, c](benchmark::State& state) {
            ScoreData& d = ScoreDataFor(pairs);
            if (c.backoff) {
                BigramModel_SetBackoffMode(d.model);
            } else {
                BigramModel_SetStrictMode(d.model);
            }
            const std::vector<PairQuery>& queries = c.hit ? d.hits : d.misses;
            size_t q = 0;
            for (auto _ : state) {
                benchmark::DoNotOptimize(
                    BigramModel_PairScore(d.model, queries[q].first, queries[q].second));
                q = (q + 1) & (kQueryCount - 1);
            }
            state.counters[kBytesPerItem] = static_cast<double>(d.blobBytes) / d.pairs;
        });
        Register(options, row, c.name, "unordered_map", pairs, [pairs, c](benchmark::State& state) {
            ScoreData& d = ScoreDataFor(pairs);
            const std::vector<PairQuery>& queries = c.hit ? d.hits : d.misses;
            size_t q = 0;
            for (auto _ : state) {
                benchmark::DoNotOptimize(PeerScore(d, queries[q], c.backoff));
                q = (q + 1) & (kQueryCount - 1);
            }
            state.counters[kBytesPerItem] = static_cast<double>(d.peerBytes) / d.pairs;
        });
    }
}

// A model with P listed pairs and P/10 spare slots, kept as bytes so that every
// round attaches a fresh copy; and, for the peer, the same pairs as records.
struct EditData {
    int64_t pairs = 0;
    int32_t words = 0;
    std::vector<uint8_t> blob;
    PairList listed;
    std::vector<PairList> additions;  // one per k, each ascending and unlisted
};

std::vector<int64_t> AdditionCounts(int64_t pairs) {
    return {1, pairs / 100, pairs / 10};
}

std::unique_ptr<EditData> MakeEditData(int64_t pairs) {
    auto d = std::make_unique<EditData>();
    d->pairs = pairs;
    d->words = WordsFor(pairs);
    Rng rng(kBigramSeed ^ static_cast<uint64_t>(pairs));
    d->listed = GeneratePairs(rng, d->words, pairs);
    int32_t blobBytes = 0;
    const void* blob = nullptr;
    BigramModel* model =
        BuildModel(d->words, d->listed, static_cast<int32_t>(pairs / 10), &blobBytes, &blob);
    d->blob.assign(static_cast<const uint8_t*>(blob),
                   static_cast<const uint8_t*>(blob) + blobBytes);
    BigramModel_Destroy(model);

    std::unordered_map<uint64_t, uint8_t> listedKeys;
    listedKeys.reserve(pairs);
    for (int64_t i = 0; i < pairs; ++i)
        listedKeys.emplace(PairKey(d->listed.first[i], d->listed.second[i]), 0);
    for (int64_t k : AdditionCounts(pairs)) {
        std::vector<std::pair<WordId, WordId>> fresh;
        std::unordered_map<uint64_t, uint8_t> chosen;
        while (static_cast<int64_t>(fresh.size()) < k) {
            const WordId a = static_cast<WordId>(rng.Below(d->words + 1)) - 1;
            const WordId b = static_cast<WordId>(rng.Below(d->words + 1)) - 1;
            if (listedKeys.count(PairKey(a, b)) || !chosen.emplace(PairKey(a, b), 0).second) {
                continue;
            }
            fresh.emplace_back(a, b);
        }
        std::sort(fresh.begin(), fresh.end());
        PairList addition;
        for (auto [a, b] : fresh) {
            addition.first.push_back(a);
            addition.second.push_back(b);
            addition.scores.push_back(-static_cast<int32_t>(rng.Below(256)));
        }
        d->additions.push_back(std::move(addition));
    }
    return d;
}

EditData& EditDataFor(int64_t pairs) {
    static std::unique_ptr<EditData> current;
    if (!current || current->pairs != pairs) {
        current.reset();
        current = MakeEditData(pairs);
    }
    return *current;
}

// The peer's model: every pair as a record, sorted, then rows laid out again.
struct PairRecord {
    WordId first;
    WordId second;
    uint8_t byte;
    bool operator<(const PairRecord& other) const {
        return first != other.first ? first < other.first : second < other.second;
    }
};

struct RebuiltRows {
    std::vector<int32_t> rowStart;
    std::vector<WordId> successors;
    std::vector<uint8_t> bytes;
};

void RebuildRows(std::vector<PairRecord>& records, int32_t words, RebuiltRows* rows) {
    std::sort(records.begin(), records.end());
    rows->rowStart.assign(static_cast<size_t>(words) + 2, 0);
    rows->successors.resize(records.size());
    rows->bytes.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        ++rows->rowStart[records[i].first + 2];
        rows->successors[i] = records[i].second;
        rows->bytes[i] = records[i].byte;
    }
    for (size_t w = 1; w < rows->rowStart.size(); ++w)
        rows->rowStart[w] += rows->rowStart[w - 1];
}

std::string AdditionName(size_t index) {
    static const char* const kNames[] = {"add_1", "add_1pct", "add_10pct"};
    return kNames[index];
}

void RegisterSetBigramScores(const BenchOptions& options, int64_t pairs) {
    const std::string row = "bigram.set_bigram_scores";
    const size_t cases = options.quick ? 1 : AdditionCounts(pairs).size();
    for (size_t index = 0; index < cases; ++index) {
        Register(options, row, AdditionName(index), "ours", pairs,
                 [pairs, index](benchmark::State& state) {
                     EditData& d = EditDataFor(pairs);
                     const PairList& addition = d.additions[index];
                     const int32_t k = static_cast<int32_t>(addition.first.size());
                     std::vector<uint8_t> blob(d.blob.size());
                     for (auto _ : state) {
                         state.PauseTiming();
                         std::memcpy(blob.data(), d.blob.data(), d.blob.size());
                         BigramModel* model = BigramModel_Create(nullptr);
                         BigramModel_AttachBlob(model, blob.data());
                         PairList input = addition;
                         state.ResumeTiming();
                         const int32_t added = BigramModel_SetBigramScores(
                             model, input.first.data(), input.second.data(), input.scores.data(),
                             k);
                         state.PauseTiming();
                         if (added != k) Die("pairs were not added");
                         BigramModel_Destroy(model);
                         state.ResumeTiming();
                     }
                 });
        Register(options, row, AdditionName(index), "rebuild", pairs,
                 [pairs, index](benchmark::State& state) {
                     EditData& d = EditDataFor(pairs);
                     const PairList& addition = d.additions[index];
                     std::vector<PairRecord> listed;
                     for (size_t i = 0; i < d.listed.first.size(); ++i) {
                         listed.push_back({d.listed.first[i], d.listed.second[i],
                                           static_cast<uint8_t>(-d.listed.scores[i])});
                     }
                     RebuiltRows rows;
                     for (auto _ : state) {
                         state.PauseTiming();
                         std::vector<PairRecord> records = listed;
                         records.reserve(listed.size() + addition.first.size());
                         state.ResumeTiming();
                         for (size_t i = 0; i < addition.first.size(); ++i) {
                             records.push_back({addition.first[i], addition.second[i],
                                                static_cast<uint8_t>(-addition.scores[i])});
                         }
                         RebuildRows(records, d.words, &rows);
                         benchmark::DoNotOptimize(rows.successors.data());
                     }
                 });
    }
}

}  // namespace

void RegisterBigramBenchmarks(const BenchOptions& options) {
    for (int64_t pairs : SizesFor(options, {10000, 100000, 1000000, 10000000})) {
        RegisterPairScore(options, pairs);
    }
    for (int64_t pairs : SizesFor(options, {10000, 100000, 1000000})) {
        RegisterSetBigramScores(options, pairs);
    }
}

}  // namespace vantir::bench
