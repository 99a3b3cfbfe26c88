// Writing and reading the switch record; names are checked on reading, since a
// loader opens the files a record names.
#include "tools/compile/switch_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "tools/compile/diagnostics.h"

namespace vantir::tools {

namespace {

// A plain name in the directory itself: no path, nothing that leaves it.
bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0\t\n", 4)) == std::string_view::npos;
}

}  // namespace

std::string FormatSwitchRecord(const SwitchRecord& record) {
    std::string text(kSwitchRecordHeading);
    text += '\n';
    for (const auto& [target, kept] : record.keptFor)
        text += target + '\t' + kept + '\n';
    return text;
}

std::optional<SwitchRecord> ParseSwitchRecord(std::string_view text) {
    const size_t headingEnd = text.find('\n');
    if (headingEnd == std::string_view::npos ||
        text.substr(0, headingEnd) != kSwitchRecordHeading) {
        return std::nullopt;
    }
    SwitchRecord record;
    text.remove_prefix(headingEnd + 1);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) return std::nullopt;  // cut short
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        const std::string_view target = line.substr(0, tab);
        const std::string_view kept = line.substr(tab + 1);
        if (!IsPlainName(target) || (!kept.empty() && !IsPlainName(kept))) return std::nullopt;
        record.keptFor[std::string(target)] = std::string(kept);
    }
    if (record.keptFor.empty()) return std::nullopt;
    return record;
}

std::optional<SwitchRecord> ReadSwitchRecord(const std::filesystem::path& directory) {
    const std::filesystem::path path = directory / kSwitchRecordName;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;  // none, or gone since: the switch has ended
        FailOnFile(path.string(), "cannot read the record of an interrupted build", errno);
    }
    struct stat status {};
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    std::string content;
    int error = 0;
    if (regular && static_cast<uint64_t>(status.st_size) <= kMaxSwitchRecordBytes) {
        content.resize(static_cast<size_t>(status.st_size));
        size_t got = 0;
        while (got < content.size()) {
            const ssize_t n = read(fd, content.data() + got, content.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = n < 0 ? errno : 0;
                break;
            }
            got += static_cast<size_t>(n);
        }
        content.resize(got);
    }
    close(fd);
    if (!regular) Fail(path.string(), 0, "is not a regular file; remove it and build again");
    if (error != 0) {
        FailOnFile(path.string(), "cannot read the record of an interrupted build", error);
    }
    std::optional<SwitchRecord> record = ParseSwitchRecord(content);
    if (!record) {
        Fail(path.string(), 0,
             "damaged record of an interrupted build; run 'vantir build' into this folder "
             "again");
    }
    return record;
}

}  // namespace vantir::tools
