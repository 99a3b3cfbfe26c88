// The Markdown tables printed after a run: ours ÷ peer per row, case and size,
// with the target each must meet, then bytes per item where a row measures memory.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "bench/suite.h"

namespace vantir::bench {

namespace {

constexpr const char* kOurs = "ours";
constexpr const char* kPairsPerIteration = "pairs_per_iteration";
// Utterances a pass of the command path reads: its time is given per utterance.
constexpr const char* kItemsPerIteration = "items_per_iteration";

// A ratio limit (ours ÷ peer) for one row; a null variant or a size of 0 matches any.
struct RatioTarget {
    const char* row;
    const char* variant;
    const char* peer;
    int64_t size;
    double limit;
};

constexpr RatioTarget kTimeTargets[] = {
    {"lexicon.find_id", nullptr, "marisa", 0, 0.5},
    {"lexicon.find_id", nullptr, "unordered_map", 0, 1.5},
    {"lexicon.find_id_indexed", nullptr, "unordered_map", 0, 1.0},
    {"bigram.pair_score", nullptr, "unordered_map", 0, 1.0},
    {"mempool.alloc_free", "lexicon_trace", "glibc", 0, 1.0},
    {"mempool.alloc_free", "model_trace", "glibc", 0, 1.0},
    {"text.utf8_to_wide", "cjk", "icu", 0, 1.0},
    {"text.wide_to_utf8", "cjk", "icu", 0, 1.0},
    {"filter.add_recog_result", "all", "floor", 10, 3.0},
    {"filter.add_recog_result", "listing", "floor", 10, 3.0},
    // Accurate mode's 10-best utterance against the same in the default mode.
    {"filter.utterance_10best", "accurate", "default", 0, 2.0},
    // Accurate mode with the postal ranges against accurate mode alone.
    {"filter.utterance_10best", "postal", "accurate", 0, 1.25},
    {"text.segment", "sample", "floor", 0, 25.0},
    // Sound-alike reading against reading by spelling only, the same texts.
    {"text.segment", "sound-alike", "spelling", 0, 2.0},
    // Two threads against one on an idle two-core machine: at least 1.7 times
    // the utterances per second.
    {"filter.threads", "sample", "one_thread", 0, 1 / 1.7},
    // `vantir filter`'s whole path per utterance against the library's calls
    // on the same lists.
    {"filter.command_path", "lists", "library", 0, 2.0},
};

constexpr RatioTarget kMemoryTargets[] = {
    {"lexicon.find_id", nullptr, "unordered_map", 0, 0.25},
    {"lexicon.find_id_indexed", nullptr, "unordered_map", 0, 0.2},
    {"bigram.pair_score", nullptr, "unordered_map", 0, 0.2},
};

// How our time may grow with the size within one row and case: ours at `size`
// ÷ ours at `baseSize`, both from the same run.
struct GrowthTarget {
    const char* row;
    const char* variant;
    int64_t baseSize;
    int64_t size;
    double limit;
};

constexpr GrowthTarget kGrowthTargets[] = {
    {"filter.utterance_10best", "scaled", 100, 10000, 1.5},
};

// An absolute limit on our time per operation, in nanoseconds; a size of 0
// matches any.
struct TimeLimit {
    const char* row;
    const char* variant;
    double nanoseconds;
    int64_t size = 0;
};

constexpr TimeLimit kTimeLimits[] = {{"filter.utterance_10best", "sample", 20000},
                                     {"text.segment", "length", 5000, 20}};

struct NameParts {
    std::string row;
    std::string variant;
    std::string impl;
    int64_t size = 0;
};

NameParts SplitName(const std::string& name) {
    NameParts parts;
    std::vector<std::string> fields;
    std::stringstream in(name);
    for (std::string field; std::getline(in, field, '/');)
        fields.push_back(field);
    if (fields.size() != 4) return parts;
    parts.row = fields[0];
    parts.variant = fields[1];
    parts.impl = fields[2];
    parts.size = std::stoll(fields[3]);
    return parts;
}

struct Figures {
    NameParts name;
    std::vector<double> times;  // per repetition, ns per iteration
    double median = NAN;        // the median aggregate, when one was reported
    double bytesPerItem = NAN;
    double perIteration = 1;  // operations in one iteration
    bool failed = false;
    std::string error;  // why the run was skipped

