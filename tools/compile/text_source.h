// Reading the human-edited UTF-8 sources line by line, with line numbers, and
// splitting lines into white-space separated fields.
#ifndef VANTIR_TOOLS_TEXT_SOURCE_H
#define VANTIR_TOOLS_TEXT_SOURCE_H

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantir::tools {

struct SourceLine {
    int32_t number;    // 1-based line number in the file
    std::string text;  // UTF-8, without its line break
};

// Longest line a source may hold, in bytes without its line break. Real sources
// stay far below it; a file without line breaks (binary data, a device) is
// refused once this many bytes are buffered instead of being read whole.
constexpr size_t kMaxSourceLineBytes = size_t{1} << 20;

// Reads a file ("-": standard input) a line at a time and checks each line as
// it arrives, so that bad input fails at its first bad line and memory holds
// one line, however long the input. A byte order mark that starts a line (the
// first, or one where files were joined) and the CR of CR LF endings are
// removed. Fails (ToolError naming the input, and the line where there is one)
// when the input cannot be opened, is a directory, is a closed standard input,
// cannot be read, or has a line that is not valid UTF-8, holds a NUL byte or a
// CR of its own, or is longer than kMaxSourceLineBytes.
// The bytes of a whole input, as SourceReader::ReadRest gives them.
struct InputBytes {
    // Why the reading stopped.
    enum class Ending {
        kEnd,          // the end of the input
        kReadError,    // the system refused a read: `error` holds its errno
        kLineTooLong,  // the last line ran past kMaxSourceLineBytes (the rest is unread)
    };
    std::unique_ptr<char[]> data;
    size_t size = 0;
    Ending ending = Ending::kEnd;
    int error = 0;

    std::string_view view() const { return {data.get(), size}; }
};

class SourceReader {
  public:
    explicit SourceReader(const std::filesystem::path& path);
    ~SourceReader();
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    // The next line into `line`; false at the end of the input.
    bool Next(SourceLine& line);

    // The rest of the input in one block, for readers that split and check the
    // lines themselves (and on several threads): read to its end, to a read
    // error, or until a line is longer than kMaxSourceLineBytes could be, where
    // a line stream fails too. A leading byte order mark is left out. After a
    // read error or a long line the block ends with the last complete line; the
    // caller checks those lines before reporting the ending (FailOnRead), as
    // Next would. Only before the first Next.
    InputBytes ReadRest();

    // Whole lines of the input appended to `block` until it has grown by at
    // least `bytes` or the input ends (its last line then possibly without a
    // break); a line cut by the read stays for the next call. The ending is
    // ReadRest's: after kReadError or kLineTooLong the block ends with the
    // last complete line and the input is over. False when nothing more came.
    // A leading byte order mark is left out. Not mixed with Next or ReadRest.
    bool ReadBlock(std::string& block, size_t bytes, InputBytes::Ending& ending, int& error);

    // The failure that ended ReadRest with `bytes.ending`, with the message a
    // line stream gives; `lines` is the number of lines before it.
    [[noreturn]] void FailOnRead(const InputBytes& bytes, int32_t lines) const;

    // The input as messages name it.
    const std::string& name() const { return name_; }

  private:
    bool Fill();  // appends what the next read gives; false at the end

    std::string name_;
    int fd_ = -1;
    bool ownsFd_ = false;
    bool ended_ = false;
    std::string buffer_;
    size_t start_ = 0;  // first byte of buffer_ not yet handed out
    int32_t number_ = 0;
};

// All lines of a file, read and checked as SourceReader does.
std::vector<SourceLine> ReadSourceLines(const std::filesystem::path& path);

// The same for text already in memory; `name` is used in messages.
std::vector<SourceLine> SplitSourceText(std::string_view text, const std::string& name);

// Fields separated by runs of spaces and tabs.
std::vector<std::string> SplitFields(std::string_view line);

// The next field of `line` from byte `at` on, as SplitFields cuts them, and
// `at` moved past it; empty when no field is left. Allocates nothing.
inline std::string_view NextField(std::string_view line, size_t& at) {
    auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (at < line.size() && isSpace(line[at]))
        ++at;
    const size_t start = at;
    while (at < line.size() && !isSpace(line[at]))
        ++at;
    return line.substr(start, at - start);
}

// True for text that vantir::ToUtf16 decodes (well-formed UTF-8, no
// surrogates, nothing above U+10FFFF); runs of ASCII are checked eight bytes
// at a time.
bool IsStrictUtf8(std::string_view text);

// A line inside a block of input, without its line break and the CR of a CR LF ending.
struct LineSpan {
    size_t begin;
    size_t size;
};

// The lines of block[begin, end), which starts a line and ends at a line break
// or at the end of the input, checked as SourceReader checks them. Stops at the
// first line that fails its check: `lines` then holds those before it, and
// `fault` says what is wrong with it (empty when every line is sound).
struct CheckedLines {
    std::vector<LineSpan> lines;
    std::string fault;
};
void CheckLines(std::string_view block, size_t begin, size_t end, CheckedLines& checked);

// Blank lines and lines whose first non-blank character is '#'.
bool IsBlankOrComment(std::string_view line);

// The path as it appears in messages.
std::string DisplayName(const std::filesystem::path& path);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_TEXT_SOURCE_H
