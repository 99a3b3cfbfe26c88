// Reading the human-edited UTF-8 sources line by line, with line numbers, and
// splitting lines into white-space separated fields.
#ifndef VANTIR_TOOLS_TEXT_SOURCE_H
#define VANTIR_TOOLS_TEXT_SOURCE_H

#include <cstdint>
#include <filesystem>
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
// one line, however long the input. A leading byte order mark and the CR of
// CR LF endings are removed. Fails (ToolError naming the input, and the line
// where there is one) when the input cannot be opened, is a directory, is a
// closed standard input, cannot be read, or has a line that is not valid UTF-8
// or is longer than kMaxSourceLineBytes.
class SourceReader {
  public:
    explicit SourceReader(const std::filesystem::path& path);
    ~SourceReader();
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    // The next line into `line`; false at the end of the input.
    bool Next(SourceLine& line);

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

// Blank lines and lines whose first non-blank character is '#'.
bool IsBlankOrComment(std::string_view line);

// The path as it appears in messages.
std::string DisplayName(const std::filesystem::path& path);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_TEXT_SOURCE_H
