// Temporary-name writing, keeping of the old files, the switch record, renaming
// and roll-back for the tool's outputs. Helper names start with '.' and carry
// the process id.
#include "tools/compile/file_output.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <optional>

#include "tools/compile/diagnostics.h"
#include "tools/compile/switch_record.h"

namespace vantir::tools {

namespace fs = std::filesystem;

namespace {

// What helper names say they are for, after the target's name: a new file
// being written, an old file kept during a switch, an old file being put back.
constexpr const char* kWrittenHelper = "tmp";
constexpr const char* kKeptHelper = "old";
constexpr const char* kPutBackHelper = "back";

// Helper names: '.', the target's name, '.', the purpose, '-' and the writer's
// process id; a name that starts with '.' already gets no second one.
std::string HelperPrefixFor(const std::string& targetName, const char* purpose) {
    return (targetName.starts_with('.') ? "" : ".") + targetName + "." + purpose + "-";
}

fs::path HelperNameFor(const fs::path& target, const char* purpose) {
    return target.parent_path() /
           (HelperPrefixFor(target.filename().string(), purpose) + std::to_string(getpid()));
}

// The hooks, with the defaults of a real run.
struct Steps {
    const OutputHooks& hooks;

    void Before(const std::string& what) const {
        if (hooks.beforeStep) hooks.beforeStep(what);
    }
    void Rename(const fs::path& from, const fs::path& to, std::error_code& error) const {
        Before("rename " + from.filename().string() + " to " + to.filename().string());
        if (hooks.rename) {
            hooks.rename(from, to, error);
        } else {
            fs::rename(from, to, error);
        }
    }
};

void RemoveQuietly(const std::vector<fs::path>& paths) {
    std::error_code ignored;
    for (const fs::path& path : paths) {
        if (!path.empty()) fs::remove(path, ignored);
    }
}

// Renames become durable once their directory is synced; a file system that
// cannot sync directories has nothing better to offer, so failures are ignored.
void SyncDirectory(const fs::path& directory) {
    const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
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

// Writes the bytes and syncs them, so that a renamed file is never seen empty
// or cut after a crash.
void WriteTemporary(const OutputFile& file, const fs::path& temporary, const Steps& steps) {
    steps.Before("write " + temporary.filename().string());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) FailOnFile(file.path.string(), "cannot write the file", errno);
    const char* bytes = file.content.data();
    size_t left = file.content.size();
    int error = 0;
    while (left > 0 && error == 0) {
        const ssize_t written = write(fd, bytes, left);
        if (written < 0) {
            if (errno != EINTR) error = errno;
            continue;
        }
        bytes += written;
        left -= static_cast<size_t>(written);
    }
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0) FailOnFile(file.path.string(), "cannot write the file", error);
}

// The old file under a second name, so that a failed later rename, or the next
// write after a kill, can put it back.
bool KeepOldFile(const fs::path& target, const fs::path& kept, const Steps& steps) {
    std::error_code error;
    fs::remove(kept, error);
    steps.Before("keep " + target.filename().string() + " as " + kept.filename().string());
    fs::create_hard_link(target, kept, error);
    if (!error) return true;
    error.clear();
    return fs::copy_file(target, kept, fs::copy_options::overwrite_existing, error) && !error;
}

// Puts a kept old file back in place through a link of its own, so that the
// kept name still holds it until the switch record is gone.
bool PutBack(const fs::path& target, const fs::path& kept, const Steps& steps) {
    const fs::path back = HelperNameFor(target, kPutBackHelper);
    std::error_code error;
    fs::remove(back, error);
    steps.Before("link " + kept.filename().string() + " as " + back.filename().string());
    fs::create_hard_link(kept, back, error);
    if (error) {
        error.clear();
        if (!fs::copy_file(kept, back, fs::copy_options::overwrite_existing, error) || error) {
            return false;
        }
    }
    steps.Before("rename " + back.filename().string() + " to " + target.filename().string());
    fs::rename(back, target, error);
    // A target that still is the kept file (another link of it) makes the
    // rename do nothing and leaves the helper behind.
    std::error_code ignored;
    fs::remove(back, ignored);
    return !error;
}

void WriteSwitchRecord(const fs::path& directory, const SwitchRecord& record, const Steps& steps) {
    const fs::path path = directory / kSwitchRecordName;
    const fs::path temporary = HelperNameFor(path, kWrittenHelper);
    try {
        WriteTemporary({path, FormatSwitchRecord(record)}, temporary, steps);
    } catch (...) {
        RemoveQuietly({temporary});
        throw;
    }
    std::error_code error;
    steps.Before("rename " + temporary.filename().string() + " to " + kSwitchRecordName);
    fs::rename(temporary, path, error);
    if (error) {
        RemoveQuietly({temporary});
        FailOnFile(path.string(), "cannot record the switch of the files", error.value());
    }
    steps.Before("sync " + directory.string());
    SyncDirectory(directory);
}

void RemoveSwitchRecord(const fs::path& directory, const Steps& steps) {
    steps.Before(std::string("remove ") + kSwitchRecordName);
    std::error_code ignored;
    fs::remove(directory / kSwitchRecordName, ignored);
    SyncDirectory(directory);
}

// A switch that a killed writer left: its old set goes back in place, then the
// record and the kept files go.
void FinishInterruptedSwitch(const fs::path& directory, const Steps& steps) {
    const std::optional<SwitchRecord> record = ReadSwitchRecord(directory);
    if (!record) return;
    std::vector<fs::path> kept;
    for (const auto& [target, keptName] : record->keptFor) {
        std::error_code error;
        if (keptName.empty()) {
            steps.Before("remove " + target);
            fs::remove(directory / target, error);  // new in the interrupted switch
        } else if (fs::exists(directory / keptName, error)) {
            if (!PutBack(directory / target, directory / keptName, steps)) {
                Fail((directory / target).string(), 0,
                     "cannot put back the old file of an interrupted build, kept in " + keptName);
            }
            kept.push_back(directory / keptName);
        }
    }
    SyncDirectory(directory);
    RemoveSwitchRecord(directory, steps);
    RemoveQuietly(kept);
}

bool ProcessIsGone(std::string_view digits) {
    int pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) return false;
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// Helper files of the targets (and of the switch record) whose writer no longer runs.
void RemoveStaleHelpers(const fs::path& directory, const std::vector<OutputFile>& files) {
    std::vector<std::string> prefixes;
    for (const OutputFile& file : files) {
        for (const char* purpose : {kWrittenHelper, kKeptHelper, kPutBackHelper})
            prefixes.push_back(HelperPrefixFor(file.path.filename().string(), purpose));
    }
    prefixes.push_back(HelperPrefixFor(kSwitchRecordName, kWrittenHelper));
    std::error_code error;
    std::vector<fs::path> stale;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        const std::string name = entry.path().filename().string();
        for (const std::string& prefix : prefixes) {
            if (name.starts_with(prefix) &&
                ProcessIsGone(std::string_view(name).substr(prefix.size()))) {
                stale.push_back(entry.path());
            }
        }
    }
    RemoveQuietly(stale);
}

