// Temporary-name writing, keeping of the old files, renaming and roll-back for
// the tool's outputs. Helper names start with '.' and carry the process id.
#include "tools/compile/file_output.h"

#include <unistd.h>

#include <fstream>

#include "tools/compile/diagnostics.h"

namespace vantir::tools {

namespace fs = std::filesystem;

namespace {

fs::path HelperNameFor(const fs::path& target, const char* purpose) {
    fs::path name = target.parent_path();
    name /= "." + target.filename().string() + "." + purpose + "-" + std::to_string(getpid());
    return name;
}

void RemoveQuietly(const std::vector<fs::path>& paths) {
    std::error_code ignored;
    for (const fs::path& path : paths) {
        if (!path.empty()) fs::remove(path, ignored);
    }
}

const char* KindOf(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "a directory";
        case fs::file_type::character:
            return "a character device";
        case fs::file_type::block:
            return "a block device";
        case fs::file_type::fifo:
            return "a pipe";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "not a regular file";
    }
}

// A rename over a directory or a device would fail late or replace something
// that is no output of ours; such targets are refused before anything is written.
void RefuseNonRegularTarget(const fs::path& target) {
    std::error_code error;
    const fs::file_status own = fs::symlink_status(target, error);
    if (error || !fs::exists(own)) return;
    if (fs::is_symlink(own)) {
        const fs::file_status linked = fs::status(target, error);
        if (error || !fs::exists(linked) || fs::is_regular_file(linked)) return;
        Fail(target.string(), 0,
             std::string("is a symbolic link to ") + KindOf(linked.type()) +
                 "; refusing to replace it");
    }
    if (!fs::is_regular_file(own)) {
        Fail(target.string(), 0,
             std::string("is ") + KindOf(own.type()) +
                 ", not a regular file; refusing to replace it");
    }
}

void WriteTemporary(const OutputFile& file, const fs::path& temporary) {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
    out.close();
    if (!out) Fail(file.path.string(), 0, "cannot write the file");
}

// The old file under a second name, so that a failed later rename can put it back.
bool KeepOldFile(const fs::path& target, const fs::path& kept) {
    std::error_code error;
    fs::remove(kept, error);
    fs::create_hard_link(target, kept, error);
    if (!error) return true;
    error.clear();
    return fs::copy_file(target, kept, fs::copy_options::overwrite_existing, error) && !error;
}

}  // namespace

void WriteFilesAtomically(const std::vector<OutputFile>& files) {
    WriteFilesAtomically(files, [](const fs::path& from, const fs::path& to,
                                   std::error_code& error) { fs::rename(from, to, error); });
}

void WriteFilesAtomically(const std::vector<OutputFile>& files, const RenameFile& rename) {
    for (const OutputFile& file : files)
        RefuseNonRegularTarget(file.path);
    std::vector<fs::path> temporaries;
    try {
        for (const OutputFile& file : files) {
            std::error_code error;
            const fs::path directory = file.path.parent_path();
            if (!directory.empty()) fs::create_directories(directory, error);
            if (error)
                Fail(directory.string(), 0, "cannot create the directory: " + error.message());
            temporaries.push_back(HelperNameFor(file.path, "tmp"));
            WriteTemporary(file, temporaries.back());
        }
    } catch (...) {
        RemoveQuietly(temporaries);
        throw;
    }

    std::vector<fs::path> kept(files.size());  // empty where the target did not exist
    for (size_t k = 0; k < files.size(); ++k) {
        std::error_code error;
        if (!fs::exists(fs::symlink_status(files[k].path, error))) continue;
        kept[k] = HelperNameFor(files[k].path, "old");
        if (!KeepOldFile(files[k].path, kept[k])) {
            RemoveQuietly(temporaries);
            RemoveQuietly(kept);
            Fail(files[k].path.string(), 0, "cannot keep the old file while replacing it");
        }
    }

    for (size_t k = 0; k < files.size(); ++k) {
        std::error_code error;
        rename(temporaries[k], files[k].path, error);
        if (!error) continue;
        std::string message = "cannot rename the written file: " + error.message();
        // Put back what was replaced before this one, so the set stays whole.
        std::vector<std::string> stranded;
        for (size_t back = 0; back < k; ++back) {
            std::error_code undo;
            if (kept[back].empty()) {
                fs::remove(files[back].path, undo);
            } else {
                fs::rename(kept[back], files[back].path, undo);
            }
            if (undo) {
                stranded.push_back(files[back].path.string() +
                                   (kept[back].empty()
                                        ? " is new"
                                        : " has its old content in " + kept[back].string()));
                kept[back].clear();
            }
        }
        RemoveQuietly(std::vector<fs::path>(temporaries.begin() + k, temporaries.end()));
        RemoveQuietly(kept);
        if (stranded.empty()) {
            message += "; every output was left as it was";
        } else {
            message += "; restoring failed too:";
            for (const std::string& one : stranded)
                message += " " + one + ";";
            message.pop_back();
        }
        Fail(files[k].path.string(), 0, message);
    }
    RemoveQuietly(kept);
}

}  // namespace vantir::tools
