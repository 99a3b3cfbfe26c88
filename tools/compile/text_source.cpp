// Line reader for UTF-8 sources: byte order mark, CR LF, UTF-8 validation,
// field splitting and comment detection.
#include "tools/compile/text_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

std::string TooLongMessage() {
    return "line longer than " + std::to_string(kMaxSourceLineBytes) +
           " bytes (the longest a source line may be); is this the right file?";
}

[[noreturn]] void FailTooLong(const std::string& name, int32_t number) {
    Fail(name, number, TooLongMessage());
}

// What is wrong with a line (without its CR) as sources hold it; empty when
// it is within the length limit and valid UTF-8.
std::string LineFault(std::string_view line) {
    if (line.size() > kMaxSourceLineBytes) return TooLongMessage();
    // Text holds neither: a NUL is binary or UTF-16 input, a CR of its own a
    // line end of another system that would join two lines into one.
    if (const size_t nul = line.find('\0'); nul != std::string_view::npos) {
        return "a NUL byte at byte " + std::to_string(nul) +
               " (is the file UTF-16 or binary? sources are UTF-8 text)";
    }
    if (const size_t cr = line.find('\r'); cr != std::string_view::npos) {
        return "a carriage return inside the line at byte " + std::to_string(cr) +
               "; end lines with LF or CR LF";
    }
    if (IsStrictUtf8(line)) return {};
    // The decoder's own message names the offending byte.
    Expected<std::u16string> decoded = ToUtf16(line);
    return decoded ? std::string("invalid UTF-8") : decoded.error().message;
}

// The line as sources hold it: without the CR of a CR LF ending, within the
// length limit, and valid UTF-8.
SourceLine CheckedLine(std::string_view line, const std::string& name, int32_t number) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
    const std::string fault = LineFault(line);
    if (!fault.empty()) Fail(name, number, fault);
    return {number, std::string(line)};
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
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

