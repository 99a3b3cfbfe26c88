// Formatting of located error and warning messages.
// Errors are thrown as ToolError and turned into exit codes by the command line.
#include "tools/diagnostics.h"

namespace vantir::tools {

std::string Located(const std::string& file, int32_t line, const std::string& what) {
    if (line <= 0) return file + ": " + what;
    return file + ":" + std::to_string(line) + ": " + what;
}

void Fail(const std::string& file, int32_t line, const std::string& what) {
    throw ToolError(Located(file, line, what));
}

void Diagnostics::Warn(const std::string& file, int32_t line, const std::string& what) {
    ++warnings;
    if (stream != nullptr) *stream << "warning: " << Located(file, line, what) << '\n';
}

}  // namespace vantir::tools
