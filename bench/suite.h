// The registration calls of each subject of the suite, and the reporter that
// turns the runs into the ratio table.
#ifndef VANTIR_BENCH_SUITE_H
#define VANTIR_BENCH_SUITE_H

#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

namespace vantir::bench {

void RegisterLexiconBenchmarks(const BenchOptions& options);
void RegisterBigramBenchmarks(const BenchOptions& options);
void RegisterMemPoolBenchmarks(const BenchOptions& options);
void RegisterTextBenchmarks(const BenchOptions& options);
void RegisterFilterBenchmarks(const BenchOptions& options);
void RegisterTextIntakeBenchmarks(const BenchOptions& options);
void RegisterThreadBenchmarks(const BenchOptions& options);
void RegisterCommandBenchmarks(const BenchOptions& options);

// Console output as usual, and at the end the table of ours ÷ peer per row and
// size (medians when repetitions are asked for), memory per item and targets.
// A benchmark whose data holds no case for it skips with a message that starts
// with this; any other skip is a failure of the run.
constexpr const char* kSkippedPrefix = "skipped: ";

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    // Runs that failed; runs skipped on purpose (kSkippedPrefix) are not counted.
    int32_t Failures() const { return failures_; }

  private:
    std::vector<Run> runs_;
    int32_t failures_ = 0;
};

}  // namespace vantir::bench

#endif  // VANTIR_BENCH_SUITE_H
