// Errors and warnings of the data tooling: every message names the file and,
// where there is one, the line, so that a bad source can be fixed at once.
#ifndef VANTIR_TOOLS_DIAGNOSTICS_H
#define VANTIR_TOOLS_DIAGNOSTICS_H

#include <cstdint>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantir::tools {

// A failure that stops the command; the message is one line, "file:line: what".
class ToolError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A failure of the operating system on a file, with the errno it gave, so that
// a caller can pass the reason on as such (the Python module raises OSError).
class FileError : public ToolError {
  public:
    FileError(const std::string& message, int error, std::string path)
        : ToolError(message), error_(error), path_(std::move(path)) {}
    int error() const noexcept { return error_; }
    const std::string& path() const noexcept { return path_; }

  private:
    int error_;
    std::string path_;
};

// "file:line: what" (line 0 means the file as a whole: "file: what").
std::string Located(const std::string& file, int32_t line, const std::string& what);

[[noreturn]] void Fail(const std::string& file, int32_t line, const std::string& what);

// Throws FileError "file: what: <the system's text for error>".
[[noreturn]] void FailOnFile(const std::string& file, const std::string& what, int error);

// Characters of a name that messages echo before cutting it.
constexpr size_t kShownNameChars = 40;

// "1 warning", "2 warnings": the count and the noun, with an s unless the count is 1.
std::string Counted(int64_t count, const std::string& noun);

// A name from the input as messages quote it: in single quotes, control
// characters escaped (a NUL as \0, so it cannot end the message), characters
// that print as nothing or turn the text around escaped as \uXXXX (a byte
// order mark inside a name, a zero-width space, a direction mark), cut after
// kShownNameChars characters; a cut name is followed by its length, and a name
// holding a NUL says so.
std::string Shown(std::string_view name);

// Warnings go to one stream, prefixed "warning: ", and are counted. The same
// warning for the same file is shown once; its repeats are only counted. A
// warning of a named kind is shown for the first kShownPerKind occurrences,
// the others only counted. Summarise() reports what was held back; the
// destructor does so for what is left.
struct Diagnostics {
    static constexpr int32_t kShownPerKind = 10;

    Diagnostics() = default;
    explicit Diagnostics(std::ostream* to, int32_t counted = 0) : stream(to), warnings(counted) {}
    // What is still held back is reported also when a failure ends the command.
    ~Diagnostics() { Summarise(); }
    Diagnostics(const Diagnostics&) = delete;
    Diagnostics& operator=(const Diagnostics&) = delete;

    std::ostream* stream = nullptr;  // null: warnings are only counted
    int32_t warnings = 0;

    void Warn(const std::string& file, int32_t line, const std::string& what);
    void Warn(const std::string& file, int32_t line, const std::string& what,
              const std::string& kind);

    // One line per repeated warning and per kind with hidden warnings, then
    // starts afresh.
    void Summarise();

  private:
    struct Held {
        std::string file;
        std::string what;
        int32_t firstLine = 0;
        int32_t count = 0;    // held back
        bool ofKind = false;  // `what` names a kind of warning, not one warning
    };
    std::map<std::string, size_t> seen_;   // file + what -> index in held_
    std::map<std::string, size_t> kinds_;  // file + kind -> index in held_
    std::map<std::string, int32_t> shownOfKind_;
    std::vector<Held> held_;
};

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_DIAGNOSTICS_H
