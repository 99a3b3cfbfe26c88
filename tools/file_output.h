// All-or-nothing output: every file is first written under a temporary name in
// its own directory and renamed into place only when all were written.
#ifndef VANTIR_TOOLS_FILE_OUTPUT_H
#define VANTIR_TOOLS_FILE_OUTPUT_H

#include <filesystem>
#include <string>
#include <vector>

namespace vantir::tools {

struct OutputFile {
    std::filesystem::path path;
    std::string content;  // bytes, written as they are
};

// Creates missing directories, writes each file to a temporary name beside it
// and renames them in order once all are complete. On any failure the
// temporary files are removed, no target is touched (unless a rename itself
// failed part-way), and ToolError names the file.
void WriteFilesAtomically(const std::vector<OutputFile>& files);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_FILE_OUTPUT_H