// The directory of all files when there are several and they share one: such
// a set is switched under a record.
std::optional<fs::path> SetDirectoryOf(const std::vector<OutputFile>& files) {
    if (files.size() < 2) return std::nullopt;
    const fs::path directory = files[0].path.parent_path();
    for (const OutputFile& file : files) {
        if (file.path.parent_path() != directory) return std::nullopt;
    }
    return directory;
}

}  // namespace

void WriteFilesAtomically(const std::vector<OutputFile>& files) {
    WriteFilesAtomically(files, OutputHooks{});
}

void WriteFilesAtomically(const std::vector<OutputFile>& files, const RenameFile& rename) {
    WriteFilesAtomically(files, OutputHooks{rename, {}});
}

void WriteFilesAtomically(const std::vector<OutputFile>& files, const OutputHooks& hooks) {
    const Steps steps{hooks};
    for (const OutputFile& file : files)
        RefuseNonRegularTarget(file.path);
    std::vector<fs::path> temporaries(files.size());  // empty for an absent file
    const std::optional<fs::path> setDirectory = SetDirectoryOf(files);
    try {
        for (const OutputFile& file : files) {
            std::error_code error;
            const fs::path directory = file.path.parent_path();
            if (!directory.empty()) fs::create_directories(directory, error);
            if (error) FailOnFile(directory.string(), "cannot create the directory", error.value());
        }
        // Only after an interrupted switch is finished is the old set in place
        // to be kept, absent members included.
        if (setDirectory) {
            FinishInterruptedSwitch(*setDirectory, steps);
            RemoveStaleHelpers(*setDirectory, files);
        }
        for (size_t k = 0; k < files.size(); ++k) {
            if (files[k].absent) continue;
            temporaries[k] = HelperNameFor(files[k].path, kWrittenHelper);
            WriteTemporary(files[k], temporaries[k], steps);
        }
    } catch (...) {
        RemoveQuietly(temporaries);
        throw;
    }

    // An absent file that does not exist either takes no part in the switch.
    std::vector<bool> takesPart(files.size());
    std::vector<fs::path> kept(files.size());  // empty where the target did not exist
    for (size_t k = 0; k < files.size(); ++k) {
        std::error_code error;
        const bool exists = fs::exists(fs::symlink_status(files[k].path, error));
        takesPart[k] = exists || !files[k].absent;
        if (!exists) continue;
        kept[k] = HelperNameFor(files[k].path, kKeptHelper);
        if (!KeepOldFile(files[k].path, kept[k], steps)) {
            RemoveQuietly(temporaries);
            RemoveQuietly(kept);
            Fail(files[k].path.string(), 0, "cannot keep the old file while replacing it");
        }
    }
    if (setDirectory) {
        SwitchRecord record;
        for (size_t k = 0; k < files.size(); ++k) {
            if (!takesPart[k]) continue;
            record.keptFor[files[k].path.filename().string()] =
                kept[k].empty() ? std::string() : kept[k].filename().string();
        }
        try {
            WriteSwitchRecord(*setDirectory, record, steps);
        } catch (...) {
            RemoveQuietly(temporaries);
            RemoveQuietly(kept);
            throw;
        }
    }

    for (size_t k = 0; k < files.size(); ++k) {
        if (!takesPart[k]) continue;
        std::error_code error;
        if (files[k].absent) {
            steps.Before("remove " + files[k].path.filename().string());
            fs::remove(files[k].path, error);
        } else {
            steps.Rename(temporaries[k], files[k].path, error);
        }
        if (!error) continue;
        std::string message =
            std::string(files[k].absent ? "cannot remove the file of the old set: "
                                        : "cannot rename the written file: ") +
            error.message();
        // Put back what was replaced before this one, so the set stays whole.
        std::vector<std::string> stranded;
        for (size_t back = 0; back < k; ++back) {
            if (!takesPart[back]) continue;
            std::error_code undo;
            if (kept[back].empty()) {
                fs::remove(files[back].path, undo);
            } else if (!PutBack(files[back].path, kept[back], steps)) {
                undo = std::make_error_code(std::errc::io_error);
            }
            if (undo) {
                stranded.push_back(files[back].path.string() +
                                   (kept[back].empty()
                                        ? " is new"
                                        : " has its old content in " + kept[back].string()));
                if (!setDirectory) kept[back].clear();
            }
        }
        RemoveQuietly(std::vector<fs::path>(temporaries.begin() + static_cast<std::ptrdiff_t>(k),
                                            temporaries.end()));
        // With a file stranded, the record and the kept files stay: loaders keep
        // loading the old set, and the next write puts it back.
        if (!setDirectory || stranded.empty()) {
            if (setDirectory) RemoveSwitchRecord(*setDirectory, steps);
            RemoveQuietly(kept);
        }
        if (stranded.empty()) {
            message += "; every output was left as it was";
        } else {
            message += "; restoring failed too:";
            for (const std::string& one : stranded)
                message += " " + one + ";";
            message.pop_back();
        }
        throw FileError(Located(files[k].path.string(), 0, message), error.value(),
                        files[k].path.string());
    }
    if (setDirectory) {
        steps.Before("sync " + setDirectory->string());
        SyncDirectory(*setDirectory);
        RemoveSwitchRecord(*setDirectory, steps);
    }
    for (const fs::path& old : kept) {
        if (old.empty()) continue;
        steps.Before("remove " + old.filename().string());
        RemoveQuietly({old});
    }
}

}  // namespace vantir::tools
