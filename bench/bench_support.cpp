// Registration with the suite's naming scheme, the heap counter behind the
// peers' memory figures, and the small text helpers of the benchmarks.
#include "bench/bench_support.h"

#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "vantir/textutil.h"

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
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : 2;
        uint32_t unit = extra == 0 ? lead : extra == 1 ? (lead & 0x1Fu) : (lead & 0x0Fu);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
            unit = (unit << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        out.push_back(static_cast<char16_t>(unit));
        i += 1 + extra;
    }
    return out;
}

std::string ToU8(std::u16string_view text) {
    // At most four bytes a unit, and the terminator.
    std::string out(text.size() * 4 + 1, '\0');
    vantir::WideToUtf8(text.data(), static_cast<int32_t>(text.size()), out.data(),
                       static_cast<int32_t>(out.size()));
    out.resize(std::char_traits<char>::length(out.data()));
    return out;
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