    double TimePerOperation() const {
        double t = median;
        if (std::isnan(t) && !times.empty()) {
            std::vector<double> sorted = times;
            std::sort(sorted.begin(), sorted.end());
            const size_t n = sorted.size();
            t = n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
        }
        return t / perIteration;
    }
};

std::string Time(double ns) {
    char text[32];
    if (std::isnan(ns)) return "n/a";
    if (ns < 1e3) {
        std::snprintf(text, sizeof text, "%.1f ns", ns);
    } else if (ns < 1e6) {
        std::snprintf(text, sizeof text, "%.2f µs", ns / 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
    }
    return text;
}

std::string Number(double value, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

bool Matches(const char* wanted, const std::string& value) {
    return wanted == nullptr || value == wanted;
}

std::string Verdict(double value, double limit, const char* relation) {
    if (std::isnan(value)) return "";
    return std::string(relation) + " " + Number(limit, "%g") +
           (value <= limit ? " met" : " **missed**");
}

std::string TargetFor(const RatioTarget* targets, size_t count, const NameParts& ours,
                      const std::string& peer, double ratio) {
    for (size_t i = 0; i < count; ++i) {
        const RatioTarget& t = targets[i];
        if (ours.row == t.row && Matches(t.variant, ours.variant) && peer == t.peer &&
            (t.size == 0 || t.size == ours.size)) {
            return Verdict(ratio, t.limit, "≤");
        }
    }
    return "";
}

std::string CpuModel() {
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    }
    return "unknown";
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Every size of a row and case that has a growth target, against its base size.
void PrintGrowth(std::map<std::string, Figures>& figures, const std::vector<std::string>& order) {
    std::printf("\n## Growth with size: ours ÷ ours at the base size, same run\n\n");
    std::printf("| row | case | size | ours | base size | base time | ratio | target |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|---|\n");
    for (const GrowthTarget& target : kGrowthTargets) {
        const Figures* base = nullptr;
        for (const std::string& name : order) {
            const Figures& f = figures[name];
            if (f.name.row == target.row && f.name.variant == target.variant &&
                f.name.impl == kOurs && f.name.size == target.baseSize && !f.failed) {
                base = &f;
            }
        }
        if (base == nullptr) continue;
        const double baseTime = base->TimePerOperation();
        for (const std::string& name : order) {
            const Figures& f = figures[name];
            if (f.name.row != target.row || f.name.variant != target.variant ||
                f.name.impl != kOurs || f.failed) {
                continue;
            }
            const double time = f.TimePerOperation();
            const double ratio = time / baseTime;
            std::printf(
                "| %s | %s | %lld | %s | %lld | %s | %s | %s |\n", f.name.row.c_str(),
                f.name.variant.c_str(), static_cast<long long>(f.name.size), Time(time).c_str(),
                static_cast<long long>(target.baseSize), Time(baseTime).c_str(),
                Number(ratio, "%.2f").c_str(),
                f.name.size == target.size ? Verdict(ratio, target.limit, "≤").c_str() : "");
        }
    }
}

}  // namespace

bool RatioReporter::ReportContext(const Context& context) {
    std::printf("machine: %d CPUs, %s, load average at start %s\n", context.cpu_info.num_cpus,
                CpuModel().c_str(), LoadAverage().c_str());
    return ConsoleReporter::ReportContext(context);
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred && run.error_message.rfind(kSkippedPrefix, 0) != 0) ++failures_;
    }
    runs_.insert(runs_.end(), runs.begin(), runs.end());
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::vector<std::string> order;
    std::map<std::string, Figures> figures;
    for (const Run& run : runs_) {
        const std::string& name = run.run_name.function_name;
        auto [at, fresh] = figures.emplace(name, Figures{});
        Figures& f = at->second;
        if (fresh) {
            order.push_back(name);
            f.name = SplitName(name);
        }
        if (run.error_occurred) {
            f.failed = true;
            f.error = run.error_message;
            continue;
        }
        auto counter = [&run](const char* key) {
            auto c = run.counters.find(key);
            return c == run.counters.end() ? NAN : static_cast<double>(c->second.value);
        };
        // Rows that spread work over threads are timed by the wall clock; the
        // calling thread's CPU time would leave the workers out.
        const double time =
            run.run_name.time_type.empty() ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
        if (run.run_type == Run::RT_Aggregate) {
            if (run.aggregate_name != "median") continue;
            f.median = time;
        } else {
            f.times.push_back(time);
        }
        if (!std::isnan(counter(kBytesPerItem))) f.bytesPerItem = counter(kBytesPerItem);
        if (!std::isnan(counter(kPairsPerIteration))) f.perIteration = counter(kPairsPerIteration);
        if (!std::isnan(counter(kItemsPerIteration))) f.perIteration = counter(kItemsPerIteration);
    }

