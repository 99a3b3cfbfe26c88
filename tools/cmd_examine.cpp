// `vantir inspect FILE...`: header, counts, sizes and well-formedness of blobs;
// a directory stands for the three blobs of a data set.
#include <iomanip>
#include <memory>

#include "tools/blob_examiner.h"
#include "tools/cli_commands.h"
#include "tools/data_build.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

constexpr int kLabelWidth = 16;

struct InspectOptions {
    std::vector<std::string> paths;
};

std::vector<std::filesystem::path> ExpandPaths(const std::vector<std::string>& given) {
    std::vector<std::filesystem::path> paths;
    for (const std::string& path : given) {
        if (std::filesystem::is_directory(path)) {
            for (const char* name : {kLexiconBlobName, kModelBlobName, kAddressBlobName}) {
                paths.push_back(std::filesystem::path(path) / name);
            }
        } else {
            paths.emplace_back(path);
        }
    }
    return paths;
}

void PrintReport(const std::filesystem::path& path, const BlobReport& report, std::ostream& out) {
    out << path.string() << '\n';
    out << "  " << std::left << std::setw(kLabelWidth) << "kind" << report.kind << '\n';
    for (const auto& [label, value] : report.fields) {
        out << "  " << std::left << std::setw(kLabelWidth) << label << value << '\n';
    }
    out << "  " << std::left << std::setw(kLabelWidth) << "well formed"
        << (report.WellFormed() ? "yes" : "no") << '\n';
    for (const std::string& problem : report.problems)
        out << "  problem: " << problem << '\n';
}

int RunInspect(const InspectOptions& options, CliContext& context) {
    int status = kExitSuccess;
    const BlobReport* byKind[3] = {nullptr, nullptr, nullptr};
    std::vector<BlobReport> reports;
    const std::vector<std::filesystem::path> paths = ExpandPaths(options.paths);
    reports.reserve(paths.size());
    for (const std::filesystem::path& path : paths) {
        Expected<BlobBuffer> blob = LoadBlobFile(path);
        if (!blob) {
            context.err << "vantir: " << blob.error().message << '\n';
            status = kExitFailure;
            continue;
        }
        reports.push_back(InspectBlob(blob->data(), blob->size()));
        const BlobReport& report = reports.back();
        PrintReport(path, report, context.out);
        if (!report.WellFormed()) {
            context.err << "vantir: " << path.string() << ": malformed: " << report.problems[0]
                        << '\n';
            status = kExitFailure;
        }
        if (report.kind == "lexicon") byKind[0] = &report;
        if (report.kind == "model") byKind[1] = &report;
        if (report.kind == "address database") byKind[2] = &report;
    }
    if (byKind[0] && byKind[1] && byKind[2]) {
        const std::vector<std::string> problems =
            CheckSameNumbering(*byKind[0], *byKind[1], *byKind[2]);
        context.out << "numbering        "
                    << (problems.empty() ? "lexicon, model and address database agree"
                                         : problems[0])
                    << '\n';
        if (!problems.empty()) status = kExitFailure;
    }
    return status;
}

}  // namespace

void AddInspectCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<InspectOptions>();
    CLI::App* command = app.add_subcommand(
        "inspect", "Show the header, counts and sizes of blobs and whether they are well formed");
    command->footer(
        "Reads lexicon (WPB), model (LMB) and address database (ADDR) blobs. A directory\n"
        "stands for its lexicon.wpb, model.lmb and address.addr; when all three kinds are\n"
        "given, their word counts are compared. Exit status 1 when a blob is malformed.");
    command->add_option("FILE", options->paths, "Blob files or data directories")->required();
    command->callback([options, &context] {
        context.action = [options, &context] { return RunInspect(*options, context); };
    });
}

}  // namespace vantir::tools
