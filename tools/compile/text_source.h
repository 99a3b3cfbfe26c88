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

// All lines of a file ("-" reads standard input). A leading byte order mark
// and the CR of CR LF endings are removed. Fails (ToolError naming file and
// line) when the file cannot be read or a line is not valid UTF-8.
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
