// Opening a data folder: each blob read from a regular file of bounded size,
// without ever waiting on a FIFO or a device, then bound as one set; once
// more when a build was switching the folder's blobs meanwhile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "host/data_set.h"
#include "mempool/heap.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

// Reads a whole regular file into bytes from the heap. The file is opened
// without blocking, so a FIFO or a device of that name is turned down by the
// fstat that follows instead of waiting for a writer; a file is read up to
// the size fstat gave (a file that shrank meanwhile yields fewer bytes, which
// the blob checks then refuse).
SetProblem ReadBlobFile(const char* path, OwnedBlob* out) {
    *out = OwnedBlob{nullptr, 0};
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno == ENOENT ? SetProblem::kMissing : SetProblem::kUnreadable;
    struct stat status;
    SetProblem problem = SetProblem::kNone;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = SetProblem::kUnreadable;
    } else if (status.st_size < 0 || static_cast<uint64_t>(status.st_size) > kMaxBlobBytes) {
        problem = SetProblem::kTooLarge;
    }
    unsigned char* bytes = nullptr;
    const auto size = problem == SetProblem::kNone ? static_cast<uint32_t>(status.st_size) : 0u;
    if (problem == SetProblem::kNone) {
        bytes = static_cast<unsigned char*>(HeapAlloc(size));
        if (bytes == nullptr) problem = SetProblem::kOutOfMemory;
    }
    uint32_t got = 0;
    while (problem == SetProblem::kNone && got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n > 0) {
            got += static_cast<uint32_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            problem = SetProblem::kUnreadable;
        }
    }
    ::close(fd);
    if (problem != SetProblem::kNone) {
        HeapFree(bytes);
        return problem;
    }
    *out = OwnedBlob{bytes, got};
    return SetProblem::kNone;
}

// `folder`/`name` from the heap, or null.
char* PathIn(const char* folder, const char* name) {
    const int32_t folderLength = StrLen(folder);
    const int32_t nameLength = StrLen(name);
    // folder, '/', name, NUL; the folder's own length is the caller's.
    auto* path = static_cast<char*>(
        HeapAlloc(static_cast<size_t>(folderLength) + static_cast<size_t>(nameLength) + 2));
    if (path != nullptr) {
        MemCopyN(path, folder, folderLength);
        path[folderLength] = '/';
        MemCopyN(path + folderLength + 1, name, nameLength + 1);
    }
    return path;
}

// True while a build's switch record stands in the folder (a path that cannot
// be made counts as none: the load's own answer stands).
bool SwitchUnderWay(const char* folder) {
    char* path = PathIn(folder, VANTIR_SWITCH_RECORD_NAME);
    struct stat status;
    const bool found = path != nullptr && ::lstat(path, &status) == 0;
    HeapFree(path);
    return found;
}

VantirDataSet* OpenFolderOnce(const char* folder, SetReport* report) {
    if (report != nullptr) *report = SetReport{SetProblem::kNone, kHostBlobCount};
    OwnedBlob blobs[kHostBlobCount] = {};
    for (int32_t k = 0; k < kHostBlobCount; ++k) {
        char* path = PathIn(folder, kHostBlobKinds[k].fileName);
        SetProblem problem = SetProblem::kOutOfMemory;
        if (path != nullptr) {
            problem = ReadBlobFile(path, &blobs[k]);
            HeapFree(path);
        }
        // An optional blob that is not there is simply absent; one that is
        // there must be read like the others.
        if (problem == SetProblem::kMissing && !kHostBlobKinds[k].required) continue;
        if (problem != SetProblem::kNone) {
            FreeBlobs(blobs);
            if (report != nullptr) *report = SetReport{problem, static_cast<HostBlob>(k)};
            return nullptr;
        }
    }
    return BindDataSet(blobs, report);
}

}  // namespace

// A build renames the new blobs into place one by one, so a load that meets
// the switch half done reads blobs of two sets from a folder that was whole
// at every moment; such a load is made once more.
VantirDataSet* OpenFolderDataSet(const char* folder, SetReport* report) {
    if (folder == nullptr || folder[0] == '\0') {
        if (report != nullptr) *report = SetReport{SetProblem::kBadArgument, kHostBlobCount};
        return nullptr;
    }
    const bool before = SwitchUnderWay(folder);
    VantirDataSet* set = OpenFolderOnce(folder, report);
    if (set != nullptr || !(before || SwitchUnderWay(folder))) return set;
    return OpenFolderOnce(folder, report);
}

}  // namespace vantir

extern "C" VantirDataSet* Vantir_OpenDataSet(const char* folderUtf8, int32_t* error) {
    vantir::SetReport report;
    VantirDataSet* set = vantir::OpenFolderDataSet(folderUtf8, &report);
    if (error != nullptr) *error = vantir::SetProblemCode(report.problem);
    return set;
}
