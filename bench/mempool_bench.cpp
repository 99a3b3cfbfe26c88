// MemPool against glibc malloc/free: the heap calls that a lexicon's and a
// model's life cycle really make (recorded, then replayed), and random sizes.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "bench/bench_support.h"
#include "bench/suite.h"
#include "bigram/extra_pairs.h"
#include "tests/support/fake_heap.h"
#include "vantir/bigram.h"
#include "vantir/lexicon.h"
#include "vantir/mempool.h"

namespace vantir::bench {

namespace {

using testing::AllocationTrace;
using testing::TraceStep;

constexpr uint64_t kPoolSeed = 0x9001u;
constexpr size_t kStepCount = size_t{1} << 16;  // random steps, cycled by mask
// Random request sizes: log-uniform over this range, like small objects.
constexpr double kSmallestRequest = 16;
constexpr double kLargestRequest = 1024;
constexpr uint32_t kBlockHeaderBytes = 16;
// Free-and-allocate steps run per live block before timing, so that the pool
// (and glibc) are measured in their fragmented steady state.
constexpr int64_t kWarmUpRounds = 8;
// Pool room per live byte: first fit needs slack for its holes.
constexpr int64_t kPoolRoomFactor = 3;
// Sizes of the recorded life cycles: the sample data's lexicon and model with
// room for words and pairs added at run time.
constexpr int32_t kAddedWords = 256;
constexpr int32_t kAddedUnits = 4096;
constexpr int32_t kAddedBatches = 4;
constexpr int32_t kWordsPerBatch = 16;
constexpr int32_t kSampleModelPairs = 2622;
constexpr int32_t kSparePairs = 1024;
constexpr const char* kPairsPerIteration = "pairs_per_iteration";

// The words of a vocabulary source: the first field of each line that is not a comment.
std::u16string VocabularyWordList(const std::string& path) {
    const std::string text = ReadWholeFile(path);
    std::u16string list;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        list += ToU16(line.substr(0, line.find_first_of("\t ")));
        list.push_back(u'\n');
    }
    return list;
}

std::u16string NewWords(int32_t batch, int32_t count) {
    std::u16string list;
    for (int32_t i = 0; i < count; ++i) {
        list += u"新路";
        list.push_back(static_cast<char16_t>(u'A' + batch));
        list += ToU16(std::to_string(i));
        list.push_back(u'\n');
    }
    return list;
}

// Create, build, add words in batches, remove some, renumber, destroy.
AllocationTrace RecordLexiconLife(const BenchOptions& options) {
    std::u16string list = VocabularyWordList(options.sampleDataDir + "/vocabulary.tsv");
    list.push_back(0);
    AllocationTrace trace;
    testing::StartTrace(&trace);
    Lexicon* lexicon = Lexicon_Create(nullptr, kAddedWords, kAddedUnits);
    Lexicon_BuildBlob(lexicon, list.data(), nullptr);
    for (int32_t batch = 0; batch < kAddedBatches; ++batch) {
        std::u16string words = NewWords(batch, kWordsPerBatch);
        words.push_back(0);
        Lexicon_AddWords(lexicon, words.data());
    }
    std::u16string removed = NewWords(1, kWordsPerBatch / 2);
    removed.push_back(0);
    Lexicon_RemoveWords(lexicon, removed.data());
    std::vector<int32_t> map(static_cast<size_t>(Lexicon_Renumber(lexicon, nullptr)));
    Lexicon_Renumber(lexicon, map.data());
    Lexicon_Destroy(lexicon);
    testing::StopTrace();
    return trace;
}

// Create, make a blob with spare room, take the optional tables, destroy.
AllocationTrace RecordModelLife(const BenchOptions& options) {
    std::u16string list = VocabularyWordList(options.sampleDataDir + "/vocabulary.tsv");
    const int32_t words = static_cast<int32_t>(std::count(list.begin(), list.end(), u'\n'));
    const int32_t ids = words + kAddedWords;
    std::vector<uint8_t> alt(static_cast<size_t>(ids) + 1, 0);
    std::vector<uint8_t> extra(kExtraPairTableBytes, 0);
    AllocationTrace trace;
    testing::StartTrace(&trace);
    BigramModel* model = BigramModel_Create(nullptr);
    BigramModel_NewBlob(model, ids, kSampleModelPairs + kSparePairs, nullptr);
    BigramModel_SetExtraTables(model, alt.data(), ids + 1, extra.data(), kExtraPairTableBytes);
    BigramModel_Destroy(model);
    testing::StopTrace();
    return trace;
}

void CheckBalanced(const AllocationTrace& trace, const char* what) {
    size_t releases = 0;
    for (const TraceStep& step : trace.steps)
        releases += step.allocate ? 0 : 1;
    if (trace.slots == 0 || releases != trace.slots) {
        Die(std::string(what) + " trace does not give back every block");
    }
}

// Pool storage: 4-byte aligned, as MemPool_Init requires.
struct PoolBlock {
    std::vector<uint32_t> words;
    MemPool* pool = nullptr;

