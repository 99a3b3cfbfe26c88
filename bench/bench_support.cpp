// Registration with the suite's naming scheme, the heap counter behind the
// peers' memory figures, and the small text helpers of the benchmarks.
#include "bench/bench_support.h"

#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "vantir/vantir.hpp"

namespace vantir::bench {

std::vector<int64_t> SizesFor(const BenchOptions& options, std::vector<int64_t> sizes) {
    if (options.quick && !sizes.empty()) return {sizes.front()};
    return sizes;
}

benchmark::internal::Benchmark* Register(const BenchOptions& options, const std::string& row,
                                         const std::string& variant, const std::string& impl,
                                         int64_t size, BenchBody body) {
    const std::string name = row + "/" + variant + "/" + impl + "/" + std::to_string(size);
    benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(
        name.c_str(), [body](benchmark::State& state) { body(state); });
    b->Unit(benchmark::kNanosecond);
    if (options.quick) b->Iterations(1);
    return b;
}

size_t& CountedHeapBytes() {
    static size_t bytes = 0;
    return bytes;
}

size_t ChunkFootprint(void* p) {
    return malloc_usable_size(p) + sizeof(size_t);
}

std::u16string ToU16(std::string_view utf8) {
    Expected<std::u16string> wide = ToUtf16(utf8);
    if (!wide) Die("a sample text is not UTF-8: " + wide.error().message);
    return *wide;
}

void AttachedHandles::Attach(const void* lexiconBlob, void* modelBlob,
                             const unsigned char* addressBlob, const std::string& what) {
    lexicon = Lexicon_Create(nullptr, 0, 0);
    model = BigramModel_Create(nullptr);
    if (Lexicon_AttachBlob(lexicon, lexiconBlob) < 0 ||
        BigramModel_AttachBlob(model, modelBlob) != 0) {
        Die(what + ": the blobs do not attach");
    }
    session = Vantir_Init(model, lexicon, addressBlob);
    if (session == nullptr) Die(what + ": Vantir_Init refused the blobs");
}

void AttachedHandles::Release() {
    Vantir_Release(session);
    BigramModel_Destroy(model);
    Lexicon_Destroy(lexicon);
    session = nullptr;
    model = nullptr;
    lexicon = nullptr;
}

std::u16string FoldAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& unit : out) {
        if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - (u'a' - u'A'));
    }
    return out;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Die("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Die(const std::string& message) {
    std::fprintf(stderr, "vantir_bench: %s\n", message.c_str());
    std::exit(1);
}

}  // namespace vantir::bench
