// All-or-nothing output: every file is first written under a temporary name in
// its own directory, and the set replaces the old files as a whole or not at all.
#ifndef VANTIR_TOOLS_FILE_OUTPUT_H
#define VANTIR_TOOLS_FILE_OUTPUT_H

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace vantir::tools {

struct OutputFile {
    std::filesystem::path path;
    std::string content;  // bytes, written as they are
    // The new set has no such file: an old one is removed in the same switch
    // as the others are replaced (and put back when the switch fails).
    bool absent = false;
};

// A member of a set that the new set lacks.
inline OutputFile AbsentFile(std::filesystem::path path) {
    return {std::move(path), {}, true};
}

// The rename that puts a written file in place; tests pass one that fails.
using RenameFile = std::function<void(const std::filesystem::path& from,
                                      const std::filesystem::path& to, std::error_code& error)>;

struct OutputHooks {
    RenameFile rename;  // empty: std::filesystem::rename
    // Tests only: called before every change the writer makes on disk (each
    // write, sync, link, rename and removal), with a short description. A test
    // that ends the process there sees what a kill at that moment leaves.
    std::function<void(const std::string& step)> beforeStep;
};

// Refuses a target that exists and is not a regular file (a directory, a
// device, a pipe, or a symbolic link to one of these). Creates missing
// directories and writes each file to a temporary name beside it, synced to
// the disk. Once all are written, every old target is kept under a second name
// (a hard link, or a copy where links are not possible) and the new files are
// renamed into place; if one rename fails, the targets renamed before it get
// their old files back (or are removed when they did not exist). On any
// failure the temporary files are removed and ToolError names the file (a
// FileError with the system's reason where the system refused); on success
// the kept old files are.
//
// Several files in one directory are switched as a set, also when the process
// is killed (an absent file's removal is one step of the same switch): before the first rename a
// switch record (switch_record.h) naming the kept old files is put in the directory, and it is
// removed after the last. While it exists, LoadDataDir loads the old files it names, so a loader
// sees the old set until the switch is complete and the new one after. The next write into the
// directory first puts back the old set of a record it finds, then removes the helper files of
// writers that no longer run.
void WriteFilesAtomically(const std::vector<OutputFile>& files);
void WriteFilesAtomically(const std::vector<OutputFile>& files, const RenameFile& rename);
void WriteFilesAtomically(const std::vector<OutputFile>& files, const OutputHooks& hooks);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_FILE_OUTPUT_H