    explicit PoolBlock(int64_t bytes) : words(static_cast<size_t>(bytes / 4 + 1)) {
        pool = MemPool_Init(words.data(), static_cast<uint32_t>(words.size() * 4));
        if (pool == nullptr) Die("MemPool_Init failed");
    }
};

int64_t TraceBytes(const AllocationTrace& trace) {
    int64_t bytes = 0;
    for (const TraceStep& step : trace.steps)
        bytes += step.allocate ? step.bytes + kBlockHeaderBytes + 4 : 0;
    return bytes;
}

void RegisterTrace(const BenchOptions& options, const char* variant,
                   AllocationTrace (*record)(const BenchOptions&)) {
    const std::string row = "mempool.alloc_free";
    const AllocationTrace trace = record(options);
    CheckBalanced(trace, variant);
    const int64_t allocations = trace.slots;
    Register(options, row, variant, "ours", allocations, [trace](benchmark::State& state) {
        PoolBlock block(TraceBytes(trace) + 1024);
        std::vector<void*> slots(trace.slots);
        for (auto _ : state) {
            for (const TraceStep& step : trace.steps) {
                if (step.allocate) {
                    slots[step.slot] = MemPool_Alloc(block.pool, static_cast<int32_t>(step.bytes));
                } else {
                    MemPool_Free(block.pool, slots[step.slot]);
                }
            }
            benchmark::DoNotOptimize(slots.data());
        }
        if (slots[0] == nullptr) state.SkipWithError("pool too small for the trace");
        state.counters[kPairsPerIteration] = trace.slots;
    });
    Register(options, row, variant, "glibc", allocations, [trace](benchmark::State& state) {
        std::vector<void*> slots(trace.slots);
        for (auto _ : state) {
            for (const TraceStep& step : trace.steps) {
                if (step.allocate) {
                    slots[step.slot] = std::malloc(step.bytes == 0 ? 1 : step.bytes);
                } else {
                    std::free(slots[step.slot]);
                }
            }
            benchmark::DoNotOptimize(slots.data());
        }
        state.counters[kPairsPerIteration] = trace.slots;
    });
}

// A steady state of `live` blocks: each step frees one at random and allocates
// a block of a random size in its place.
struct RandomSteps {
    std::vector<uint32_t> victims;
    std::vector<int32_t> sizes;
    std::vector<int32_t> initialSizes;
    int64_t poolBytes = 0;
};

int32_t RandomRequest(Rng& rng) {
    const double span = std::log(kLargestRequest / kSmallestRequest);
    return static_cast<int32_t>(kSmallestRequest * std::exp(span * rng.Unit()));
}

RandomSteps MakeRandomSteps(int64_t live) {
    RandomSteps steps;
    Rng rng(kPoolSeed + static_cast<uint64_t>(live));
    int64_t bytes = 0;
    for (int64_t i = 0; i < live; ++i) {
        steps.initialSizes.push_back(RandomRequest(rng));
        bytes += steps.initialSizes.back() + kBlockHeaderBytes;
    }
    for (size_t i = 0; i < kStepCount; ++i) {
        steps.victims.push_back(rng.Below(static_cast<uint32_t>(live)));
        steps.sizes.push_back(RandomRequest(rng));
    }
    steps.poolBytes = kPoolRoomFactor * bytes + 4096;
    return steps;
}

// Live blocks of one allocator in their steady state; the warm-up is paid once
// per size and allocator, and every later run goes on from where the last ended.
struct LiveBlocks {
    int64_t live = 0;
    RandomSteps steps;
    std::vector<void*> blocks;
    size_t next = 0;  // the next step to take
    bool exhausted = false;
};

template <typename Alloc, typename Free>
void TakeStep(LiveBlocks& state, Alloc alloc, Free release) {
    const uint32_t victim = state.steps.victims[state.next];
    release(state.blocks[victim]);
    state.blocks[victim] = alloc(state.steps.sizes[state.next]);
    state.exhausted = state.exhausted || state.blocks[victim] == nullptr;
    state.next = (state.next + 1) & (kStepCount - 1);
}

template <typename Alloc, typename Free>
void WarmUp(LiveBlocks& state, int64_t live, Alloc alloc, Free release) {
    state.live = live;
    state.steps = MakeRandomSteps(live);
    for (int32_t size : state.steps.initialSizes)
        state.blocks.push_back(alloc(size));
    for (int64_t i = 0; i < kWarmUpRounds * live; ++i)
        TakeStep(state, alloc, release);
}

// The pool and its blocks for one size at a time.
struct PoolState {
    std::unique_ptr<PoolBlock> block;
    LiveBlocks blocks;
};

// The blocks that glibc holds for one size at a time, given back when replaced.
struct MallocState {
    LiveBlocks blocks;

