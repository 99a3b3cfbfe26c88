// Progress of long work on standard error, shown only when that is a terminal
// so that logs and pipes stay clean.
#ifndef VANTIR_TOOLS_PROGRESS_H
#define VANTIR_TOOLS_PROGRESS_H

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

namespace vantir::tools {

class Progress {
  public:
    Progress() = default;
    Progress(std::ostream* stream, bool enabled) : stream_(stream), enabled_(enabled) {}

    // "label: 42%" rewritten in place; printed only when the percentage moves.
    void Update(const std::string& label, size_t done, size_t total);
    // A bar for work counted in items: "label:  42% [########    ] 420/1000
    // units, 180/s, 3 s left", redrawn when the percentage moves or every
    // kBarRedraw, and at the last item. The rate counts from the first call.
    void Count(const std::string& label, size_t done, size_t total, const std::string& units);
    // Ends the line of the last update.
    void Finish();

    static constexpr std::chrono::milliseconds kBarRedraw{200};
    static constexpr int kBarWidth = 24;  // characters between the brackets

  private:
    using Clock = std::chrono::steady_clock;

    std::ostream* stream_ = nullptr;
    bool enabled_ = false;
    int lastPercent_ = -1;
    bool open_ = false;
    bool counting_ = false;  // Count has started its clock
    Clock::time_point started_{};
    Clock::time_point drawn_{};
};

// True when the standard error stream is a terminal.
bool StandardErrorIsTerminal();

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_PROGRESS_H
