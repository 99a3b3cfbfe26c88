// Shared pieces of the benchmark suite: run options, benchmark naming, a
// deterministic generator, a heap-counting allocator for the peers, and UTF-16 helpers.
#ifndef VANTIR_BENCH_BENCH_SUPPORT_H
#define VANTIR_BENCH_BENCH_SUPPORT_H

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "vantir/vantir.h"

namespace vantir::bench {

// --vantir_quick: only the smallest size of every row, one iteration each, so
// that a CI run proves every benchmark still builds and runs.
struct BenchOptions {
    bool quick = false;
    std::string sampleDataDir;  // the Taiwan sample sources (data/tw-sample)
};

// The sizes of one row: all of them, or only the first in quick mode.
std::vector<int64_t> SizesFor(const BenchOptions& options, std::vector<int64_t> sizes);

// Benchmarks are named "<subject>.<operation>/<case>/<implementation>/<size>";
// the ratio report pairs "ours" with every other implementation of the same
// row, case and size. Registration order is run order, so callers register
// size by size and keep one size's data alive at a time.
using BenchBody = std::function<void(benchmark::State&)>;
benchmark::internal::Benchmark* Register(const BenchOptions& options, const std::string& row,
                                         const std::string& variant, const std::string& impl,
                                         int64_t size, BenchBody body);

// Counter names the report reads: heap or blob bytes per word, pair or block.
constexpr const char* kBytesPerItem = "bytes_per_item";

// splitmix64: small, fast, and the same sequence on every machine.
class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, bound).
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>((Next() >> 32) * bound >> 32); }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

  private:
    uint64_t state_;
};

// Heap bytes that the peers' containers hold, counted as glibc spends them: the
// usable size of each chunk plus its size word. The suite is single-threaded.
size_t& CountedHeapBytes();
size_t ChunkFootprint(void* p);

template <typename T>
struct CountingAllocator {
    using value_type = T;
    CountingAllocator() = default;
    template <typename U>
    CountingAllocator(const CountingAllocator<U>&) {}
    T* allocate(size_t n) {
        void* p = std::malloc(n * sizeof(T));
        if (p == nullptr) throw std::bad_alloc();
        CountedHeapBytes() += ChunkFootprint(p);
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t) {
        CountedHeapBytes() -= ChunkFootprint(p);
        std::free(p);
    }
    template <typename U>
    bool operator==(const CountingAllocator<U>&) const {
        return true;
    }
};

using CountedU16String =
    std::basic_string<char16_t, std::char_traits<char16_t>, CountingAllocator<char16_t>>;

// Transparent hashing so that a peer looks a text up without building a string.
struct U16Hash {
    using is_transparent = void;
    size_t operator()(std::u16string_view text) const {
        return std::hash<std::u16string_view>{}(text);
    }
    size_t operator()(const CountedU16String& text) const {
        return (*this)(std::u16string_view(text.data(), text.size()));
    }
};
struct U16Equal {
    using is_transparent = void;
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
        return std::u16string_view(a.data(), a.size()) == std::u16string_view(b.data(), b.size());
    }
};

// UTF-8 to UTF-16 by the wrapper's strict decoder; a malformed sample text
// stops the run. The way back is the wrapper's ToUtf8.
std::u16string ToU16(std::string_view utf8);

// A lexicon, a model and a session on three blobs, as a host holds them. The
// world that owns the blobs calls Release before they go.
struct AttachedHandles {
    Lexicon* lexicon = nullptr;
    BigramModel* model = nullptr;
    FilterSession* session = nullptr;

    // Attaches the blobs or stops the run with a message naming `what`.
    void Attach(const void* lexiconBlob, void* modelBlob, const unsigned char* addressBlob,
                const std::string& what);
    void Release();
};

// ASCII upper-casing of every unit, the folding the lexicon ignores.
std::u16string FoldAscii(std::u16string_view text);

// Whole file as bytes; aborts the run with a message when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Stops the whole run: a benchmark whose data cannot be built must not report figures.
[[noreturn]] void Die(const std::string& message);

}  // namespace vantir::bench

#endif  // VANTIR_BENCH_BENCH_SUPPORT_H
