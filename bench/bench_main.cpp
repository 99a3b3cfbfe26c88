// Entry of the benchmark suite: the suite's own flags, registration of every
// subject in a fixed order, and the run with the ratio reporter.
#include <cstring>
#include <string>
#include <vector>

#include "bench/suite.h"

namespace {

constexpr const char* kQuickFlag = "--vantir_quick";
constexpr const char* kDataFlag = "--vantir_data=";

}  // namespace

int main(int argc, char** argv) {
    vantir::bench::BenchOptions options;
    options.sampleDataDir = VANTIR_SAMPLE_DATA_DIR;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], kQuickFlag) == 0) {
            options.quick = true;
        } else if (std::strncmp(argv[i], kDataFlag, std::strlen(kDataFlag)) == 0) {
            options.sampleDataDir = argv[i] + std::strlen(kDataFlag);
        } else {
            rest.push_back(argv[i]);
        }
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 1;

#ifdef VANTIR_BENCH_THREADS
    // vantir_bench_threads: the threaded rows alone, over the library's heap.
    vantir::bench::RegisterThreadBenchmarks(options);
#else
    vantir::bench::RegisterLexiconBenchmarks(options);
    vantir::bench::RegisterBigramBenchmarks(options);
    vantir::bench::RegisterMemPoolBenchmarks(options);
    vantir::bench::RegisterTextBenchmarks(options);
    vantir::bench::RegisterFilterBenchmarks(options);
    vantir::bench::RegisterTextIntakeBenchmarks(options);
    vantir::bench::RegisterCommandBenchmarks(options);
#endif

    vantir::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.Failures() == 0 ? 0 : 1;
}
