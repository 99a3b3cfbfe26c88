// Line reader for UTF-8 sources: byte order mark, CR LF, UTF-8 validation,
// field splitting and comment detection.
#include "tools/compile/text_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tools/compile/diagnostics.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kStandardInput = "-";

// Bytes asked of the operating system per read.
constexpr size_t kReadChunkBytes = size_t{1} << 16;

bool IsFieldSpace(char c) {
    return c == ' ' || c == '\t';
}

[[noreturn]] void FailTooLong(const std::string& name, int32_t number) {
    Fail(name, number,
         "line longer than " + std::to_string(kMaxSourceLineBytes) +
             " bytes (the longest a source line may be); is this the right file?");
}

// The line as sources hold it: without the CR of a CR LF ending, within the
// length limit, and valid UTF-8.
SourceLine CheckedLine(std::string_view line, const std::string& name, int32_t number) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxSourceLineBytes) FailTooLong(name, number);
    Expected<std::u16string> decoded = ToUtf16(line);
    if (!decoded) Fail(name, number, decoded.error().message);
    return {number, std::string(line)};
}

}  // namespace

std::string DisplayName(const std::filesystem::path& path) {
    return path.string() == kStandardInput ? std::string("<stdin>") : path.string();
}

std::vector<SourceLine> SplitSourceText(std::string_view text, const std::string& name) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    std::vector<SourceLine> lines;
    int32_t number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ++number;
        lines.push_back(CheckedLine(text.substr(start, end - start), name, number));
        start = end + 1;
    }
    return lines;
}

SourceReader::SourceReader(const std::filesystem::path& path) : name_(DisplayName(path)) {
    struct stat status {};
    if (path.string() == kStandardInput) {
        // A closed descriptor 0 would read as an empty input, or as whatever
        // file the process opened next.
        if (fstat(STDIN_FILENO, &status) != 0) {
            if (errno == EBADF) throw FileError(name_ + ": standard input is closed", EBADF, name_);
            FailOnFile(name_, "cannot read standard input", errno);
        }
        if (S_ISDIR(status.st_mode)) {
            throw FileError(name_ + ": standard input is a directory", EISDIR, name_);
        }
        fd_ = STDIN_FILENO;
        return;
    }
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) FailOnFile(name_, "cannot open the file", errno);
    ownsFd_ = true;
    if (fstat(fd_, &status) == 0 && S_ISDIR(status.st_mode)) {
        close(fd_);
        throw FileError(name_ + ": is a directory, not a file", EISDIR, name_);
    }
}

SourceReader::~SourceReader() {
    if (ownsFd_) close(fd_);
}

bool SourceReader::Fill() {
    if (ended_) return false;
    if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    const size_t had = buffer_.size();
    buffer_.resize(had + kReadChunkBytes);
    ssize_t got;
    do {
        got = read(fd_, buffer_.data() + had, kReadChunkBytes);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        const int error = errno;
        buffer_.resize(had);
        if (error == EISDIR) {
            throw FileError(name_ + ": is a directory, not a file", EISDIR, name_);
        }
        FailOnFile(name_, "read error", error);
    }
    buffer_.resize(had + static_cast<size_t>(got));
    if (got == 0) ended_ = true;
    return got > 0;
}

bool SourceReader::Next(SourceLine& line) {
    size_t from = start_;
    size_t end;
    while ((end = buffer_.find('\n', from)) == std::string::npos) {
        // A BOM and the CR of a CR LF ending may come on top of the limit.
        const size_t pending = buffer_.size() - start_;
        if (pending > kMaxSourceLineBytes + kByteOrderMark.size() + 1) {
            FailTooLong(name_, number_ + 1);
        }
        if (!Fill()) break;
        from = start_ + pending;  // Fill moved the unread bytes to the front
    }
    if (end == std::string::npos) {
        if (start_ == buffer_.size()) return false;
        end = buffer_.size();
    }
    std::string_view text(buffer_.data() + start_, end - start_);
    if (number_ == 0 && text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    line = CheckedLine(text, name_, ++number_);
    start_ = end == buffer_.size() ? end : end + 1;
    return true;
}

std::vector<SourceLine> ReadSourceLines(const std::filesystem::path& path) {
    SourceReader reader(path);
    std::vector<SourceLine> lines;
    SourceLine line;
    while (reader.Next(line))
        lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsFieldSpace(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsFieldSpace(line[i]))
            ++i;
        if (i > start) fields.emplace_back(line.substr(start, i - start));
    }
    return fields;
}

bool IsBlankOrComment(std::string_view line) {
    for (char c : line) {
        if (IsFieldSpace(c)) continue;
        return c == '#';
    }
    return true;
}

}  // namespace vantir::tools
