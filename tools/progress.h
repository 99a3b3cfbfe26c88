// Progress of long work on standard error, shown only when that is a terminal
// so that logs and pipes stay clean.
#ifndef VANTIR_TOOLS_PROGRESS_H
#define VANTIR_TOOLS_PROGRESS_H

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
    // Ends the line of the last update.
    void Finish();

  private:
    std::ostream* stream_ = nullptr;
    bool enabled_ = false;
    int lastPercent_ = -1;
    bool open_ = false;
};

// True when the standard error stream is a terminal.
bool StandardErrorIsTerminal();

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_PROGRESS_H
