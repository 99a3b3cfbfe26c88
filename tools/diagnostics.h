// Errors and warnings of the data tooling: every message names the file and,
// where there is one, the line, so that a bad source can be fixed at once.
#ifndef VANTIR_TOOLS_DIAGNOSTICS_H
#define VANTIR_TOOLS_DIAGNOSTICS_H

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>

namespace vantir::tools {

// A failure that stops the command; the message is one line, "file:line: what".
class ToolError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "file:line: what" (line 0 means the file as a whole: "file: what").
std::string Located(const std::string& file, int32_t line, const std::string& what);

[[noreturn]] void Fail(const std::string& file, int32_t line, const std::string& what);

// Warnings go to one stream, prefixed "warning: ", and are counted.
struct Diagnostics {
    std::ostream* stream = nullptr;  // null: warnings are only counted
    int32_t warnings = 0;

    void Warn(const std::string& file, int32_t line, const std::string& what);
};

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_DIAGNOSTICS_H
