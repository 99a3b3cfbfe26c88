// Terminal progress line for training and model building.
// Carriage returns rewrite the line; nothing is printed to pipes or files.
#include "tools/progress.h"

#include <unistd.h>

namespace vantir::tools {

namespace {

constexpr size_t kPercent = 100;

}  // namespace

void Progress::Update(const std::string& label, size_t done, size_t total) {
    if (!enabled_ || stream_ == nullptr || total == 0) return;
    const int percent = static_cast<int>(done * kPercent / total);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    open_ = true;
    *stream_ << '\r' << label << ": " << percent << '%' << std::flush;
}

void Progress::Finish() {
    if (open_ && stream_ != nullptr) *stream_ << '\n' << std::flush;
    open_ = false;
    lastPercent_ = -1;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace vantir::tools