    void Clear() {
        for (void* p : blocks.blocks)
            std::free(p);
        blocks = LiveBlocks{};
    }
    ~MallocState() { Clear(); }
};

void RegisterRandom(const BenchOptions& options, int64_t live) {
    const std::string row = "mempool.alloc_free";
    Register(options, row, "random", "ours", live, [live](benchmark::State& state) {
        static PoolState pool;
        auto alloc = [](int32_t n) { return MemPool_Alloc(pool.block->pool, n); };
        auto release = [](void* p) {
            if (p != nullptr) MemPool_Free(pool.block->pool, p);
        };
        if (pool.blocks.live != live) {
            pool = PoolState{};
            pool.block = std::make_unique<PoolBlock>(MakeRandomSteps(live).poolBytes);
            WarmUp(pool.blocks, live, alloc, release);
        }
        for (auto _ : state)
            TakeStep(pool.blocks, alloc, release);
        if (pool.blocks.exhausted) state.SkipWithError("pool exhausted");
        state.counters[kPairsPerIteration] = 1;
    });
    Register(options, row, "random", "glibc", live, [live](benchmark::State& state) {
        static MallocState heap;
        auto alloc = [](int32_t n) { return std::malloc(static_cast<size_t>(n)); };
        auto release = [](void* p) { std::free(p); };
        if (heap.blocks.live != live) {
            heap.Clear();
            WarmUp(heap.blocks, live, alloc, release);
        }
        for (auto _ : state)
            TakeStep(heap.blocks, alloc, release);
        state.counters[kPairsPerIteration] = 1;
    });
}

}  // namespace

void RegisterMemPoolBenchmarks(const BenchOptions& options) {
    RegisterTrace(options, "lexicon_trace", RecordLexiconLife);
    RegisterTrace(options, "model_trace", RecordModelLife);
    for (int64_t live : SizesFor(options, {10, 100, 1000, 10000}))
        RegisterRandom(options, live);
}

}  // namespace vantir::bench
