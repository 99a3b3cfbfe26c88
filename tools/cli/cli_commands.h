// Registration of the subcommands of `vantir`; each lives in its own file and
// sets the action that RunVantir runs once the arguments are parsed.
#ifndef VANTIR_TOOLS_CLI_COMMANDS_H
#define VANTIR_TOOLS_CLI_COMMANDS_H

#include <CLI/CLI.hpp>
#include <functional>
#include <ostream>

#include "tools/cli/cli.h"
#include "tools/compile/diagnostics.h"
#include "tools/compile/progress.h"

namespace vantir::tools {

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;
    std::function<int()> action;  // set by the chosen subcommand's callback

    Diagnostics MakeDiagnostics() const { return Diagnostics(&err); }
    Progress MakeProgress() const { return Progress(&err, errIsTerminal); }
};

void AddBuildCommand(CLI::App& app, CliContext& context);
void AddTrainCommand(CLI::App& app, CliContext& context);
void AddFilterCommand(CLI::App& app, CliContext& context);
void AddExplainCommand(CLI::App& app, CliContext& context);
void AddInspectCommand(CLI::App& app, CliContext& context);
void AddEvalCommand(CLI::App& app, CliContext& context);
void AddSegmentCommand(CLI::App& app, CliContext& context);
void AddExportCommand(CLI::App& app, CliContext& context);

// The N-best format option shared by filter and eval.
void AddFormatOption(CLI::App& command, std::string& format);
// -j/--jobs: worker threads filtering utterances; the output is the same for any count.
void AddJobsOption(CLI::App& command, int32_t& workers);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_CLI_COMMANDS_H