    // Rows in run order; within a row, "ours" first, then each peer.
    std::map<std::string, std::vector<std::string>> peersOf;  // "row/variant/size" -> peer names
    std::vector<std::string> groups;
    std::map<std::string, std::string> oursOf;
    for (const std::string& name : order) {
        const NameParts& p = figures[name].name;
        if (p.row.empty()) continue;
        const std::string group = p.row + "/" + p.variant + "/" + std::to_string(p.size);
        if (!peersOf.count(group) && !oursOf.count(group)) groups.push_back(group);
        if (p.impl == kOurs) {
            oursOf[group] = name;
        } else {
            peersOf[group].push_back(name);
        }
    }

    std::printf(
        "\n## Ours ÷ peer, median CPU time per operation, wall time for threaded rows (below 1: "
        "ours is faster)\n\n");
    std::printf("| row | case | size | ours | peer | peer time | ratio | target |\n");
    std::printf("|---|---|---:|---:|---|---:|---:|---|\n");
    for (const std::string& group : groups) {
        if (!oursOf.count(group)) continue;
        const Figures& ours = figures[oursOf[group]];
        const double ourTime = ours.failed ? NAN : ours.TimePerOperation();
        bool first = true;
        for (const std::string& peerName : peersOf[group]) {
            const Figures& peer = figures[peerName];
            const double peerTime = peer.failed ? NAN : peer.TimePerOperation();
            const double ratio = ourTime / peerTime;
            if (ours.failed || peer.failed) {
                const std::string why = ours.failed ? ours.error : peer.error;
                std::printf("| %s | %s | %lld | n/a | %s | n/a | | (%s) |\n", ours.name.row.c_str(),
                            ours.name.variant.c_str(), static_cast<long long>(ours.name.size),
                            peer.name.impl.c_str(), why.c_str());
                continue;
            }
            std::printf(
                "| %s | %s | %lld | %s | %s | %s | %s | %s |\n", first ? ours.name.row.c_str() : "",
                first ? ours.name.variant.c_str() : "", static_cast<long long>(ours.name.size),
                first ? Time(ourTime).c_str() : "", peer.name.impl.c_str(), Time(peerTime).c_str(),
                Number(ratio, "%.2f").c_str(),
                TargetFor(kTimeTargets, std::size(kTimeTargets), ours.name, peer.name.impl, ratio)
                    .c_str());
            first = false;
        }
        for (const TimeLimit& limit : kTimeLimits) {
            if (ours.name.row == limit.row && ours.name.variant == limit.variant &&
                (limit.size == 0 || limit.size == ours.name.size)) {
                std::printf("| %s | %s | %lld | %s | (absolute) | | | %s |\n",
                            ours.name.row.c_str(), ours.name.variant.c_str(),
                            static_cast<long long>(ours.name.size), Time(ourTime).c_str(),
                            (std::string("< ") + Time(limit.nanoseconds) +
                             (ourTime < limit.nanoseconds ? " met" : " **missed**"))
                                .c_str());
            }
        }
    }

    PrintGrowth(figures, order);

    std::printf("\n## Memory, bytes per item (word, pair); ratio = ours ÷ peer\n\n");
    std::printf("| row | size | ours | peer | peer bytes | ratio | target |\n");
    std::printf("|---|---:|---:|---|---:|---:|---|\n");
    std::map<std::string, bool> shown;  // "row/size"
    for (const std::string& group : groups) {
        if (!oursOf.count(group)) continue;
        const Figures& ours = figures[oursOf[group]];
        const std::string key = ours.name.row + "/" + std::to_string(ours.name.size);
        if (std::isnan(ours.bytesPerItem) || shown[key]) continue;
        shown[key] = true;
        bool first = true;
        for (const std::string& peerName : peersOf[group]) {
            const Figures& peer = figures[peerName];
            if (std::isnan(peer.bytesPerItem)) continue;
            const double ratio = ours.bytesPerItem / peer.bytesPerItem;
            std::printf("| %s | %lld | %s | %s | %s | %s | %s |\n",
                        first ? ours.name.row.c_str() : "", static_cast<long long>(ours.name.size),
                        first ? Number(ours.bytesPerItem, "%.1f").c_str() : "",
                        peer.name.impl.c_str(), Number(peer.bytesPerItem, "%.1f").c_str(),
                        Number(ratio, "%.3f").c_str(),
                        TargetFor(kMemoryTargets, std::size(kMemoryTargets), ours.name,
                                  peer.name.impl, ratio)
                            .c_str());
            first = false;
        }
    }
    std::printf("\nload average at end: %s\n", LoadAverage().c_str());
}

}  // namespace vantir::bench
