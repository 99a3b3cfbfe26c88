// Temporary-name writing and renaming for the tool's outputs.
// Temporary names start with '.' and carry the process id, so runs do not collide.
#include "tools/file_output.h"

#include <unistd.h>

#include <fstream>
#include <system_error>

#include "tools/diagnostics.h"

namespace vantir::tools {

namespace {

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
    std::filesystem::path name = target.parent_path();
    name /= "." + target.filename().string() + ".tmp-" + std::to_string(getpid());
    return name;
}

void RemoveQuietly(const std::vector<std::filesystem::path>& paths) {
    std::error_code ignored;
    for (const std::filesystem::path& path : paths)
        std::filesystem::remove(path, ignored);
}

}  // namespace

void WriteFilesAtomically(const std::vector<OutputFile>& files) {
    std::vector<std::filesystem::path> temporaries;
    for (const OutputFile& file : files) {
        std::error_code error;
        const std::filesystem::path directory = file.path.parent_path();
        if (!directory.empty()) std::filesystem::create_directories(directory, error);
        if (error) {
            RemoveQuietly(temporaries);
            Fail(directory.string(), 0, "cannot create the directory: " + error.message());
        }
        const std::filesystem::path temporary = TemporaryNameFor(file.path);
        temporaries.push_back(temporary);
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
        out.close();
        if (!out) {
            RemoveQuietly(temporaries);
            Fail(file.path.string(), 0, "cannot write the file");
        }
    }
    for (size_t k = 0; k < files.size(); ++k) {
        std::error_code error;
        std::filesystem::rename(temporaries[k], files[k].path, error);
        if (error) {
            RemoveQuietly(
                std::vector<std::filesystem::path>(temporaries.begin() + k, temporaries.end()));
            Fail(files[k].path.string(), 0, "cannot rename the written file: " + error.message());
        }
    }
}

}  // namespace vantir::tools
