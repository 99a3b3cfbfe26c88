// `vantir inspect FILE...`: header, counts, sizes and well-formedness of blobs;
// a directory stands for the three blobs of a data set.
#include <cstdio>
#include <iomanip>
#include <memory>

#include "tools/cli/cli_commands.h"
#include "tools/compile/blob_examiner.h"
#include "tools/compile/data_build.h"
#include "tools/run/coverage.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

constexpr int kLabelWidth = 16;

struct InspectOptions {
    std::vector<std::string> paths;
    std::string coverageDir;
};

// Every check that found words, each word named; exit status 0 either way,
// since gaps may be intended (a district without listed roads).
int RunCoverage(const std::string& directory, CliContext& context) {
    LoadedData data = LoadDataDir(directory);
    const std::vector<CoverageCheck> checks = CheckCoverage(data);
    for (const CoverageCheck& check : checks) {
        context.out << "warning: " << check.words.size() << " " << check.what << ": " << check.means
                    << '\n';
        for (const std::string& word : check.words)
            context.out << "  " << word << '\n';
    }
    context.out << CoverageSummary(checks) << '\n';
    return kExitSuccess;
}

std::vector<std::filesystem::path> ExpandPaths(const std::vector<std::string>& given) {
    std::vector<std::filesystem::path> paths;
    for (const std::string& path : given) {
        if (std::filesystem::is_directory(path)) {
            for (const char* name : {kLexiconBlobName, kModelBlobName, kAddressBlobName}) {
                paths.push_back(std::filesystem::path(path) / name);
            }
            // The sounds blob is optional: shown when the folder has one.
            const std::filesystem::path sounds = std::filesystem::path(path) / kSoundsBlobName;
            if (std::filesystem::exists(sounds)) paths.push_back(sounds);
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
    if (!options.coverageDir.empty()) {
        const int coverage = RunCoverage(options.coverageDir, context);
        if (options.paths.empty()) return coverage;
    }
    int status = kExitSuccess;
    const BlobReport* byKind[3] = {nullptr, nullptr, nullptr};
    std::string nameOf[3];  // the file each of byKind came from
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
        const int kind = report.kind == "lexicon"            ? 0
                         : report.kind == "model"            ? 1
                         : report.kind == "address database" ? 2
                                                             : -1;
        if (kind >= 0) {
            byKind[kind] = &report;
            nameOf[kind] = path.filename().string();
        }
    }
    if (byKind[0] && byKind[1] && byKind[2]) {
        // The identities tell blobs of different builds apart, also when they
        // number as many words; the counts remain the check of blobs without.
        const std::string mismatch = SetMismatch({{nameOf[0], byKind[0]->setIdentity},
                                                  {nameOf[1], byKind[1]->setIdentity},
                                                  {nameOf[2], byKind[2]->setIdentity}});
        std::string identity = mismatch;
        if (mismatch.empty()) {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(byKind[0]->setIdentity));
            identity =
                byKind[0]->setIdentity == 0
                    ? "none (blobs from before set identities; word counts compared)"
                    : std::string(hex) + ": lexicon, model and address database are of one build";
        }
        context.out << std::left << std::setw(kLabelWidth + 1) << "set identity" << identity
                    << '\n';
        if (!mismatch.empty()) status = kExitFailure;
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
        "given, their set identities (the user value 'vantir build' writes) and word counts\n"
        "are compared. Exit status 1 when a blob is malformed or the blobs are not of one\n"
        "set.\n"
        "\n"
        "Fields of every blob: tag and version of the format, size in header (the size\n"
        "the blob declares), header size, user value (a number the builder may store),\n"
        "file size.\n"
        "Lexicon: words (static words, numbered 0..words-1 in the lexicon's order), longest\n"
        "word in UTF-16 units, words by length (length:count).\n"
        "Model: static words, pairs (listed word pairs), added capacity (ids kept for\n"
        "words added at run time), spare pairs (free pair slots), reserved 1-3, unigram\n"
        "and bigram max/min/mid/mean (the stored score bytes, 0 best; see docs/DATA.md),\n"
        "bytes needed (what the counts take).\n"
        "Address database: words (tagged words), stored value, region pairs, tag bytes,\n"
        "words by tag (tag code:count; role names in data/README.md).\n"
        "\n"
        "--coverage DIR checks a built data set against what the address grammar needs and\n"
        "names the words of each gap: roads in no district, number words that precede no\n"
        "key, lower regions in no region pair, region names missing from the vocabulary, ...");
    command
        ->add_option("--coverage", options->coverageDir,
                     "Name the words a built data set leaves without a needed pair")
        ->check(CLI::ExistingDirectory);
    command->add_option("FILE", options->paths, "Blob files or data directories");
    command->callback([options, &context] {
        if (options->paths.empty() && options->coverageDir.empty()) {
            throw CLI::ValidationError("FILE",
                                       "give blob files, data directories or --coverage DIR");
        }
        context.action = [options, &context] { return RunInspect(*options, context); };
    });
}

}  // namespace vantir::tools
