// The `vantir` command line as a function, so that tests run it in process with
// their own output streams.
#ifndef VANTIR_TOOLS_CLI_H
#define VANTIR_TOOLS_CLI_H

#include <ostream>

namespace vantir::tools {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // bad input, bad data, or a failed check
constexpr int kExitUsage = 2;    // unknown command or option, missing argument

// Parses the arguments, runs the command and returns the exit status. Normal
// output goes to `out`, warnings, errors and progress to `err`; progress only
// when `errIsTerminal`. Whatever the command returned, the status is 1 when
// `out` cannot be written to the end (checked after flushing it).
int RunVantir(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
              bool errIsTerminal);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_CLI_H
