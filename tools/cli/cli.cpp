// Top level of the command line: subcommands, parse errors, and the mapping of
// failures to one-line messages and exit codes.
#include "tools/cli/cli.h"

#include "tools/cli/cli_commands.h"
#include "tools/run/batch_filter.h"
#include "tools/run/parallel_filter.h"

namespace vantir::tools {

namespace {

constexpr const char* kFooter =
    "Exit status: 0 success, 1 bad input or data, 2 usage error.\n"
    "Run 'vantir COMMAND --help' for the options of a command.";

}  // namespace

void AddFormatOption(CLI::App& command, std::string& format) {
    command
        .add_option("--format", format,
                    "N-best convention: kaldi ('UTTID-RANK word ...'), plain (a line per "
                    "hypothesis, blank line between utterances) or auto")
        ->check(CLI::IsMember({"auto", "kaldi", "plain"}))
        ->capture_default_str();
}

void AddJobsOption(CLI::App& command, int32_t& workers) {
    command
        .add_option("-j,--jobs", workers,
                    "Worker threads, each with its own session over the one loaded model "
                    "(0: one per core); the output is the same for any number")
        ->check(CLI::Range(0, kMaxWorkers))
        ->capture_default_str();
}

namespace {

int ParseAndRun(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                bool errIsTerminal) {
    CLI::App app("vantir: build, inspect and try out the data of the Vantir address filter",
                 "vantir");
    app.footer(kFooter);
    app.require_subcommand(1);
    app.set_version_flag("--version", "vantir 0.1.0");
    CliContext context{out, err, errIsTerminal, {}};
    AddBuildCommand(app, context);
    AddTrainCommand(app, context);
    AddFilterCommand(app, context);
    AddExplainCommand(app, context);
    AddInspectCommand(app, context);
    AddEvalCommand(app, context);
    AddSegmentCommand(app, context);
    AddExportCommand(app, context);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, out, err);
        return code == 0 ? kExitSuccess : kExitUsage;
    }
    if (!context.action) return kExitUsage;
    try {
        return context.action();
    } catch (const ToolError& error) {
        err << "vantir: " << error.what() << '\n';
        return kExitFailure;
    } catch (const std::bad_alloc&) {
        err << "vantir: out of memory\n";
        return kExitFailure;
    } catch (const std::exception& error) {
        err << "vantir: " << error.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace

int RunVantir(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
              bool errIsTerminal) {
    const int status = ParseAndRun(argc, argv, out, err, errIsTerminal);
    // Output goes through a buffer: a full disk or a closed descriptor shows only
    // once it is flushed, and then the command must not report success.
    out.flush();
    if (!out) {
        // A command stopped by the failed output said so already.
        if (status == kExitSuccess) err << "vantir: " << kOutputFailed << '\n';
        return kExitFailure;
    }
    return status;
}

}  // namespace vantir::tools
