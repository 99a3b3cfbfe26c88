// `vantir inspect FILE...`: header, counts, sizes and well-formedness of blobs;
// a directory is judged as the loader judges it.
#include <cstdio>
#include <iomanip>
#include <memory>

#include "tools/cli/cli_commands.h"
#include "tools/compile/blob_examiner.h"
#include "tools/compile/data_build.h"
#include "tools/compile/switch_record.h"
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

void PrintLine(const char* label, const std::string& value, std::ostream& out) {
    out << std::left << std::setw(kLabelWidth + 1) << label << value << '\n';
}

std::string Hex(uint32_t value) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(value));
    return hex;
}

// A folder judged as a load judges it: each blob a load reads (the old ones
// while a switch record stands), its kind by its tag, the set identity of
// every blob; the verdict, and the exit status, are whether the folder loads.
int InspectFolder(const std::filesystem::path& directory, CliContext& context) {
    std::vector<SetBlob> blobs;
    try {
        const std::optional<SwitchRecord> record = ReadSwitchRecord(directory);
        if (record) {
            PrintLine("switch record",
                      (directory / kSwitchRecordName).string() +
                          ": a build is switching the blobs (or was ended doing "
                          "so); a load reads the old set it kept",
                      context.out);
        }
        blobs = SetBlobsOf(directory, record);
    } catch (const ToolError& error) {
        context.err << "vantir: " << error.what() << '\n';
        return kExitFailure;
    }
    std::vector<SetMember> members;
    std::vector<BlobReport> reports;
    for (const SetBlob& blob : blobs) {
        Expected<BlobBuffer> loaded = LoadBlobFile(blob.path);
        if (!loaded) {
            context.out << blob.path.string() << "\n  problem: " << loaded.error().message << '\n';
            continue;
        }
        BlobReport report = InspectBlob(loaded->data(), loaded->size());
        PrintReport(blob.path, report, context.out);
        if (blob.path.filename() != blob.name)
            context.out << "  read as         " << blob.name << '\n';
        if (report.kind != blob.kind) {
            context.out << "  problem: " << blob.name << " must be a " << blob.kind
                        << " blob; its tag makes it " << report.kind << '\n';
        }
        members.push_back({blob.name, report.setIdentity});
        if (!blob.optional && report.kind == blob.kind) reports.push_back(std::move(report));
    }
    if (members.size() == blobs.size()) {
        const std::string mismatch = SetMismatch(members);
        std::string names;
        for (size_t k = 0; k < blobs.size(); ++k) {
            names += k == 0 ? "" : k + 1 == blobs.size() ? " and " : ", ";
            names += blobs[k].kind;
        }
        const uint32_t identity = members[0].identity;
        PrintLine("set identity",
                  !mismatch.empty() ? mismatch
                  : identity == 0 ? "none (blobs from before set identities; word counts compared)"
                                  : Hex(identity) + ": " + names + " are of one build",
                  context.out);
    }
    if (reports.size() == 3) {
        const std::vector<std::string> problems =
            CheckSameNumbering(reports[0], reports[1], reports[2]);
        PrintLine("numbering",
                  problems.empty() ? "lexicon, model and address database agree" : problems[0],
                  context.out);
    }
    // The verdict is the loader's own, so that it cannot disagree with filter.
    try {
        LoadDataDir(directory);
    } catch (const ToolError& error) {
        PrintLine("loads", "no", context.out);
        context.err << "vantir: " << error.what() << '\n';
        return kExitFailure;
    }
    PrintLine("loads", "yes", context.out);
    return kExitSuccess;
}

// Blob files given one by one: each shown; when all three kinds are among
// them, whether they can be one set.
int InspectFiles(const std::vector<std::filesystem::path>& paths, CliContext& context) {
    int status = kExitSuccess;
    const BlobReport* byKind[3] = {nullptr, nullptr, nullptr};
    std::string nameOf[3];  // the file each of byKind came from
    std::vector<BlobReport> reports;
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
            identity = byKind[0]->setIdentity == 0
                           ? "none (blobs from before set identities; word counts compared)"
                           : Hex(byKind[0]->setIdentity) +
                                 ": lexicon, model and address database are of one build";
        }
        PrintLine("set identity", identity, context.out);
        if (!mismatch.empty()) status = kExitFailure;
        const std::vector<std::string> problems =
            CheckSameNumbering(*byKind[0], *byKind[1], *byKind[2]);
        PrintLine("numbering",
                  problems.empty() ? "lexicon, model and address database agree" : problems[0],
                  context.out);
        if (!problems.empty()) status = kExitFailure;
    }
    return status;
}

int RunInspect(const InspectOptions& options, CliContext& context) {
    int status = kExitSuccess;
    if (!options.coverageDir.empty()) {
        status = RunCoverage(options.coverageDir, context);
        if (options.paths.empty()) return status;
    }
    std::vector<std::filesystem::path> files;
    for (const std::string& path : options.paths) {
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored)) {
            if (InspectFolder(path, context) != kExitSuccess) status = kExitFailure;
        } else {
            files.emplace_back(path);
        }
    }
    if (!files.empty() && InspectFiles(files, context) != kExitSuccess) status = kExitFailure;
    return status;
}

}  // namespace

void AddInspectCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<InspectOptions>();
    CLI::App* command = app.add_subcommand(
        "inspect", "Show the header, counts and sizes of blobs and whether they are well formed");
    command->footer(
        "Reads lexicon (WPB), model (LMB), address database (ADDR) and sounds (SND) blobs.\n"
        "A directory is judged as 'vantir filter' loads it: its lexicon.wpb, model.lmb,\n"
        "address.addr and sounds.snd when there is one (while a build's switch record\n"
        "stands, the old blobs it kept), each of the kind its tag gives, all of one set\n"
        "identity; 'loads yes' (exit status 0) exactly when filter loads the folder.\n"
        "Blob files given one by one: when all three kinds are given, their set identities\n"
        "(the user value 'vantir build' writes) and word counts are compared. Exit status\n"
        "1 when a blob is malformed or the blobs are not of one set.\n"
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
