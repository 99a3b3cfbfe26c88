// Terminal progress lines for training, model building and batch filtering.
// Carriage returns rewrite the line; nothing is printed to pipes or files.
#include "tools/compile/progress.h"

#include <unistd.h>

#include <iomanip>
#include <sstream>

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

void Progress::Count(const std::string& label, size_t done, size_t total,
                     const std::string& units) {
    if (!enabled_ || stream_ == nullptr || total == 0) return;
    const Clock::time_point now = Clock::now();
    if (!counting_) {
        counting_ = true;
        started_ = now;
    }
    const int percent = static_cast<int>(done * kPercent / total);
    if (percent == lastPercent_ && done < total && now - drawn_ < kBarRedraw) return;
    lastPercent_ = percent;
    drawn_ = now;
    open_ = true;
    const int filled = static_cast<int>(done * kBarWidth / total);
    const double seconds = std::chrono::duration<double>(now - started_).count();
    std::ostringstream line;  // formatted apart: the stream's own flags stay as they are
    line << '\r' << label << ": " << std::setw(3) << percent << "% ["
         << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kBarWidth - filled), ' ') << "] " << done << '/'
         << total << ' ' << units;
    if (seconds > 0 && done > 0) {
        const double rate = static_cast<double>(done) / seconds;
        const double left = static_cast<double>(total - done) / rate;
        // Blanks after the figures clear what a longer line before left.
        line << ", " << std::fixed << std::setprecision(0) << rate << "/s, " << left
             << " s left   ";
    }
    *stream_ << line.str() << std::flush;
}

void Progress::Finish() {
    if (open_ && stream_ != nullptr) *stream_ << '\n' << std::flush;
    open_ = false;
    lastPercent_ = -1;
    counting_ = false;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace vantir::tools