InputBytes SourceReader::ReadRest() {
    InputBytes input;
    size_t capacity = kReadChunkBytes;
    struct stat status {};
    // A regular file is read into a block of its size at once (plus a byte to
    // see the end); pipes and terminals grow the block as they deliver.
    if (fstat(fd_, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        capacity = static_cast<size_t>(status.st_size) + 1;
    }
    input.data.reset(new char[capacity]);
    size_t lineStart = 0;  // where the line being read began
    while (true) {
        if (input.size == capacity) {
            capacity *= 2;
            std::unique_ptr<char[]> grown(new char[capacity]);
            std::memcpy(grown.get(), input.data.get(), input.size);
            input.data = std::move(grown);
        }
        ssize_t got;
        do {
            got = read(fd_, input.data.get() + input.size, capacity - input.size);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            input.ending = InputBytes::Ending::kReadError;
            input.error = errno;
            break;
        }
        if (got == 0) break;
        const char* fresh = input.data.get() + input.size;
        input.size += static_cast<size_t>(got);
        const void* lastBreak = memrchr(fresh, '\n', static_cast<size_t>(got));
        if (lastBreak != nullptr) {
            lineStart =
                static_cast<size_t>(static_cast<const char*>(lastBreak) - input.data.get()) + 1;
        }
        // A BOM and the CR of a CR LF ending may come on top of the limit, as in Next.
        if (input.size - lineStart > kMaxSourceLineBytes + kByteOrderMark.size() + 1) {
            input.ending = InputBytes::Ending::kLineTooLong;
            break;
        }
    }
    // Only complete lines are handed on, as a line stream hands them on.
    if (input.ending != InputBytes::Ending::kEnd) input.size = lineStart;
    ended_ = true;
    if (std::string_view(input.data.get(), input.size).starts_with(kByteOrderMark)) {
        std::memmove(input.data.get(), input.data.get() + kByteOrderMark.size(),
                     input.size - kByteOrderMark.size());
        input.size -= kByteOrderMark.size();
    }
    return input;
}

bool SourceReader::ReadBlock(std::string& block, size_t bytes, InputBytes::Ending& ending,
                             int& error) {
    const size_t had = block.size();
    const bool first = number_ == 0;
    number_ = 1;  // the byte order mark is looked for once
    // What the last call read past its last line break comes first.
    block.append(buffer_, start_);
    buffer_.clear();
    start_ = 0;
    size_t lineStart = had;  // where the line being read began
    if (const size_t lastBreak = block.rfind('\n');
        lastBreak != std::string::npos && lastBreak >= had) {
        lineStart = lastBreak + 1;
    }
    while (!ended_ && (lineStart - had < bytes || lineStart == had)) {
        const size_t at = block.size();
        const size_t chunk = std::max(kReadChunkBytes, std::min(bytes, kMaxSourceLineBytes));
        block.resize(at + chunk);
        ssize_t got;
        do {
            got = read(fd_, block.data() + at, chunk);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            block.resize(at);
            ended_ = true;
            if (got < 0) {
                ending = InputBytes::Ending::kReadError;
                error = errno;
            }
            break;
        }
        block.resize(at + static_cast<size_t>(got));
        const void* lastBreak = memrchr(block.data() + at, '\n', static_cast<size_t>(got));
        if (lastBreak != nullptr) {
            lineStart = static_cast<size_t>(static_cast<const char*>(lastBreak) - block.data()) + 1;
        }
        // A BOM and the CR of a CR LF ending may come on top of the limit, as in Next.
        if (block.size() - lineStart > kMaxSourceLineBytes + kByteOrderMark.size() + 1) {
            ending = InputBytes::Ending::kLineTooLong;
            ended_ = true;
        }
    }
    // Only complete lines are handed on, but for the last line of an input that ended.
    if (!ended_ || ending != InputBytes::Ending::kEnd) {
        buffer_.assign(block, lineStart);
        block.resize(lineStart);
        if (ended_) buffer_.clear();
    }
    if (first && std::string_view(block).substr(had).starts_with(kByteOrderMark)) {
        block.erase(had, kByteOrderMark.size());
    }
    return block.size() > had;
}

void SourceReader::FailOnRead(const InputBytes& bytes, int32_t lines) const {
    if (bytes.ending == InputBytes::Ending::kLineTooLong) FailTooLong(name_, lines + 1);
    if (bytes.error == EISDIR)
        throw FileError(name_ + ": is a directory, not a file", EISDIR, name_);
    FailOnFile(name_, "read error", bytes.error);
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

bool IsStrictUtf8(std::string_view text) {
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = p + text.size();
    while (p < end) {
        const unsigned lead = *p;
        const ptrdiff_t left = end - p;
        if (lead < 0x80) {
            // ASCII often comes in runs (keys, digits, blanks): eight bytes at a
            // time, tried only here so that Chinese text does not pay for it.
            ++p;
            while (end - p >= 8) {
                uint64_t word;
                std::memcpy(&word, p, sizeof word);
                if ((word & kHighBits) != 0) break;
                p += 8;
            }
        } else if (lead < 0xC2) {  // a continuation byte, or the lead of an overlong pair
            return false;
        } else if (lead < 0xE0) {
            if (left < 2 || !IsContinuation(p[1])) return false;
            p += 2;
        } else if (lead < 0xF0) {
            if (left < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2])) return false;
            if (lead == 0xE0 && p[1] < 0xA0) return false;   // overlong
            if (lead == 0xED && p[1] >= 0xA0) return false;  // a surrogate
            p += 3;
        } else if (lead < 0xF5) {
            if (left < 4 || !IsContinuation(p[1]) || !IsContinuation(p[2]) ||
                !IsContinuation(p[3])) {
                return false;
            }
            if (lead == 0xF0 && p[1] < 0x90) return false;   // overlong
            if (lead == 0xF4 && p[1] >= 0x90) return false;  // above U+10FFFF
            p += 4;
        } else {
            return false;
        }
    }
    return true;
}

void CheckLines(std::string_view block, size_t begin, size_t end, CheckedLines& checked) {
    checked.lines.clear();
    checked.fault.clear();
    while (begin < end) {
        const void* found = std::memchr(block.data() + begin, '\n', end - begin);
        const size_t stop =
            found == nullptr ? end
                             : static_cast<size_t>(static_cast<const char*>(found) - block.data());
        std::string_view line = block.substr(begin, stop - begin);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // The mark that begins a file also begins the lines where files were joined.
        const size_t mark = line.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
        line.remove_prefix(mark);
        checked.fault = LineFault(line);
        if (!checked.fault.empty()) return;
        checked.lines.push_back({begin + mark, line.size()});
        begin = stop + 1;
    }
}

bool IsBlankOrComment(std::string_view line) {
    for (char c : line) {
        if (IsFieldSpace(c)) continue;
        return c == '#';
    }
    return true;
}

}  // namespace vantir::tools
