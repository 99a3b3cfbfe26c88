// All-or-nothing output: every file is first written under a temporary name in
// its own directory, and the set replaces the old files as a whole or not at all.
#ifndef VANTIR_TOOLS_FILE_OUTPUT_H
#define VANTIR_TOOLS_FILE_OUTPUT_H

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace vantir::tools {

struct OutputFile {
    std::filesystem::path path;
    std::string content;  // bytes, written as they are
};

// The rename that puts a written file in place; tests pass one that fails.
using RenameFile = std::function<void(const std::filesystem::path& from,
                                      const std::filesystem::path& to, std::error_code& error)>;

// Refuses a target that exists and is not a regular file (a directory, a
// device, a pipe, or a symbolic link to one of these). Creates missing
// directories and writes each file to a temporary name beside it. Once all are
// written, every old target is kept under a second name (a hard link, or a copy
// where links are not possible) and the new files are renamed into place; if
// one rename fails, the targets renamed before it get their old files back (or
// are removed when they did not exist). On any failure the temporary files are
// removed and ToolError names the file; on success the kept old files are.
void WriteFilesAtomically(const std::vector<OutputFile>& files);
void WriteFilesAtomically(const std::vector<OutputFile>& files, const RenameFile& rename);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_FILE_OUTPUT_H
